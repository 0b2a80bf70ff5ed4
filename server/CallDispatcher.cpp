#include "server/CallDispatcher.h"

#include "server/AccountSetStore.h"
#include "server/FileStreamReply.h"
#include "server/PackedProcParams.h"
#include "server/RowStreamReply.h"
#include "server/ServerLog.h"
#include "wire/WireCodec.h"

namespace {

const QString MasterDb = QStringLiteral("master");

} // namespace

CallDispatcher::CallDispatcher(
    const ServerContext& context, const QHostAddress& peer, const QString& peerLabel)
    : context(context)
    , peerAddress(peer)
    , peerLabel(peerLabel)
{
    client.address = peer.toString();
}

CallDispatcher::~CallDispatcher() = default;

std::unique_ptr<ReplySource> CallDispatcher::dispatch(const WireMessage& call)
{
    const QString& op = call.text;
    if (op == u"KeepConnection" || op == u"GetZt")
        return result(call, QVariant(), call.args);
    if (op == u"ConnectDb")
        return connectDb(call);
    // A client that may not log on gets nothing else either.
    if (!isAllowed())
        return failure(call, QStringLiteral("client address %1 is not allowed").arg(client.address));
    if (op == u"SetQuerySQL")
        return setQuerySql(call);
    if (op == u"pv_qry_Open")
        return openQuery(call);
    if (op == u"pv_sp_Open")
        return openCatalogue(call);
    if (op == u"ExecSP")
        return execSp(call);
    if (op == u"ChangeDb")
        return changeDb(call);
    if (op == u"BackupDatabase")
        return backupDatabase(call);
    if (op == u"GetBackUpFileServer")
        return getBackupFile(call);
    return failure(call, QStringLiteral("unknown operation \"%1\"").arg(op));
}

CallDispatcher::Reply CallDispatcher::setQuerySql(const WireMessage& call)
{
    QString sql, error;
    if (!textArg(call, 0, &sql, &error))
        return failure(call, error);
    lastSql = sql;
    return result(call, 0, call.args);
}

CallDispatcher::Reply CallDispatcher::openQuery(const WireMessage& call)
{
    if (!db)
        return failure(call, QStringLiteral("no account set is open (ChangeDb first)"));
    if (lastSql.isEmpty())
        return failure(call, QStringLiteral("no query text (SetQuerySQL first)"));
    QString error;
    std::shared_ptr<ReadOnlyQuery> query = db->query(lastSql, &error);
    if (!query)
        return failure(call, error);
    return std::make_unique<RowStreamReply>(
        call.id, query->fieldNames(),
        [query](QVariantList& row, QString* error) { return query->next(row, error); },
        logFailure(call.text));
}

CallDispatcher::Reply CallDispatcher::openCatalogue(const WireMessage& call)
{
    QString error;
    const QList<AccountSetEntry> entries = context.store->catalogue(&error);
    if (!error.isEmpty())
        return failure(call, error);
    auto next = [entries, i = qsizetype(0)](QVariantList& row, QString*) mutable {
        if (i == entries.size())
            return false;
        row = { entries[i].dbName, entries[i].fullName };
        ++i;
        return true;
    };
    return std::make_unique<RowStreamReply>(call.id,
        QStringList { QStringLiteral("DBNAME"), QStringLiteral("FULLNAME") }, std::move(next),
        logFailure(call.text));
}

CallDispatcher::Reply CallDispatcher::execSp(const WireMessage& call)
{
    QString name, error;
    if (!textArg(call, 0, &name, &error))
        return failure(call, error);
    ProcParams params;
    if (!PackedProcParams::unpack(call.args.value(1), &params, &error))
        return failure(call, error);
    if (!db)
        return failure(call, QStringLiteral("no account set is open (ChangeDb first)"));
    int code = 0;
    if (!db->execProcedure(name, params, client, &code, &error))
        return failure(call, error);
    QVariantList args = call.args;
    args.resize(std::max<qsizetype>(args.size(), 3));
    args[2] = PackedProcParams::pack(params);
    return result(call, code, args);
}

CallDispatcher::Reply CallDispatcher::changeDb(const WireMessage& call)
{
    QString name, error;
    if (!textArg(call, 0, &name, &error))
        return failure(call, error);
    if (name.compare(MasterDb, Qt::CaseInsensitive) == 0) {
        db.reset();
        return result(call, true, call.args);
    }
    std::unique_ptr<AccountSetDb> opened = context.store->openAccountSet(name, &error);
    if (!opened)
        return failure(call, error);
    db = std::move(opened);
    return result(call, true, call.args);
}

CallDispatcher::Reply CallDispatcher::connectDb(const WireMessage& call)
{
    QVariantList args = call.args;
    args.resize(std::max<qsizetype>(args.size(), 3));
    client.computerName = args[0].toString();
    if (!isAllowed()) {
        args[2] = QStringLiteral("client address %1 is not allowed").arg(client.address);
        ServerLog::write(QStringLiteral("%1 ConnectDb refused: not in --allow").arg(peerLabel));
        return result(call, false, args);
    }
    return result(call, true, args);
}

CallDispatcher::Reply CallDispatcher::backupDatabase(const WireMessage& call)
{
    QString dbName, backupName, error;
    if (!textArg(call, 0, &dbName, &error) || !textArg(call, 1, &backupName, &error))
        return failure(call, error);
    AccountSetDb* target = db.get();
    std::unique_ptr<AccountSetDb> other;
    if (!target || target->dbName().compare(dbName, Qt::CaseInsensitive) != 0) {
        other = context.store->openAccountSet(dbName, &error);
        if (!other)
            return failure(call, error);
        target = other.get();
    }
    const int code = target->backup(backupName, &error);
    if (code != 0 && code != -1)
        return failure(call, error);
    QVariantList args = call.args;
    args.resize(std::max<qsizetype>(args.size(), 4));
    args[3] = code;
    return result(call, code, args);
}

CallDispatcher::Reply CallDispatcher::getBackupFile(const WireMessage& call)
{
    QString backupName, error;
    if (!textArg(call, 0, &backupName, &error))
        return failure(call, error);
    QVariantList args = { backupName, QString(), QVariant() };
    const QString path = context.store->backupFilePath(backupName, &error);
    auto file = std::make_unique<QFile>(path);
    if (!path.isEmpty() && !file->open(QIODevice::ReadOnly))
        error = QStringLiteral("cannot read backup \"%1\": %2").arg(backupName, file->errorString());
    if (path.isEmpty() || !file->isOpen()) {
        ServerLog::write(QStringLiteral("%1 %2: %3").arg(peerLabel, call.text, error));
        args[1] = error;
        return result(call, QVariant(), args);
    }
    return std::make_unique<FileStreamReply>(call.id, std::move(file), args, logFailure(call.text));
}

CallDispatcher::Reply CallDispatcher::result(
    const WireMessage& call, const QVariant& value, const QVariantList& args)
{
    WireMessage reply;
    reply.type = WireMessage::Type::Result;
    reply.id = call.id;
    reply.result = value;
    reply.args = args;
    QByteArray frame;
    QString error;
    if (!WireCodec::encodeMessage(reply, &frame, &error))
        return failure(call, error);
    return ReplySource::single(std::move(frame));
}

CallDispatcher::Reply CallDispatcher::failure(const WireMessage& call, const QString& message)
{
    logFailure(call.text)(message);
    return ReplySource::single(WireCodec::errorFrame(call.id, message));
}

std::function<void(const QString&)> CallDispatcher::logFailure(const QString& operation) const
{
    return [prefix = QStringLiteral("%1 %2 failed: ").arg(peerLabel, operation.left(100))](
               const QString& message) { ServerLog::write(prefix + message); };
}

bool CallDispatcher::textArg(const WireMessage& call, int index, QString* value, QString* error) const
{
    const QVariant arg = call.args.value(index);
    if (arg.typeId() != QMetaType::QString) {
        *error = QStringLiteral("%1: argument %2 must be text").arg(call.text).arg(index + 1);
        return false;
    }
    *value = arg.toString();
    return true;
}

bool CallDispatcher::isAllowed() const
{
    if (context.allowed.isEmpty())
        return true;
    for (const QHostAddress& address : context.allowed) {
        if (address.isEqual(peerAddress, QHostAddress::ConvertV4MappedToIPv4))
            return true;
    }
    return false;
}
