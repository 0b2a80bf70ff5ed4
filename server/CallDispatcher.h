#pragma once

#include "server/AccountSetDb.h"
#include "server/ClientInfo.h"
#include "server/ReplySource.h"
#include "server/ServerContext.h"
#include "wire/WireMessage.h"

#include <QHostAddress>
#include <memory>

// One session's state (its account set, its last query text, who it is) and the operations of
// the application server. Socket-free: a call goes in, the frames of its reply come out.
class CallDispatcher {
public:
    // peerLabel names the connection in the log ("address:port").
    CallDispatcher(const ServerContext& context, const QHostAddress& peer, const QString& peerLabel);
    ~CallDispatcher();

    // Errors become an "error" reply (and a log line); nothing here throws.
    std::unique_ptr<ReplySource> dispatch(const WireMessage& call);

private:
    using Reply = std::unique_ptr<ReplySource>;

    Reply setQuerySql(const WireMessage& call);
    Reply openQuery(const WireMessage& call);
    Reply openCatalogue(const WireMessage& call);
    Reply execSp(const WireMessage& call);
    Reply changeDb(const WireMessage& call);
    Reply connectDb(const WireMessage& call);
    Reply backupDatabase(const WireMessage& call);
    Reply getBackupFile(const WireMessage& call);

    Reply result(const WireMessage& call, const QVariant& value, const QVariantList& args);
    Reply failure(const WireMessage& call, const QString& message);
    std::function<void(const QString&)> logFailure(const QString& operation) const;
    bool textArg(const WireMessage& call, int index, QString* value, QString* error) const;
    bool isAllowed() const;

    const ServerContext& context;
    QHostAddress peerAddress;
    QString peerLabel;
    ClientInfo client;
    std::unique_ptr<AccountSetDb> db; // none while the session is in "master"
    QString lastSql;
};
