#include "FakeAppServer.h"

#include "wire/ServerGuids.h"
#include "wire/WireCodec.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

QByteArray Encode(const WireMessage& message)
{
    QByteArray frame;
    QString error;
    if (!WireCodec::encodeMessage(message, &frame, &error))
        qFatal("FakeAppServer: %s", qPrintable(error));
    return frame;
}

WireMessage Reply(WireMessage::Type type, const WireMessage& call)
{
    WireMessage m;
    m.type = type;
    m.id = call.id;
    return m;
}

} // namespace

FakeAppServer::FakeAppServer(Script script)
    : FScript(std::move(script))
{
    std::promise<quint16> listening;
    std::future<quint16> port = listening.get_future();
    FThread = std::thread([this, &listening] { Run(&listening); });
    FPort = port.get();
}

FakeAppServer::~FakeAppServer()
{
    FStop = true;
    FThread.join();
}

QByteArray FakeAppServer::Result(const WireMessage& call, const QVariant& result, const QVariantList& args)
{
    WireMessage m = Reply(WireMessage::Type::Result, call);
    m.result = result;
    m.args = args;
    return Encode(m);
}

QByteArray FakeAppServer::Error(const WireMessage& call, const QString& message)
{
    WireMessage m = Reply(WireMessage::Type::Error, call);
    m.text = message;
    return Encode(m);
}

QByteArray FakeAppServer::Stream(const WireMessage& call, qint64 size)
{
    WireMessage m = Reply(WireMessage::Type::Stream, call);
    m.count = size;
    return Encode(m);
}

QByteArray FakeAppServer::Chunk(const QByteArray& bytes)
{
    return WireCodec::encodeChunk(bytes);
}

void FakeAppServer::Run(std::promise<quint16>* listening)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    listening->set_value(server.serverPort());

    while (!FStop) {
        if (!server.waitForNewConnection(50))
            continue;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QByteArray buffer;
        bool open = true;
        while (open && !FStop && socket->state() == QAbstractSocket::ConnectedState) {
            if (socket->bytesAvailable() == 0 && !socket->waitForReadyRead(50))
                continue;
            buffer.append(socket->readAll());
            for (;;) {
                const WireCodec::Parsed parsed = WireCodec::parse(buffer);
                if (parsed.status != WireCodec::Parsed::Status::Complete)
                    break;
                buffer.remove(0, parsed.consumed);
                const WireMessage& m = parsed.message;
                Answer answer;
                if (m.type == WireMessage::Type::Hello) {
                    WireMessage welcome;
                    welcome.type = WireMessage::Type::Welcome;
                    if (QUuid::fromString(m.text) != ServerGuids::defaultGuid()) {
                        welcome.type = WireMessage::Type::Refused;
                        welcome.text = QStringLiteral("unknown server class");
                        answer.closeAfter = true;
                    }
                    answer.frames = { Encode(welcome) };
                } else {
                    answer = FScript(m);
                }
                socket->write(answer.frames.join());
                socket->waitForBytesWritten(5000);
                if (answer.closeAfter) {
                    socket->disconnectFromHost();
                    if (socket->state() != QAbstractSocket::UnconnectedState)
                        socket->waitForDisconnected(1000);
                    open = false;
                    break;
                }
            }
        }
    }
}
