#pragma once

#include "wire/WireError.h"
#include "wire/WireRowSink.h"

#include <QList>
#include <QStringList>
#include <QUuid>
#include <QVariant>
#include <functional>
#include <memory>

class QIODevice;
class QTcpSocket;

// What an operation answers: its result, and the values of all its arguments after the call
// (the by-reference ones as the server changed them, the others as sent).
struct WireReply {
    QVariant result;
    QVariantList args;
};

// A provider's data set as variants, assembled from the server's row packets.
struct WireTable {
    QStringList fields;
    QList<QVariantList> rows; // each row holds fields.size() values
};

// How a backup download ended. errorText is the server's refusal (unknown backup name...);
// when it is empty, announcedSize bytes have been written to the device.
struct WireDownload {
    QString errorText;
    qint64 announcedSize = -1;
    qint64 written = 0;
};

// Blocking client of bksvr, for the thread that owns it (the UI thread in the tool). Each call
// waits on its own socket with waitFor*, so no events are processed meanwhile and nothing can
// re-enter the caller; the interface stays still while a call runs, as the tool expects.
// Values travel as: invalid QVariant = null, bool, int (32-bit), qlonglong (64-bit), double,
// QString, QByteArray, QVariantList (also nested, e.g. the 7-item packed parameter lists).
//
// Timeouts: a call fails when the server stays silent for timeoutMs (row packets and download
// chunks each restart the clock, so long transfers that keep flowing never time out). A failed
// transport (timeout, closed connection, garbled reply) throws WireError with Cause::Connection
// and leaves the client disconnected; a server error throws Cause::Server and the connection
// stays usable.
class WireClient {
public:
    static constexpr int DefaultConnectTimeoutMs = 5000;
    static constexpr int DefaultCallTimeoutMs = 60000;

    WireClient();
    ~WireClient();
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    // Connects and opens a session with the server class serverGuid. Returns an empty string on
    // success, otherwise why not (unreachable, timed out, or the server's refusal message).
    QString connectToServer(
        const QString& host, quint16 port, const QUuid& serverGuid, int timeoutMs = DefaultConnectTimeoutMs);
    bool isConnected() const;
    void disconnectFromServer();

    // Runs an operation (SetQuerySQL, ExecSP, ChangeDb, KeepConnection, ConnectDb, GetZt,
    // BackupDatabase). GetBackUpFileServer goes through download().
    WireReply call(
        const QString& operation, const QVariantList& args = {}, int timeoutMs = DefaultCallTimeoutMs);
    // Same, writing the by-reference values back into args.
    QVariant callByRef(const QString& operation, QVariantList& args, int timeoutMs = DefaultCallTimeoutMs);

    // Opens a provider ("pv_qry_Open", "pv_sp_Open") and hands its rows to the sink as each row
    // packet is decoded, then the field names once the row count and widths are checked.
    void openProvider(const QString& provider, WireRowSink& rows, int timeoutMs = DefaultCallTimeoutMs);
    // Same, returning the whole data set as variants: for small results.
    WireTable openProvider(const QString& provider, int timeoutMs = DefaultCallTimeoutMs);

    // GetBackUpFileServer: streams the backup into out chunk by chunk; progress (if given) is told
    // the bytes received so far and the announced size. A device that fails to write makes it
    // throw Exception with the device's error once the rest of the stream has been drained (the
    // connection stays usable).
    WireDownload download(const QString& backupName, QIODevice& out, int timeoutMs = DefaultCallTimeoutMs,
        const std::function<void(qint64 received, qint64 size)>& progress = {});

private:
    class Private;
    std::unique_ptr<Private> d;
};
