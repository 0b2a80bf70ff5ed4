#include "server/ServerListener.h"

#include "server/ClientSession.h"
#include "server/ServerLog.h"
#include "wire/WireCodec.h"

#include <QThread>
#include <algorithm>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Descriptors the process needs besides its sessions: standard streams, the listener, the main
// thread's wake-up, the catalogue, the check's and the log's files.
constexpr rlim_t ReservedFiles = 32;
}

ServerListener::ServerListener(const ServerContext& context, QObject* parent)
    : QTcpServer(parent)
    , context(context)
    , limit(sessionLimit())
{
}

int ServerListener::sessionLimit()
{
    rlimit files {};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return MaxSessions;
    const rlim_t room = files.rlim_cur > ReservedFiles ? files.rlim_cur - ReservedFiles : 0;
    return int(std::min<rlim_t>(room / FilesPerSession, MaxSessions));
}

// Running out of descriptors is fatal (a new thread's event loop aborts without one), so clients
// beyond the limit are turned away at the door.
void ServerListener::incomingConnection(qintptr socketDescriptor)
{
    if (live >= limit) {
        refuse(socketDescriptor, QStringLiteral("too many connections (%1 at once)").arg(limit));
        return;
    }
    auto* thread = new QThread(this);
    auto* session = new ClientSession(context, socketDescriptor);
    session->moveToThread(thread);
    connect(thread, &QThread::started, session, &ClientSession::start);
    connect(session, &ClientSession::finished, thread, &QThread::quit);
    // The session goes in its own thread, as the thread ends; the thread object afterwards.
    connect(thread, &QThread::finished, session, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this] { --live; });
    thread->start();
    if (!thread->isRunning()) {
        delete session;
        delete thread;
        refuse(socketDescriptor, QStringLiteral("no thread for the session"));
        return;
    }
    ++live;
}

void ServerListener::refuse(qintptr socketDescriptor, const QString& why)
{
    ServerLog::write(QStringLiteral("connection refused: %1").arg(why));
    WireMessage refused;
    refused.type = WireMessage::Type::Refused;
    refused.text = why;
    QByteArray frame;
    QString ignored;
    if (WireCodec::encodeMessage(refused, &frame, &ignored))
        ::send(int(socketDescriptor), frame.constData(), size_t(frame.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::close(int(socketDescriptor));
}
