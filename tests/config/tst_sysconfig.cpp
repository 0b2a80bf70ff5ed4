#include "common/Exception.h"
#include "common/Helpers.h"
#include "config/TSysConfig.h"
#include "tests/config/CfgFiles.h"

#include <QtTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Accessor = std::function<QString(const TSysConfig&)>;

QString text(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

// Accessors by the name a table row gives, with their arguments.
const QHash<QString, Accessor>& accessors()
{
    static const QHash<QString, Accessor> calls = {
        { u"GetConfigSection"_s, [](const TSysConfig& c) { return c.GetConfigSection(); } },
        { u"GetApplicationTitle"_s, [](const TSysConfig& c) { return c.GetApplicationTitle(); } },
        { u"GetBaseInfoMenuItems"_s, [](const TSysConfig& c) { return c.GetBaseInfoMenuItems(); } },
        { u"GetBaseInfoMaxLevels"_s, [](const TSysConfig& c) { return c.GetBaseInfoMaxLevels(); } },
        { u"GetBaseInfoTableName(1)"_s, [](const TSysConfig& c) { return c.GetBaseInfoTableName(1); } },
        { u"GetBaseInfoTableName(2)"_s, [](const TSysConfig& c) { return c.GetBaseInfoTableName(2); } },
        { u"GetBaseInfoMaxLevel(1)"_s,
            [](const TSysConfig& c) { return QString::number(c.GetBaseInfoMaxLevel(1)); } },
        { u"GetBaseInfoMaxLevel(2)"_s,
            [](const TSysConfig& c) { return QString::number(c.GetBaseInfoMaxLevel(2)); } },
        { u"GetBaseInfoMaxLevel(7)"_s,
            [](const TSysConfig& c) { return QString::number(c.GetBaseInfoMaxLevel(7)); } },
        { u"GetGridColumnHeaders(t_goods)"_s,
            [](const TSysConfig& c) { return c.GetGridColumnHeaders(u"t_goods"_s); } },
        { u"GetGridColumnFieldNames(t_goods)"_s,
            [](const TSysConfig& c) { return c.GetGridColumnFieldNames(u"t_goods"_s); } },
        { u"GetSelectRootNodeSQL"_s, [](const TSysConfig& c) { return c.GetSelectRootNodeSQL(); } },
        { u"GetCommonFieldNames(t_goods)"_s,
            [](const TSysConfig& c) { return c.GetCommonFieldNames(u"t_goods"_s); } },
        { u"GetCommonFieldName(t_goods,1)"_s,
            [](const TSysConfig& c) { return c.GetCommonFieldName(u"t_goods"_s, 1); } },
        { u"GetCommonFieldName(t_goods,5)"_s,
            [](const TSysConfig& c) { return c.GetCommonFieldName(u"t_goods"_s, 5); } },
        { u"GetSelectNodesByIDSQL(t_goods)"_s,
            [](const TSysConfig& c) { return c.GetSelectNodesByIDSQL(u"t_goods"_s); } },
        { u"GetSelectNodesByParentIDSQL"_s,
            [](const TSysConfig& c) { return c.GetSelectNodesByParentIDSQL(); } },
        { u"GetBaseInfoMoveNodeProcedure"_s,
            [](const TSysConfig& c) { return c.GetBaseInfoMoveNodeProcedure(); } },
        { u"GetBaseInfoMoveNodeErrorMessage(-3)"_s,
            [](const TSysConfig& c) { return c.GetBaseInfoMoveNodeErrorMessage(-3); } },
        { u"GetBaseInfoMoveNodeErrorMessage(2)"_s,
            [](const TSysConfig& c) { return c.GetBaseInfoMoveNodeErrorMessage(2); } },
        { u"GetSupportNotLeafNode"_s, [](const TSysConfig& c) { return text(c.GetSupportNotLeafNode()); } },
    };
    return calls;
}

// "%1" in an expected error stands for the file's path.
const QString EmptyValue = u"配置文件“%1”[%2]中“%3”的值不能为空"_s;

} // namespace

class TestSysConfig : public QObject {
    Q_OBJECT

private slots:
    void accessor_data();
    void accessor();
    void checkConfigFile_data();
    void checkConfigFile();
    void missingFileIsReportedByTheCheckOnly();
    void editsAreSeenByTheNextRead();
    void defaultFileIsBesideTheExecutable();
    void processInstanceCanBePointedAtAFile();
};

void TestSysConfig::accessor_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("error");

    // sections
    QTest::newRow("no System section: keys are looked for in System")
        << u"[Goods]\nApplicationTitle=商品\n"_s << u"GetApplicationTitle"_s << u"Ledgerine基本信息搬移工具"_s
        << QString();
    QTest::newRow("System is the working section by default")
        << u"[System]\nApplicationTitle=搬移工具\n"_s << u"GetApplicationTitle"_s << u"搬移工具"_s
        << QString();
    QTest::newRow("ConfigSection names the working section")
        << u"[System]\nConfigSection=Work\nApplicationTitle=A\n[Work]\nApplicationTitle=B\n"_s
        << u"GetApplicationTitle"_s << u"B"_s << QString();
    QTest::newRow("keys of System are ignored when another section is in force")
        << u"[System]\nConfigSection=Work\nSelectRootNodeSQL=select 1\n[Work]\nApplicationTitle=B\n"_s
        << u"GetSelectRootNodeSQL"_s << QString()
        << EmptyValue.arg(u"%1"_s, u"Work"_s, u"SelectRootNodeSQL"_s);
    QTest::newRow("ConfigSection trimmed")
        << u"[System]\nConfigSection=  Work \t\n"_s << u"GetConfigSection"_s << u"Work"_s << QString();
    QTest::newRow("ConfigSection empty fails every read")
        << u"[System]\nConfigSection=  \nApplicationTitle=A\n"_s << u"GetApplicationTitle"_s << QString()
        << EmptyValue.arg(u"%1"_s, u"System"_s, u"ConfigSection"_s);
    QTest::newRow("names match without regard to case")
        << u"[system]\nconfigsection=work\n[WORK]\nAPPLICATIONTITLE=T\n"_s << u"GetApplicationTitle"_s
        << u"T"_s << QString();
    QTest::newRow("section name holding the byte of ]")
        << u"[System]\nConfigSection=俔库\n[俔库]\nApplicationTitle=T\n"_s << u"GetApplicationTitle"_s
        << u"T"_s << QString();
    QTest::newRow("a later section of the same name adds to it")
        << u"[System]\nConfigSection=W\n[W]\nApplicationTitle=A\n[Other]\n[w]\nSelectRootNodeSQL=S\n"_s
        << u"GetSelectRootNodeSQL"_s << u"S"_s << QString();

    // values
    QTest::newRow("value trimmed") << u"[System]\nApplicationTitle = \t 搬移 工具 \t \n"_s
                                   << u"GetApplicationTitle"_s << u"搬移 工具"_s << QString();
    QTest::newRow("first of two equal keys") << u"[System]\nApplicationTitle=A\nApplicationTitle=B\n"_s
                                             << u"GetApplicationTitle"_s << u"A"_s << QString();
    QTest::newRow("comment line") << u"[System]\n;ApplicationTitle=A\n"_s << u"GetApplicationTitle"_s
                                  << u"Ledgerine基本信息搬移工具"_s << QString();
    QTest::newRow("equals sign inside the value")
        << u"[System]\nSelectRootNodeSQL=select * from %s where ParId='00000'\n"_s
        << u"GetSelectRootNodeSQL"_s << u"select * from %s where ParId='00000'"_s << QString();
    QTest::newRow("required key missing") << u"[System]\n"_s << u"GetBaseInfoMenuItems"_s << QString()
                                          << EmptyValue.arg(u"%1"_s, u"System"_s, u"BaseInfoMenuItems"_s);
    QTest::newRow("required key with default present but empty")
        << u"[System]\nApplicationTitle=\n"_s << u"GetApplicationTitle"_s << QString()
        << EmptyValue.arg(u"%1"_s, u"System"_s, u"ApplicationTitle"_s);
    QTest::newRow("optional list empty")
        << u"[System]\nBaseInfoMaxLevels=\n"_s << u"GetBaseInfoMaxLevels"_s << QString() << QString();

    // lists
    QTest::newRow("table name trimmed") << u"[System]\nBaseInfoTableNames=t_goods, \" t_ptype \"\n"_s
                                        << u"GetBaseInfoTableName(1)"_s << u"t_ptype"_s << QString();
    QTest::newRow("table index beyond the list")
        << u"[System]\nBaseInfoTableNames=t_goods,t_ptype\n"_s << u"GetBaseInfoTableName(2)"_s << QString()
        << u"配置中找不到第 3 个基本信息菜单项对应表名"_s;
    QTest::newRow("max levels absent")
        << u"[System]\n"_s << u"GetBaseInfoMaxLevel(7)"_s << u"10"_s << QString();
    QTest::newRow("max level of an entry")
        << u"[System]\nBaseInfoMaxLevels=3, 5\n"_s << u"GetBaseInfoMaxLevel(1)"_s << u"5"_s << QString();
    QTest::newRow("max level index beyond the list")
        << u"[System]\nBaseInfoMaxLevels=3,5\n"_s << u"GetBaseInfoMaxLevel(2)"_s << QString()
        << u"配置中找不到第 3 个基本信息菜单项对应最多级"_s;
    QTest::newRow("max level no integer")
        << u"[System]\nBaseInfoMaxLevels=3,五\n"_s << u"GetBaseInfoMaxLevel(1)"_s << QString()
        << u"'五' is not a valid integer value"_s;
    QTest::newRow("common fields fall back to the general list")
        << u"[System]\nCommonFieldNames=a,b,c,d,e\n"_s << u"GetCommonFieldNames(t_goods)"_s << u"a,b,c,d,e"_s
        << QString();
    QTest::newRow("common fields of the table win")
        << u"[System]\nCommonFieldNames=a,b,c,d,e\ncommonfieldnames_T_GOODS=v,w,x,y,z\n"_s
        << u"GetCommonFieldNames(t_goods)"_s << u"v,w,x,y,z"_s << QString();
    QTest::newRow("common fields: neither list")
        << u"[System]\n"_s << u"GetCommonFieldNames(t_goods)"_s << QString()
        << EmptyValue.arg(u"%1"_s, u"System"_s, u"CommonFieldNames"_s);
    QTest::newRow("common field trimmed") << u"[System]\nCommonFieldNames=a,\"  b  \",c,d,e\n"_s
                                          << u"GetCommonFieldName(t_goods,1)"_s << u"b"_s << QString();
    QTest::newRow("common field index beyond the list")
        << u"[System]\nCommonFieldNames=a,b,c,d,e\n"_s << u"GetCommonFieldName(t_goods,5)"_s << QString()
        << u"配置中找不到第 6 个基本信息公共字段名"_s;
    QTest::newRow("node by id falls back to the general statement")
        << u"[System]\nSelectNodesByIDSQL=select %s %s\n"_s << u"GetSelectNodesByIDSQL(t_goods)"_s
        << u"select %s %s"_s << QString();
    QTest::newRow("grid headers of the table missing")
        << u"[System]\nGridColumnHeaders_t_ptype=a\n"_s << u"GetGridColumnHeaders(t_goods)"_s << QString()
        << EmptyValue.arg(u"%1"_s, u"System"_s, u"GridColumnHeaders_t_goods"_s);

    // move procedure texts
    QTest::newRow("error text unknown") << u"[System]\n"_s << u"GetBaseInfoMoveNodeErrorMessage(-3)"_s
                                        << u"详情未知\r（错误号 -3）"_s << QString();
    QTest::newRow("error text configured")
        << u"[System]\nBaseInfoMoveNodeErrorMessage_3=目标节点不存在\n"_s
        << u"GetBaseInfoMoveNodeErrorMessage(-3)"_s << u"目标节点不存在\r（错误号 -3）"_s << QString();
    QTest::newRow("error text of a positive number")
        << u"[System]\nBaseInfoMoveNodeErrorMessage_2=二\n"_s << u"GetBaseInfoMoveNodeErrorMessage(2)"_s
        << u"二\r（错误号 2）"_s << QString();
    QTest::newRow("error text present but empty")
        << u"[System]\nBaseInfoMoveNodeErrorMessage_3=\n"_s << u"GetBaseInfoMoveNodeErrorMessage(-3)"_s
        << QString() << EmptyValue.arg(u"%1"_s, u"System"_s, u"BaseInfoMoveNodeErrorMessage_3"_s);
    QTest::newRow("not-leaf support absent")
        << u"[System]\n"_s << u"GetSupportNotLeafNode"_s << u"false"_s << QString();
    QTest::newRow("not-leaf support yes") << u"[System]\nBaseInfoMoveNodeProcedureSupportNotLeafNode=yes\n"_s
                                          << u"GetSupportNotLeafNode"_s << u"false"_s << QString();
    QTest::newRow("not-leaf support Y") << u"[System]\nBaseInfoMoveNodeProcedureSupportNotLeafNode=Y\n"_s
                                        << u"GetSupportNotLeafNode"_s << u"true"_s << QString();
    QTest::newRow("not-leaf support y with blanks")
        << u"[System]\nBaseInfoMoveNodeProcedureSupportNotLeafNode=  y  \n"_s << u"GetSupportNotLeafNode"_s
        << u"true"_s << QString();
    QTest::newRow("not-leaf support 是") << u"[System]\nBaseInfoMoveNodeProcedureSupportNotLeafNode=是\n"_s
                                         << u"GetSupportNotLeafNode"_s << u"true"_s << QString();
}

void TestSysConfig::accessor()
{
    QFETCH(QString, file);
    QFETCH(QString, call);
    QFETCH(QString, expected);
    QFETCH(QString, error);
    CfgFiles files;
    const TSysConfig config(files.Write(file));
    QVERIFY2(accessors().contains(call), qPrintable(call));
    try {
        const QString value = accessors()[call](config);
        QVERIFY2(error.isEmpty(), qPrintable(u"no error, read "_s + value));
        QCOMPARE(value, expected);
    } catch (const Exception& e) {
        QCOMPARE(e.message(), error.contains(u"%1"_s) ? error.arg(config.FileName()) : error);
    }
}

void TestSysConfig::checkConfigFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("error");
    QTest::newRow("all values present")
        << u"[System]\nApplicationTitle=T\nBaseInfoMenuItems=商品,往来单位\n"_s << QString();
    QTest::newRow("empty optional value in the working section")
        << u"[System]\nApplicationTitle=T\nBaseInfoMaxLevels=\n"_s
        << EmptyValue.arg(u"%1"_s, u"System"_s, u"BaseInfoMaxLevels"_s);
    QTest::newRow("first empty value in file order")
        << u"[System]\nB=\nA=\n"_s << EmptyValue.arg(u"%1"_s, u"System"_s, u"B"_s);
    QTest::newRow("empty value outside the working section")
        << u"[System]\nConfigSection=Work\nA=\n[Work]\nB=1\n"_s << QString();
    QTest::newRow("empty value in the section in force")
        << u"[System]\nConfigSection=Work\n[Work]\nB=1\nC= \t\n"_s
        << EmptyValue.arg(u"%1"_s, u"Work"_s, u"C"_s);
    QTest::newRow("empty ConfigSection")
        << u"[System]\nConfigSection=\n"_s << EmptyValue.arg(u"%1"_s, u"System"_s, u"ConfigSection"_s);
    QTest::newRow("empty file") << QString() << QString();
}

void TestSysConfig::checkConfigFile()
{
    QFETCH(QString, file);
    QFETCH(QString, error);
    CfgFiles files;
    const TSysConfig config(files.Write(file));
    try {
        config.CheckConfigFile();
        QVERIFY2(error.isEmpty(), "no error");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), error.arg(config.FileName()));
    }
}

void TestSysConfig::missingFileIsReportedByTheCheckOnly()
{
    CfgFiles files;
    const TSysConfig config(files.Path());
    QCOMPARE(config.GetApplicationTitle(), u"Ledgerine基本信息搬移工具"_s);
    try {
        config.CheckConfigFile();
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), u"配置文件“%1”不存在"_s.arg(files.Path()));
    }
}

void TestSysConfig::editsAreSeenByTheNextRead()
{
    CfgFiles files;
    const TSysConfig config(files.Path());
    QCOMPARE(config.GetApplicationTitle(), u"Ledgerine基本信息搬移工具"_s);
    files.Write(u"[System]\nApplicationTitle=甲\n"_s);
    QCOMPARE(config.GetApplicationTitle(), u"甲"_s);
    // same size, same second
    files.Write(u"[System]\nApplicationTitle=乙\n"_s);
    QCOMPARE(config.GetApplicationTitle(), u"乙"_s);
    // an old file, then an edit that keeps its size and gets an old time stamp again
    QFile file(files.Path());
    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(config.GetApplicationTitle(), u"乙"_s);
    files.Write(u"[System]\nApplicationTitle=丙\n"_s);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(config.GetApplicationTitle(), u"丙"_s);
    QVERIFY(QFile::remove(files.Path()));
    QCOMPARE(config.GetApplicationTitle(), u"Ledgerine基本信息搬移工具"_s);
}

void TestSysConfig::defaultFileIsBesideTheExecutable()
{
    QCOMPARE(TSysConfig().FileName(), QCoreApplication::applicationDirPath() + u"/Movedata.cfg"_s);
    QCOMPARE(SysConfig()->FileName(), GetExeFolder() + u"Movedata.cfg"_s);
}

void TestSysConfig::processInstanceCanBePointedAtAFile()
{
    CfgFiles files;
    SetSysConfigFileName(files.Write(u"[System]\nApplicationTitle=测试\n"_s));
    QCOMPARE(SysConfig()->GetApplicationTitle(), u"测试"_s);
    QCOMPARE(SysConfig()->FileName(), files.Path());
}

QTEST_GUILESS_MAIN(TestSysConfig)
#include "tst_sysconfig.moc"
