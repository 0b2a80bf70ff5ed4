#include "data/TAppServer.h"

#include "data/TRecordStore.h"
#include "wire/WireClient.h"

namespace {

// The wire's timeouts measure silence: a transfer that keeps flowing (row packets, download
// chunks) never times out, so only the server's longest quiet spell needs a bound.
constexpr int SimpleCallMs = 30 * 1000; // log-on calls, SetQuerySQL: no real work on the server
constexpr int ProcedureMs = 60 * 1000; // one move: a transaction, perhaps waiting for another writer
constexpr int QueryMs = 120 * 1000; // the SQL runs before the first row packet (sorts, joins)
constexpr int BackupMs = 30 * 60 * 1000; // snapshot and ZIP; no word until done
constexpr int DownloadMs = 60 * 1000; // between two chunks of the backup file

} // namespace

int TAppServer::TimeoutFor(const QString& operation)
{
    if (operation == u"ExecSP")
        return ProcedureMs;
    if (operation == u"BackupDatabase")
        return BackupMs;
    if (operation == u"GetBackUpFileServer")
        return DownloadMs;
    if (operation.startsWith(u"pv_"))
        return QueryMs;
    return SimpleCallMs;
}

QVariant TAppServer::Call(const QString& name, QVariantList& args)
{
    return FClient.callByRef(name, args, TimeoutFor(name));
}

int TAppServer::SetQuerySQL(const QString& sql)
{
    QVariantList args { sql };
    return Call(QStringLiteral("SetQuerySQL"), args).toInt();
}

int TAppServer::ExecSP(const QString& procName, const QVariant& packedParams, QVariant& packedOutParams)
{
    QVariantList args { procName, packedParams, QVariant() };
    const QVariant code = Call(QStringLiteral("ExecSP"), args);
    // A reply without a return code must not read as 0, "moved".
    if (code.typeId() != QMetaType::Int)
        throw Exception(QStringLiteral("后台服务器的应答无效：ExecSP 没有返回整数结果"));
    packedOutParams = args.value(2);
    return code.toInt();
}

void TAppServer::OpenProvider(const QString& providerName, TRecordStore& into)
{
    into.Clear();
    FClient.openProvider(providerName, into, TimeoutFor(providerName));
}

WireDownload TAppServer::GetBackUpFileServer(const QString& backupName, QIODevice& to)
{
    return FClient.download(backupName, to, DownloadMs);
}
