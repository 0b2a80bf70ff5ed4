#include "server/ServerListener.h"

#include "server/ClientSession.h"

#include <QThread>

ServerListener::ServerListener(const ServerContext& context, QObject* parent)
    : QTcpServer(parent)
    , context(context)
{
}

void ServerListener::incomingConnection(qintptr socketDescriptor)
{
    auto* thread = new QThread(this);
    auto* session = new ClientSession(context, socketDescriptor);
    session->moveToThread(thread);
    connect(thread, &QThread::started, session, &ClientSession::start);
    connect(session, &ClientSession::finished, thread, &QThread::quit);
    // The session goes in its own thread, as the thread ends; the thread object afterwards.
    connect(thread, &QThread::finished, session, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
