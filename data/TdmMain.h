#pragma once

#include "data/TAppServer.h"
#include "data/TClientDataSet.h"
#include "data/TParamObject.h"
#include "data/TSocketConnection.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariantList>

// The data module: the one connection to the application server, the base-information
// dataset, queries, stored-procedure calls, the account-set check, node moves and the
// backup. Every call is synchronous on the calling (user-interface) thread and bounded in
// time. Creation checks Movedata.cfg (SysConfig()->CheckConfigFile()) and throws on failure.
class TdmMain : public QObject {
    Q_OBJECT

public:
    explicit TdmMain(QObject* parent = nullptr);
    ~TdmMain() override;

    TSocketConnection* cnNet;
    TClientDataSet* cdsBaseInfo;
    QString FServerName; // set by the log-on when it opened cnNet
    QString FDBName; // the account set that last passed CheckAccountSetDB
    TSocketConnection* FRemoteServer = nullptr; // cnNet once opened; never cleared
    TAppServer* FAppServer = nullptr; // while cnNet is open

    // Runs sql into ds through "pv_qry_Open"; true when at least one row came back.
    bool OpenQuery(const QString& sql, TClientDataSet* ds);
    // Names and Values of equal length; a single name "@@" calls without parameters.
    // OutParams (may be null) receives the output parameters. Returns the procedure's code.
    int ExecProcArrays(
        const QString& procName, const QStringList& names, const QVariantList& values, TGParams* outParams);
    // Output parameters are written back into params (replaced, or appended when new).
    int ExecProc(const QString& procName, TGParamObject& params);
    // Throws "账套数据库“%s”不存在"; FDBName keeps its value on failure.
    void CheckAccountSetDB(const QString& dbName);
    // Failures show "基本信息查询失败：%s\r(%s)" and abort silently (EAbort).
    void QueryBaseInfo(const QString& sql);
    void QueryBaseInfoFmt(const QString& fmt, const QVariantList& args);
    // Failures show "数据搬移出错：%s" and abort silently (EAbort).
    void MoveBaseInfoNode(const QString& tableName, const QString& oldId, const QString& oldParId,
        const QString& newParId, int newLevel);
    // Backs FDBName up on the server and downloads it into folder; false after a failure
    // (one error box shown).
    bool BackupAccountSet(const QString& folder);

    // CONFIG.CFG, read afresh at every call.
    static QString GetAppPath(); // the executable's folder, no trailing separator
    // GetAppPath + "/CONFIG.CFG", unless another file was set.
    static QString GetServerConfigFile();
    // Reads CONFIG.CFG from another place (tests, tools); empty restores the default.
    static void SetServerConfigFileName(const QString& fileName);
    static QString GetServerConfig(const QString& name, const QString& def);
    static QUuid ServerGUIDOfPort(int port);

    // Handlers of cnNet's events.
    void cnNetBeforeConnect(TSocketConnection* sender);
    void cnNetAfterConnect(TSocketConnection* sender);
    void cnNetBeforeDisconnect(TSocketConnection* sender);
};

// The data module created at start-up (the most recent live instance); null before.
TdmMain* dmMain();
