#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QIODevice;
class TRecordStore;
class WireClient;

// The application server's dispatch interface over an open connection. Every call blocks
// the calling thread until the reply, the end of its time bound, or the loss of the
// connection, and throws Exception with the server's (or the transport's) message.
class TAppServer {
public:
    explicit TAppServer(WireClient& client);

    // Late-bound call by name; args are passed by reference: the values the server sends
    // back replace them in place.
    QVariant Call(const QString& name, QVariantList& args);
    QVariant Call(const QString& name, QVariantList&& args);

    // Early-bound calls.
    int SetQuerySQL(const QString& sql);
    int ExecSP(const QString& procName, const QVariant& packedParams, QVariant& packedOutParams);

    // Opens a provider and fills the store with its field names and rows.
    void OpenProvider(const QString& providerName, const QVariant& packedParams, TRecordStore& into);

    // Streams a server file to the device, chunk by chunk; returns the size the server
    // announced. Throws when the stream breaks or ends short of that size.
    qint64 Download(const QString& name, QIODevice& to);

    // Time bound of a call by name.
    static int TimeoutFor(const QString& operation);

private:
    WireClient& FClient;
};
