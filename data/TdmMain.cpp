#include "data/TdmMain.h"

#include "common/Exception.h"
#include "common/Helpers.h"
#include "common/TfmStatus.h"
#include "common/ktNetUtils.h"
#include "config/TSysConfig.h"
#include "data/IniValue.h"
#include "data/ProcParamPacking.h"
#include "wire/ServerGuids.h"
#include "wire/WireClient.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSaveFile>

namespace {

TdmMain* TheDataModule = nullptr;
QString ServerConfigFileName; // empty: beside the executable

TAppServer* Dispatch(TAppServer* appServer)
{
    if (!appServer)
        throw Exception(QStringLiteral("未连接到后台服务器"));
    return appServer;
}

// Downloads the backup into localFile. The bytes go to a temporary file beside it, which
// takes the final name only when all the bytes the server announced have arrived; on every
// failure it is removed, so a file under the final name is always a whole backup.
// Returns the server's refusal text, empty on success.
QString DownloadBackup(TAppServer& appServer, const QString& backupName, const QString& localFile)
{
    QSaveFile file(localFile);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(Format(QStringLiteral("无法创建文件“%s”：%s"), { localFile, file.errorString() }));
    const WireDownload download = appServer.GetBackUpFileServer(backupName, file);
    if (!download.errorText.isEmpty())
        return download.errorText;
    if (download.announcedSize < 0 || download.written != download.announcedSize
        || file.size() != download.announcedSize) {
        throw Exception(QStringLiteral("备份文件不完整：收到 %1 字节，服务器告知 %2 字节")
                            .arg(download.written)
                            .arg(download.announcedSize));
    }
    if (!file.commit())
        throw Exception(Format(QStringLiteral("无法写入文件“%s”：%s"), { localFile, file.errorString() }));
    return QString();
}

} // namespace

TdmMain* dmMain()
{
    return TheDataModule;
}

TdmMain::TdmMain(QObject* parent)
    : QObject(parent)
    , cnNet(new TSocketConnection)
    , cdsBaseInfo(new TClientDataSet)
{
    cnNet->SetServerGUID(ServerGuids::defaultGuid().toString(QUuid::WithBraces));
    cnNet->OnBeforeConnect = [this](TSocketConnection* sender) { cnNetBeforeConnect(sender); };
    cnNet->OnAfterConnect = [this](TSocketConnection* sender) { cnNetAfterConnect(sender); };
    cnNet->OnBeforeDisconnect = [this](TSocketConnection* sender) { cnNetBeforeDisconnect(sender); };
    try {
        SysConfig()->CheckConfigFile();
    } catch (...) {
        delete cdsBaseInfo;
        delete cnNet;
        throw;
    }
    TheDataModule = this;
}

TdmMain::~TdmMain()
{
    if (TheDataModule == this)
        TheDataModule = nullptr;
    delete cdsBaseInfo;
    delete cnNet; // closes first: cnNetBeforeDisconnect runs while the module is whole
}

QString TdmMain::GetAppPath()
{
    return QCoreApplication::applicationDirPath();
}

QString TdmMain::GetServerConfigFile()
{
    return ServerConfigFileName.isEmpty() ? GetAppPath() + QStringLiteral("/CONFIG.CFG")
                                          : ServerConfigFileName;
}

void TdmMain::SetServerConfigFileName(const QString& fileName)
{
    ServerConfigFileName = fileName;
}

QString TdmMain::GetServerConfig(const QString& name, const QString& def)
{
    return ReadIniValue(GetServerConfigFile(), QStringLiteral("SERVER"), name, def);
}

QUuid TdmMain::ServerGUIDOfPort(int port)
{
    return ServerGuids::ofPort(port);
}

void TdmMain::cnNetBeforeConnect(TSocketConnection* sender)
{
    int port = StrToIntOrZero(GetServerConfig(QStringLiteral("SOCKETPORT"), QStringLiteral("211")));
    sender->SetPort(port);
    if (GetServerConfig(QStringLiteral("UseMutiSvr"), QString()) != u"YES")
        return;
    if (port < ServerGuids::FirstPort || port > ServerGuids::LastPort) {
        port = ServerGuids::FirstPort;
        sender->SetPort(port);
    }
    sender->SetServerGUID(ServerGUIDOfPort(port).toString(QUuid::WithBraces));
}

void TdmMain::cnNetAfterConnect(TSocketConnection* sender)
{
    FRemoteServer = sender;
    FAppServer = sender->AppServer();
}

void TdmMain::cnNetBeforeDisconnect(TSocketConnection*)
{
    FAppServer = nullptr;
}

bool TdmMain::OpenQuery(const QString& sql, TClientDataSet* ds)
{
    ds->Close();
    ds->SetFilter(QString());
    ds->Params().clear();
    ds->SetRemoteServer(FRemoteServer);
    ds->SetProviderName(QStringLiteral("pv_qry_Open"));
    Dispatch(FAppServer)->SetQuerySQL(sql);
    ds->Open();
    return ds->RecordCount() > 0;
}

int TdmMain::ExecProcArrays(
    const QString& procName, const QStringList& names, const QVariantList& values, TGParams* outParams)
{
    QVariant out;
    const int code = Dispatch(FAppServer)->ExecSP(procName, PackProcParams(names, values), out);
    if (outParams)
        UnpackProcParams(out, *outParams);
    return code;
}

int TdmMain::ExecProc(const QString& procName, TGParamObject& params)
{
    QStringList names;
    QVariantList values;
    for (int i = 0; i < params.Count; ++i) {
        names.append(params.Params[i].Name);
        values.append(params.Params[i].Value);
    }
    TGParams out;
    const int code = ExecProcArrays(procName, names, values, &out);
    for (const TGParam& p : out)
        params.SetParam(p.Name, p.Value, 0);
    return code;
}

void TdmMain::CheckAccountSetDB(const QString& dbName)
{
    try {
        QVariantList args { dbName };
        cnNet->AppServer()->Call(QStringLiteral("ChangeDb"), args);
    } catch (const Exception&) {
        throw Exception(Format(QStringLiteral("账套数据库“%s”不存在"), { dbName }));
    }
    FDBName = dbName;
}

void TdmMain::QueryBaseInfo(const QString& sql)
{
    try {
        OpenQuery(sql, cdsBaseInfo);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        ShowErrorFmt(QStringLiteral("基本信息查询失败：%s\r(%s)"), { e.message(), sql });
        Abort();
    }
}

void TdmMain::QueryBaseInfoFmt(const QString& fmt, const QVariantList& args)
{
    QueryBaseInfo(Format(fmt, args));
}

void TdmMain::MoveBaseInfoNode(const QString& tableName, const QString& oldId, const QString& oldParId,
    const QString& newParId, int newLevel)
{
    try {
        TGParamObject params;
        params.SetParam(QStringLiteral("@szDBName"), tableName, 0);
        params.SetParam(QStringLiteral("@szOldId"), oldId, 0);
        params.SetParam(QStringLiteral("@szOldParId"), oldParId, 0);
        params.SetParam(QStringLiteral("@szNewParid"), newParId, 0);
        params.SetParam(QStringLiteral("@NewLeveal"), newLevel, 0);
        params.SetParam(QStringLiteral("@szNewID"), QStringLiteral(""), 0);
        const QString procName = SysConfig()->GetBaseInfoMoveNodeProcedure() + QStringLiteral(";1");
        const int code = ExecProc(procName, params);
        if (code < 0)
            throw Exception(SysConfig()->GetBaseInfoMoveNodeErrorMessage(code));
        if (code > 0)
            throw Exception(Format(QStringLiteral("错误号 %d"), { code }));
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        ShowErrorFmt(QStringLiteral("数据搬移出错：%s"), { e.message() });
        Abort();
    }
}

bool TdmMain::BackupAccountSet(const QString& folder)
{
    TfmStatus::ShowStatus(QStringLiteral("正在备份数据 ..."));
    QString backupName
        = FDBName + u'-' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = backupName; // what a failure names: the backup, later the local file
    bool result = false;
    try {
        // Normalized as the file name will be: a trailing blank must not name another folder.
        if (!FServerName.contains(u'\\') && IsLocalHost(FServerName, true))
            ForceFolder(NormalizeFolder(folder));
        QVariantList args { FDBName, backupName, FDBName, 0 };
        cnNet->AppServer()->Call(QStringLiteral("BackupDatabase"), args);
        backupName = args.value(1).toString();
        target = backupName;
        const int code = args.value(3).toInt();
        if (code == -1) {
            ShowError(QStringLiteral(
                "服务器上存在同名的备份文件！\r\n请更换备份文件名称或者在数据恢复功能中删除该备份文件！"));
        } else if (code != 0) {
            ShowError(QStringLiteral("备份账套时发生未知错误！\r\n请与开发商联系解决！"));
        } else {
            target = NormalizeFolder(folder) + backupName + QStringLiteral(".ZIP");
            const QString refusal = DownloadBackup(*cnNet->AppServer(), backupName, target);
            if (refusal.isEmpty())
                result = true;
            else
                ShowError(refusal);
        }
    } catch (const Exception& e) {
        TfmStatus::HideStatus();
        QString message = e.message();
        if (message.contains(QStringLiteral("无法打开备份设备"))) {
            message = Format(QStringLiteral("请先在“%s”创建目录“%s”\r\n\r\n（服务器返回的原始错误：%s）"),
                { FServerName, folder, message });
        }
        ShowErrorFmt(QStringLiteral("备份到“%s”失败：%s"), { target, message });
        result = false;
    }
    TfmStatus::HideStatus();
    return result;
}
