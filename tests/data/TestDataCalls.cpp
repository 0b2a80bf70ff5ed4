// Queries, stored-procedure calls, the account-set check and node moves against a real
// bksvr with the demo; the answers bksvr never gives come from a scripted fake.
#include "DataTestEnv.h"
#include "FakeAppServer.h"
#include "common/Exception.h"
#include "tests/support/ScriptedMessages.h"

#include <QtTest>

namespace {

const QString AccountSet = QStringLiteral("ZT001");

struct Node {
    QString id, parId;
    int level = 0;
};

} // namespace

class TestDataCalls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void accountSetList();
    void checkAccountSetDB();
    void twoQueriesInARow();
    void queryWithoutRows();
    void fieldConversions();
    void failedQueryShowsOneBox();
    void queryFmt();
    void moveCodes_data();
    void moveCodes();
    void moveWorks();
    void execProcReturnsOutputs();
    void fakeProcedure_data();
    void fakeProcedure();

private:
    Node firstRow(const QString& sql);
    void expectOneError(ScriptedMessages& messages, const QString& text);

    std::unique_ptr<DataTestEnv> env;
    BksvrProcess server;
    std::unique_ptr<TdmMain> dm;
};

void TestDataCalls::initTestCase()
{
    env = std::make_unique<DataTestEnv>();
    QString error;
    QVERIFY2(server.start({}, &error), qPrintable(error));
}

void TestDataCalls::init()
{
    dm.reset();
    dm = env->connect(server.port(), AccountSet);
}

Node TestDataCalls::firstRow(const QString& sql)
{
    if (!dm->OpenQuery(sql, dm->cdsBaseInfo))
        throw Exception(QStringLiteral("no row: ") + sql);
    TClientDataSet* ds = dm->cdsBaseInfo;
    return { ds->FieldByName(QStringLiteral("TypeId")).AsString(),
        ds->FieldByName(QStringLiteral("ParId")).AsString(),
        ds->FieldByName(QStringLiteral("Level")).AsInteger() };
}

void TestDataCalls::expectOneError(ScriptedMessages& messages, const QString& text)
{
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, text);
    QCOMPARE(messages.shown[0].caption, DataTestEnv::ApplicationTitle);
    QCOMPARE(messages.shown[0].icon, MessageIcon::Error);
}

void TestDataCalls::accountSetList()
{
    // As the log-on reads it: a dataset of its own on "pv_sp_Open".
    QVariantList args { 0, QString() };
    dm->cnNet->AppServer()->Call(QStringLiteral("GetZt"), args);
    TClientDataSet list;
    list.SetRemoteServer(dm->FRemoteServer);
    list.SetProviderName(QStringLiteral("pv_sp_Open"));
    list.Open();
    QStringList names;
    for (list.First(); !list.Eof(); list.Next())
        names << list.FieldByName(QStringLiteral("DBNAME")).AsString().trimmed() + u'='
                + list.FieldByName(QStringLiteral("fullname")).AsString().trimmed();
    QCOMPARE(names.size(), 2);
    QVERIFY(names[0].startsWith(AccountSet + u'='));
    QVERIFY(names[0].size() > AccountSet.size() + 1);
}

void TestDataCalls::checkAccountSetDB()
{
    auto fresh = env->connect(server.port());
    try {
        fresh->CheckAccountSetDB(QStringLiteral("NOSUCH"));
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("账套数据库“NOSUCH”不存在"));
    }
    QCOMPARE(fresh->FDBName, QString());
    fresh->CheckAccountSetDB(QStringLiteral("ZT002"));
    fresh->CheckAccountSetDB(AccountSet);
    QCOMPARE(fresh->FDBName, AccountSet);
    QVERIFY_THROWS_EXCEPTION(Exception, fresh->CheckAccountSetDB(QStringLiteral("../ZT001")));
    QCOMPARE(fresh->FDBName, AccountSet); // kept after a failure
}

void TestDataCalls::twoQueriesInARow()
{
    TClientDataSet* ds = dm->cdsBaseInfo;
    QVERIFY(dm->OpenQuery(QStringLiteral("SELECT TypeId, FullName FROM Goods WHERE Level = 0"), ds));
    QCOMPARE(ds->RecordCount(), 1);
    QCOMPARE(ds->FieldByName(QStringLiteral("FullName")).AsString(), QStringLiteral("全部商品"));

    ds->SetFilter(QStringLiteral("Level = 1"));
    ds->Params().append({ QStringLiteral("@p"), 1, 0 });
    QVERIFY(
        dm->OpenQuery(QStringLiteral("SELECT TypeId, Level FROM Goods WHERE Level = 1 ORDER BY TypeId"), ds));
    QCOMPARE(ds->Filter(), QString());
    QVERIFY(ds->Params().isEmpty());
    QCOMPARE(ds->ProviderName(), QStringLiteral("pv_qry_Open"));
    QVERIFY(ds->RecordCount() > 1);
    QCOMPARE(ds->FieldCount(), 2);
    QVERIFY_THROWS_EXCEPTION(Exception, ds->FieldByName(QStringLiteral("FullName"))); // first result gone
    int walked = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QCOMPARE(ds->FieldByName(QStringLiteral("level")).AsInteger(), 1);
        ++walked;
    }
    QCOMPARE(walked, ds->RecordCount());
}

void TestDataCalls::queryWithoutRows()
{
    TClientDataSet* ds = dm->cdsBaseInfo;
    QVERIFY(dm->OpenQuery(QStringLiteral("SELECT TypeId FROM Goods"), ds));
    QVERIFY(!dm->OpenQuery(QStringLiteral("SELECT TypeId, FullName FROM Goods WHERE TypeId = 'none'"), ds));
    QVERIFY(ds->Active());
    QCOMPARE(ds->RecordCount(), 0);
    QVERIFY(ds->Eof());
    QCOMPARE(ds->FieldCount(), 2);
    QCOMPARE(ds->FieldByName(QStringLiteral("FullName")).AsString(), QString());
}

void TestDataCalls::fieldConversions()
{
    TClientDataSet* ds = dm->cdsBaseInfo;
    QVERIFY(dm->OpenQuery(QStringLiteral("SELECT NULL AS N, '12' AS T, 'abc' AS X, 7 AS I, 2.5 AS R"), ds));
    QCOMPARE(ds->FieldByName(QStringLiteral("N")).AsString(), QString());
    QCOMPARE(ds->FieldByName(QStringLiteral("N")).AsInteger(), 0);
    QCOMPARE(ds->FieldByName(QStringLiteral("T")).AsInteger(), 12);
    QCOMPARE(ds->FieldByName(QStringLiteral("I")).AsString(), QStringLiteral("7"));
    QCOMPARE(ds->FieldByName(QStringLiteral("R")).AsString(), QStringLiteral("2.5"));
    try {
        ds->FieldByName(QStringLiteral("X")).AsInteger();
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    try {
        ds->FieldByName(QStringLiteral("Missing"));
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("Field 'Missing' not found"));
    }
}

void TestDataCalls::failedQueryShowsOneBox()
{
    const QString sql = QStringLiteral("SELECT NoSuchColumn FROM Goods");
    QString serverMessage;
    try {
        dm->OpenQuery(sql, dm->cdsBaseInfo);
        QFAIL("the server accepted a bad query");
    } catch (const Exception& e) {
        serverMessage = e.message();
    }
    QVERIFY(!serverMessage.isEmpty());

    ScriptedMessages messages;
    QVERIFY_THROWS_EXCEPTION(EAbort, dm->QueryBaseInfo(sql));
    expectOneError(
        messages, QStringLiteral("基本信息查询失败：") + serverMessage + QStringLiteral("\r(") + sql + u')');
}

void TestDataCalls::queryFmt()
{
    ScriptedMessages messages;
    dm->QueryBaseInfoFmt(QStringLiteral("SELECT TypeId FROM %s WHERE ParId = '%s' ORDER BY TypeId"),
        { QStringLiteral("Goods"), QStringLiteral("00000") });
    QVERIFY(dm->cdsBaseInfo->RecordCount() > 0);
    QCOMPARE(dm->cdsBaseInfo->FieldByName(QStringLiteral("TypeId")).AsString(), QStringLiteral("00001"));
    QVERIFY(messages.shown.isEmpty());
}

void TestDataCalls::moveCodes_data()
{
    QTest::addColumn<QString>("oldId");
    QTest::addColumn<QString>("newParId");
    QTest::addColumn<QString>("message");
    // -2 is configured; -4 is not.
    QTest::newRow("configured negative code")
        << QStringLiteral("no-such-record") << QStringLiteral("00001")
        << QStringLiteral("数据搬移出错：") + DataTestEnv::Code2Text + QStringLiteral("\r（错误号 -2）");
    QTest::newRow("unconfigured negative code") << QString() << QStringLiteral("no-such-parent")
                                                << QStringLiteral("数据搬移出错：详情未知\r（错误号 -4）");
}

void TestDataCalls::moveCodes()
{
    QFETCH(QString, oldId);
    QFETCH(QString, newParId);
    QFETCH(QString, message);
    const Node leaf
        = firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE HasChild = 0 AND Level = 3 "
                                  "ORDER BY TypeId LIMIT 1"));
    ScriptedMessages messages;
    QVERIFY_THROWS_EXCEPTION(EAbort,
        dm->MoveBaseInfoNode(
            QStringLiteral("Goods"), oldId.isEmpty() ? leaf.id : oldId, leaf.parId, newParId, 2));
    expectOneError(messages, message);
    QCOMPARE(
        firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE TypeId = '%1'").arg(leaf.id))
            .parId,
        leaf.parId);
}

void TestDataCalls::moveWorks()
{
    const Node leaf
        = firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE HasChild = 0 AND Level = 3 "
                                  "AND TypeId NOT LIKE '99999%' ORDER BY TypeId LIMIT 1"));
    const Node target = firstRow(
        QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE HasChild = 1 AND Level = 1 "
                       "AND TypeId NOT LIKE '99999%' AND TypeId <> '%1' ORDER BY TypeId DESC LIMIT 1")
            .arg(leaf.parId));
    ScriptedMessages messages;
    dm->MoveBaseInfoNode(QStringLiteral("Goods"), leaf.id, leaf.parId, target.id, target.level + 1);
    QVERIFY(messages.shown.isEmpty());
    const Node moved
        = firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE TypeId = '%1'").arg(leaf.id));
    QCOMPARE(moved.parId, target.id);
    QCOMPARE(moved.level, target.level + 1);
    QString output;
    QCOMPARE(server.check(&output), 0);
}

void TestDataCalls::execProcReturnsOutputs()
{
    const Node leaf
        = firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE HasChild = 0 AND Level = 2 "
                                  "AND TypeId NOT LIKE '99999%' ORDER BY TypeId LIMIT 1"));
    const Node target = firstRow(QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE Level = 0"));
    TGParamObject params;
    params.SetParam(QStringLiteral("@szDBName"), QStringLiteral("Goods"));
    params.SetParam(QStringLiteral("@szOldId"), leaf.id);
    params.SetParam(QStringLiteral("@szOldParId"), leaf.parId);
    params.SetParam(QStringLiteral("@szNewParid"), target.id);
    params.SetParam(QStringLiteral("@NewLeveal"), 1);
    params.SetParam(QStringLiteral("@szNewID"), QStringLiteral(""));
    QCOMPARE(dm->ExecProc(DataTestEnv::MoveProcedure + QStringLiteral(";1"), params), 0);
    QCOMPARE(params.Count, 6);
    QCOMPARE(params.AsString(QStringLiteral("@szNewID")), leaf.id);
}

void TestDataCalls::fakeProcedure_data()
{
    QTest::addColumn<QVariant>("code");
    QTest::addColumn<QVariant>("outputs");
    QTest::addColumn<QString>("message");
    const QVariant newId
        = QVariantList { QVariantList { QStringLiteral("@szNewID"), QStringLiteral("X1"), 1, 2, 0, 0, 0 },
              QVariantList { QStringLiteral("@szExtra"), 9, 3, 2, 0, 0, 0 } };
    QTest::newRow("positive code") << QVariant(5) << QVariant() << QStringLiteral("数据搬移出错：错误号 5");
    QTest::newRow("zero with outputs") << QVariant(0) << newId << QString();
    QTest::newRow("no return code") << QVariant() << QVariant()
                                    << QStringLiteral(
                                           "数据搬移出错：后台服务器的应答无效：ExecSP 没有返回整数结果");
}

void TestDataCalls::fakeProcedure()
{
    QFETCH(QVariant, code);
    QFETCH(QVariant, outputs);
    QFETCH(QString, message);
    QList<WireMessage> calls;
    FakeAppServer fake([&](const WireMessage& call) {
        calls.append(call);
        QVariantList args = call.args;
        if (call.text == u"ExecSP")
            args[2] = outputs;
        return FakeAppServer::Answer { { FakeAppServer::Result(
            call, call.text == u"ExecSP" ? code : QVariant(true), args) } };
    });
    auto fakeDm = env->connect(fake.port());
    ScriptedMessages messages;
    if (message.isEmpty()) {
        TGParamObject params;
        params.SetParam(QStringLiteral("@szNewID"), QStringLiteral(""));
        QCOMPARE(fakeDm->ExecProc(QStringLiteral("P;1"), params), 0);
        QCOMPARE(params.Count, 2);
        QCOMPARE(params.AsString(QStringLiteral("@szNewID")), QStringLiteral("X1"));
        QCOMPARE(params.Params[1].Name, QStringLiteral("@szExtra")); // a new name goes to the end
        QCOMPARE(params.Params[1].Value, QVariant(9));
        // "@@" alone sends no parameter list at all.
        QCOMPARE(fakeDm->ExecProcArrays(QStringLiteral("P;1"), { QStringLiteral("@@") }, { 0 }, nullptr), 0);
        QVERIFY(calls.last().args[1].isNull());
        return;
    }
    QVERIFY_THROWS_EXCEPTION(EAbort,
        fakeDm->MoveBaseInfoNode(
            QStringLiteral("Goods"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), 3));
    expectOneError(messages, message);
    // What the procedure received: its configured name with ";1", the six parameters in order.
    const WireMessage& exec = calls.last();
    QCOMPARE(exec.args[0], QVariant(DataTestEnv::MoveProcedure + QStringLiteral(";1")));
    QStringList names;
    QVariantList values;
    for (const QVariant& p : exec.args[1].toList()) {
        names << p.toList()[0].toString();
        values << p.toList()[1];
    }
    QCOMPARE(names,
        (QStringList { QStringLiteral("@szDBName"), QStringLiteral("@szOldId"), QStringLiteral("@szOldParId"),
            QStringLiteral("@szNewParid"), QStringLiteral("@NewLeveal"), QStringLiteral("@szNewID") }));
    QCOMPARE(values,
        (QVariantList { QStringLiteral("Goods"), QStringLiteral("a"), QStringLiteral("b"),
            QStringLiteral("c"), 3, QStringLiteral("") }));
    QCOMPARE(exec.args[1].toList()[4].toList()[2], QVariant(3)); // integer type code
}

QTEST_MAIN(TestDataCalls)
#include "TestDataCalls.moc"
