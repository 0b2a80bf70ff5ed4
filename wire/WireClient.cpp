#include "wire/WireClient.h"

#include "wire/WireCodec.h"
#include "wire/WireRowCollector.h"

#include <QDeadlineTimer>
#include <QIODevice>
#include <QTcpSocket>

namespace {

using Type = WireMessage::Type;
using Status = WireCodec::Parsed::Status;

const QString BackupDownloadOperation = QStringLiteral("GetBackUpFileServer");

} // namespace

class WireClient::Private {
public:
    std::unique_ptr<QTcpSocket> socket;
    QByteArray buffer; // received, not yet parsed from `offset` on
    qsizetype offset = 0;
    qint32 nextId = 1;
    QString peer;

    bool connected() const { return socket && socket->state() == QAbstractSocket::ConnectedState; }

    void close()
    {
        if (socket)
            socket->abort();
        socket.reset();
        buffer.clear();
        offset = 0;
    }

    [[noreturn]] void failConnection(const QString& message)
    {
        close();
        throw WireError(WireError::Cause::Connection, message);
    }

    void requireConnection()
    {
        if (!connected())
            failConnection(QStringLiteral("未连接到后台服务器"));
    }

    // One frame, one write: a frame split over two writes stalls on Nagle's algorithm.
    bool send(const QByteArray& frame) { return socket->write(frame) == frame.size() && socket->flush(); }

    qint32 sendCall(const QString& operation, const QVariantList& args)
    {
        requireConnection();
        WireMessage call;
        call.type = Type::Call;
        call.id = nextId++;
        if (nextId < 0)
            nextId = 1;
        call.text = operation;
        call.args = args;
        QByteArray frame;
        QString error;
        if (!WireCodec::encodeMessage(call, &frame, &error))
            throw WireError(
                WireError::Cause::Server, QStringLiteral("%1：参数无法发送（%2）").arg(operation, error));
        if (!send(frame))
            failConnection(
                QStringLiteral("向后台服务器 %1 发送请求失败：%2").arg(peer, socket->errorString()));
        return call.id;
    }

    // The next whole frame; waits while the server stays silent for at most timeoutMs. Rows of a
    // Rows message go to the sink, if one is given.
    WireCodec::Parsed receive(int timeoutMs, WireRowSink* rows = nullptr)
    {
        for (;;) {
            WireCodec::Parsed parsed;
            try {
                parsed = WireCodec::parse(QByteArrayView(buffer).sliced(offset), rows);
            } catch (...) {
                close(); // a sink gave up mid-frame: the rest of its data set cannot be skipped
                throw;
            }
            switch (parsed.status) {
            case Status::Complete:
                offset += parsed.consumed;
                if (offset == buffer.size()) {
                    buffer.resize(0);
                    offset = 0;
                }
                return parsed;
            case Status::BadFrame:
            case Status::BadMessage:
                failConnection(QStringLiteral("后台服务器 %1 的应答无法识别：%2").arg(peer, parsed.error));
            case Status::Incomplete:
                break;
            }
            if (offset > 0) {
                buffer.remove(0, offset);
                offset = 0;
            }
            if (socket->bytesAvailable() == 0 && !socket->waitForReadyRead(timeoutMs)) {
                if (socket->error() == QAbstractSocket::SocketTimeoutError && connected())
                    failConnection(
                        QStringLiteral("后台服务器 %1 在 %2 秒内没有应答").arg(peer).arg(timeoutMs / 1000.0));
                failConnection(
                    QStringLiteral("与后台服务器 %1 的连接已断开：%2").arg(peer, socket->errorString()));
            }
            buffer.append(socket->readAll());
        }
    }

    WireCodec::Parsed receiveMessage(qint32 id, int timeoutMs, WireRowSink* rows = nullptr)
    {
        WireCodec::Parsed parsed = receive(timeoutMs, rows);
        if (parsed.kind != WireCodec::FrameKind::Message)
            failConnection(QStringLiteral("后台服务器 %1 发来了意外的数据块").arg(peer));
        parsed.message = checked(std::move(parsed.message), id);
        return parsed;
    }

    // An error with id 0 answers a call the server could not read at all.
    WireMessage checked(WireMessage m, qint32 id)
    {
        if (m.type == Type::Refused)
            failConnection(QStringLiteral("后台服务器 %1 关闭了连接：%2").arg(peer, m.text));
        if (m.type == Type::Error && (m.id == id || m.id == 0))
            throw WireError(WireError::Cause::Server, m.text);
        if (m.id != id)
            failConnection(QStringLiteral("后台服务器 %1 的应答与请求不符").arg(peer));
        return m;
    }

    [[noreturn]] void unexpected(const WireMessage& m)
    {
        failConnection(
            QStringLiteral("后台服务器 %1 发来了意外的“%2”消息").arg(peer, WireMessage::typeName(m.type)));
    }
};

WireClient::WireClient()
    : d(std::make_unique<Private>())
{
}

WireClient::~WireClient() = default;

QString WireClient::connectToServer(const QString& host, quint16 port, const QUuid& serverGuid, int timeoutMs)
{
    d->close();
    d->peer = QStringLiteral("%1:%2").arg(host).arg(port);
    const QDeadlineTimer deadline(timeoutMs);
    d->socket = std::make_unique<QTcpSocket>();
    d->socket->connectToHost(host, port);
    if (!d->socket->waitForConnected(int(deadline.remainingTime()))) {
        const QString why = d->socket->error() == QAbstractSocket::SocketTimeoutError
            ? QStringLiteral("在 %1 秒内未能连接").arg(timeoutMs / 1000.0)
            : d->socket->errorString();
        d->close();
        return QStringLiteral("无法连接到后台服务器 %1：%2").arg(d->peer, why);
    }
    d->socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    WireMessage hello;
    hello.type = Type::Hello;
    hello.text = serverGuid.toString(QUuid::WithBraces).toUpper();
    QByteArray frame;
    QString error;
    WireCodec::encodeMessage(hello, &frame, &error);
    try {
        if (!d->send(frame))
            d->failConnection(d->socket->errorString());
        WireCodec::Parsed answer = d->receive(int(std::max<qint64>(1, deadline.remainingTime())));
        if (answer.kind == WireCodec::FrameKind::Message && answer.message.type == Type::Welcome)
            return {};
        if (answer.kind == WireCodec::FrameKind::Message && answer.message.type == Type::Refused) {
            d->close();
            return QStringLiteral("后台服务器 %1 拒绝了连接：%2").arg(d->peer, answer.message.text);
        }
        d->failConnection(QStringLiteral("后台服务器 %1 的应答无法识别").arg(d->peer));
    } catch (const WireError& e) {
        return e.message();
    }
}

bool WireClient::isConnected() const
{
    return d->connected();
}

void WireClient::disconnectFromServer()
{
    d->close();
}

WireReply WireClient::call(const QString& operation, const QVariantList& args, int timeoutMs)
{
    if (operation == BackupDownloadOperation)
        throw Exception(QStringLiteral("%1 streams its file: use WireClient::download()").arg(operation));
    const qint32 id = d->sendCall(operation, args);
    WireMessage reply = d->receiveMessage(id, timeoutMs).message;
    if (reply.type != Type::Result)
        d->unexpected(reply);
    return { std::move(reply.result), std::move(reply.args) };
}

QVariant WireClient::callByRef(const QString& operation, QVariantList& args, int timeoutMs)
{
    WireReply reply = call(operation, args, timeoutMs);
    if (reply.args.size() == args.size())
        args = std::move(reply.args);
    return reply.result;
}

void WireClient::openProvider(const QString& provider, WireRowSink& rows, int timeoutMs)
{
    const qint32 id = d->sendCall(provider, {});
    qint64 received = 0;
    qsizetype width = -1; // of every row so far
    for (;;) {
        const WireCodec::Parsed p = d->receiveMessage(id, timeoutMs, &rows);
        const WireMessage& m = p.message;
        if (m.type == Type::Rows) {
            if (p.rowCount > 0 && width >= 0 && p.rowWidth != width)
                d->failConnection(QStringLiteral("“%1”的数据行与字段数不符").arg(provider));
            if (p.rowCount > 0)
                width = p.rowWidth;
            received += p.rowCount;
        } else if (m.type == Type::Table) {
            if (m.count != received)
                d->failConnection(QStringLiteral("“%1”的数据不完整：应有 %2 行，收到 %3 行")
                                      .arg(provider)
                                      .arg(m.count)
                                      .arg(received));
            if (width >= 0 && width != m.fields.size())
                d->failConnection(QStringLiteral("“%1”的数据行与字段数不符").arg(provider));
            rows.setFields(m.fields);
            return;
        } else {
            d->unexpected(m);
        }
    }
}

WireTable WireClient::openProvider(const QString& provider, int timeoutMs)
{
    WireRowCollector collected;
    openProvider(provider, collected, timeoutMs);
    return { std::move(collected.fields), std::move(collected.rows) };
}

WireDownload WireClient::download(const QString& backupName, QIODevice& out, int timeoutMs,
    const std::function<void(qint64 received, qint64 size)>& progress)
{
    const qint32 id = d->sendCall(BackupDownloadOperation, { backupName, QString(), QVariant() });
    WireDownload result;
    WireMessage first = d->receiveMessage(id, timeoutMs).message;
    if (first.type == Type::Result) {
        result.errorText = first.args.value(1).toString();
        if (result.errorText.isEmpty())
            throw WireError(WireError::Cause::Server,
                QStringLiteral("后台服务器没有返回备份文件“%1”的数据").arg(backupName));
        return result;
    }
    if (first.type != Type::Stream)
        d->unexpected(first);
    result.announcedSize = first.count;
    if (progress)
        progress(0, result.announcedSize);

    qint64 received = 0;
    QString writeError;
    for (;;) {
        WireCodec::Parsed parsed = d->receive(timeoutMs);
        if (parsed.kind == WireCodec::FrameKind::Chunk) {
            received += parsed.chunk.size();
            if (received > result.announcedSize)
                d->failConnection(QStringLiteral("备份文件“%1”的数据超出了预告的大小").arg(backupName));
            // After a failed write the rest is drained, so the connection stays in step.
            if (writeError.isEmpty()) {
                if (out.write(parsed.chunk) == parsed.chunk.size())
                    result.written += parsed.chunk.size();
                else
                    writeError = out.errorString();
            }
            if (progress)
                progress(received, result.announcedSize);
            continue;
        }
        const WireMessage m = d->checked(std::move(parsed.message), id);
        if (m.type != Type::Result)
            d->unexpected(m);
        if (received != result.announcedSize)
            d->failConnection(QStringLiteral("备份文件“%1”的数据不完整").arg(backupName));
        if (!writeError.isEmpty())
            throw Exception(QStringLiteral("无法写入备份文件：%1").arg(writeError));
        result.errorText = m.args.value(1).toString();
        return result;
    }
}
