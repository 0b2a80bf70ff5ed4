#pragma once

#include <QString>
#include <QVariant>

class QIODevice;
class TRecordStore;
class WireClient;
struct WireDownload;

// The application server's dispatch interface over an open connection. Every call blocks
// the calling thread until the reply, the end of its time bound, or the loss of the
// connection, and throws Exception (WireError): with the server's message when the server
// refused, or saying what happened to the connection (closed, silent too long), which is
// closed then.
class TAppServer {
public:
    explicit TAppServer(WireClient& client)
        : FClient(client)
    {
    }

    // Late-bound call by name; args are passed by reference: the values the server sends
    // back replace them in place.
    QVariant Call(const QString& name, QVariantList& args);

    // Early-bound calls.
    int SetQuerySQL(const QString& sql);
    int ExecSP(const QString& procName, const QVariant& packedParams, QVariant& packedOutParams);

    // Opens a provider and fills the store with its field names and rows.
    void OpenProvider(const QString& providerName, TRecordStore& into);

    // GetBackUpFileServer, streamed into the device chunk by chunk.
    WireDownload GetBackUpFileServer(const QString& backupName, QIODevice& to);

    // How long a call may wait for the server's next word, in milliseconds.
    static int TimeoutFor(const QString& operation);

private:
    WireClient& FClient;
};
