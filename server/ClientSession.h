#pragma once

#include "server/CallDispatcher.h"
#include "server/ServerContext.h"

#include <QObject>
#include <memory>

class QTcpSocket;

// One client connection, living in a thread of its own: reads frames, checks the opening
// (the server class asked for), hands calls to its dispatcher one at a time and writes the reply
// frames only as fast as the client takes them.
class ClientSession : public QObject {
    Q_OBJECT
public:
    // Frames waiting in the socket beyond this hold back the rest of a reply.
    static constexpr qint64 HighWater = 1024 * 1024;

    ClientSession(const ServerContext& context, qintptr socketDescriptor);
    ~ClientSession() override;

    // Runs in the session's thread.
    void start();

signals:
    void finished();

private:
    void serve();
    bool handleNextFrame();
    void handle(const WireMessage& message);
    void openSession(const WireMessage& hello);
    void pump();
    void send(const QByteArray& frame);
    void refuseAndClose(const QString& why);

    const ServerContext& context;
    qintptr descriptor;
    std::unique_ptr<QTcpSocket> socket;
    QString peer;
    QByteArray buffer;
    qsizetype offset = 0;
    bool welcomed = false;
    bool closing = false;
    bool serving = false; // flush() reports bytesWritten at once: serve() must not nest
    std::unique_ptr<CallDispatcher> dispatcher;
    std::unique_ptr<ReplySource> reply; // declared after the dispatcher: it may hold the dispatcher's cursor
};
