#include "server/ClientSession.h"

#include "server/ServerLog.h"
#include "wire/WireCodec.h"

#include <QScopedValueRollback>
#include <QTcpSocket>

using Status = WireCodec::Parsed::Status;

ClientSession::ClientSession(const ServerContext& context, qintptr socketDescriptor)
    : context(context)
    , descriptor(socketDescriptor)
{
}

ClientSession::~ClientSession()
{
    reply.reset(); // before the dispatcher and its account set
}

void ClientSession::start()
{
    socket = std::make_unique<QTcpSocket>();
    if (!socket->setSocketDescriptor(descriptor)) {
        ServerLog::write(QStringLiteral("connection lost before it began: %1").arg(socket->errorString()));
        emit finished();
        return;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Bounds what a client can make us hold: beyond it the kernel's window pushes back.
    socket->setReadBufferSize(WireCodec::MaxFrameSize + 64 * 1024);
    peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    dispatcher = std::make_unique<CallDispatcher>(context, socket->peerAddress(), peer);
    ServerLog::write(QStringLiteral("connection from %1").arg(peer));
    connect(socket.get(), &QTcpSocket::readyRead, this, &ClientSession::serve);
    connect(socket.get(), &QTcpSocket::bytesWritten, this, &ClientSession::serve);
    connect(socket.get(), &QTcpSocket::disconnected, this, [this] {
        reply.reset();
        emit finished();
    });
    serve();
}

// Calls are answered one at a time: the next is read only when the last reply has gone out.
void ClientSession::serve()
{
    if (serving)
        return;
    const QScopedValueRollback guard(serving, true);
    for (;;) {
        pump();
        if (reply || closing || !handleNextFrame())
            return;
    }
}

// false when no whole frame is buffered (or the connection is closing).
bool ClientSession::handleNextFrame()
{
    for (;;) {
        WireCodec::Parsed parsed = WireCodec::parse(QByteArrayView(buffer).sliced(offset));
        switch (parsed.status) {
        case Status::Incomplete:
            buffer.remove(0, offset);
            offset = 0;
            if (socket->bytesAvailable() == 0)
                return false;
            buffer.append(socket->readAll());
            continue;
        case Status::BadFrame:
            refuseAndClose(QStringLiteral("bad frame: %1").arg(parsed.error));
            return false;
        case Status::BadMessage:
            offset += parsed.consumed;
            if (!welcomed) {
                refuseAndClose(QStringLiteral("bad opening: %1").arg(parsed.error));
                return false;
            }
            ServerLog::write(QStringLiteral("%1 bad message: %2").arg(peer, parsed.error));
            reply = ReplySource::single(
                WireCodec::errorFrame(0, QStringLiteral("bad message: %1").arg(parsed.error)));
            return true;
        case Status::Complete:
            offset += parsed.consumed;
            if (parsed.kind == WireCodec::FrameKind::Chunk) {
                refuseAndClose(QStringLiteral("a client does not send chunks"));
                return false;
            }
            handle(parsed.message);
            return true;
        }
    }
}

void ClientSession::handle(const WireMessage& message)
{
    if (!welcomed) {
        if (message.type != WireMessage::Type::Hello)
            refuseAndClose(QStringLiteral("the connection must open with the server class identifier"));
        else
            openSession(message);
        return;
    }
    if (message.type != WireMessage::Type::Call) {
        ServerLog::write(
            QStringLiteral("%1 unexpected \"%2\" message").arg(peer, WireMessage::typeName(message.type)));
        reply = ReplySource::single(WireCodec::errorFrame(message.id,
            QStringLiteral("unexpected \"%1\" message").arg(WireMessage::typeName(message.type))));
        return;
    }
    reply = dispatcher->dispatch(message);
}

void ClientSession::openSession(const WireMessage& hello)
{
    const QUuid asked = QUuid::fromString(hello.text);
    if (asked.isNull() || asked != context.serverGuid) {
        refuseAndClose(
            QStringLiteral("server class %1 is not served here (this is %2)")
                .arg(hello.text.left(100), context.serverGuid.toString(QUuid::WithBraces).toUpper()));
        return;
    }
    welcomed = true;
    WireMessage welcome;
    welcome.type = WireMessage::Type::Welcome;
    QByteArray frame;
    QString ignored;
    WireCodec::encodeMessage(welcome, &frame, &ignored);
    send(frame);
}

// Sends the current reply's frames while the socket has room; the rest follows on bytesWritten.
void ClientSession::pump()
{
    while (reply && socket->bytesToWrite() < HighWater) {
        QByteArray frame;
        if (!reply->nextFrame(&frame)) {
            reply.reset();
            break;
        }
        send(frame);
    }
}

// One frame, one write: a frame split over two writes stalls on Nagle's algorithm.
void ClientSession::send(const QByteArray& frame)
{
    socket->write(frame);
    socket->flush();
}

void ClientSession::refuseAndClose(const QString& why)
{
    ServerLog::write(QStringLiteral("%1 refused: %2").arg(peer, why));
    closing = true;
    WireMessage refused;
    refused.type = WireMessage::Type::Refused;
    refused.text = why;
    QByteArray frame;
    QString ignored;
    WireCodec::encodeMessage(refused, &frame, &ignored);
    send(frame);
    socket->disconnectFromHost();
}
