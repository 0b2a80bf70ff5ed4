#include "DataTestEnv.h"

#include "common/Helpers.h"
#include "config/TSysConfig.h"

#include <QFile>
#include <QtTest>

const QString DataTestEnv::ApplicationTitle = QStringLiteral("搬移工具测试");
const QString DataTestEnv::MoveProcedure = QStringLiteral("P_BaseInfo_MoveNode");
const QString DataTestEnv::Code2Text = QStringLiteral("要搬移的记录不存在，可能已被删除");

namespace {

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

DataTestEnv::DataTestEnv()
{
    TdmMain::SetServerConfigFileName(FDir.filePath(QStringLiteral("CONFIG.CFG")));
    writeMoveConfig();
    SetSysConfigFileName(FDir.filePath(QStringLiteral("Movedata.cfg")));
    SetApplicationTitle(ApplicationTitle);
}

DataTestEnv::~DataTestEnv()
{
    TdmMain::SetServerConfigFileName(QString());
}

void DataTestEnv::writeServerConfig(const QByteArray& content)
{
    WriteFile(FDir.filePath(QStringLiteral("CONFIG.CFG")), content);
}

void DataTestEnv::removeServerConfig()
{
    QFile::remove(FDir.filePath(QStringLiteral("CONFIG.CFG")));
}

void DataTestEnv::writeMoveConfig()
{
    const QString text = QStringLiteral("[System]\r\nApplicationTitle=%1\r\nBaseInfoMoveNodeProcedure=%2\r\n"
                                        "BaseInfoMoveNodeErrorMessage_2=%3\r\n")
                             .arg(ApplicationTitle, MoveProcedure, Code2Text);
    WriteFile(FDir.filePath(QStringLiteral("Movedata.cfg")), "\xEF\xBB\xBF" + text.toUtf8());
}

std::unique_ptr<TdmMain> DataTestEnv::connect(quint16 port, const QString& dbName)
{
    writeServerConfig(QStringLiteral("[SERVER]\r\nSOCKETPORT=%1\r\n").arg(port).toLatin1());
    auto dm = std::make_unique<TdmMain>();
    dm->cnNet->SetHost(QStringLiteral("127.0.0.1"));
    dm->cnNet->Open();
    dm->FServerName = QStringLiteral("127.0.0.1");
    if (!dbName.isEmpty())
        dm->CheckAccountSetDB(dbName);
    return dm;
}
