// Queries, stored-procedure calls, the account-set check and node moves against a real
// bksvr with the demo; the answers bksvr never gives come from a scripted fake.
#include "DataTestEnv.h"
#include "FakeAppServer.h"
#include "common/Exception.h"
#include "data/TRecordStore.h"
#include "tests/support/ScriptedMessages.h"
#include "wire/WireCodec.h"

#include <QtTest>

namespace {

const QString AccountSet = QStringLiteral("ZT001");

struct Node {
    QString id, parId;
    int level = 0;
};

QByteArray Encoded(const WireMessage& m)
{
    QByteArray frame;
    QString error;
    if (!WireCodec::encodeMessage(m, &frame, &error))
        qFatal("%s", qPrintable(error));
    return frame;
}

// What a provider's open answers: row packets of the given rows, then the table with
// these fields and count.
struct FakeDataSet {
    QList<QList<QVariantList>> packets;
    QStringList fields;
    qint64 count = 0;
    qint32 idOffset = 0; // answers another call's id
    QString serverError; // instead of the table

    FakeDataSet() = default;
    FakeDataSet(const QList<QList<QVariantList>>& packets, const QStringList& fields, qint64 count,
        qint32 idOffset = 0, const QString& serverError = {})
        : packets(packets)
        , fields(fields)
        , count(count)
        , idOffset(idOffset)
        , serverError(serverError)
    {
    }

    QList<QByteArray> Frames(const WireMessage& call) const
    {
        QList<QByteArray> frames;
        WireMessage m;
        m.id = call.id + idOffset;
        m.type = WireMessage::Type::Rows;
        for (const QList<QVariantList>& rows : packets) {
            m.rows = rows;
            frames << Encoded(m);
        }
        if (!serverError.isEmpty())
            return frames << FakeAppServer::Error(call, serverError);
        m.type = WireMessage::Type::Table;
        m.rows.clear();
        m.fields = fields;
        m.count = count;
        frames << Encoded(m);
        return frames;
    }
};

} // namespace

Q_DECLARE_METATYPE(FakeDataSet)

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
    void fakeDataSet_data();
    void fakeDataSet();

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

// Rows arrive packet by packet straight into the dataset's store, so every check of the whole
// data set happens after some rows are in: a failed open must still leave it closed and empty.
void TestDataCalls::fakeDataSet_data()
{
    QTest::addColumn<FakeDataSet>("answer");
    QTest::addColumn<QString>("error"); // empty: opens
    const QStringList ab { QStringLiteral("A"), QStringLiteral("B") };
    const QList<QVariantList> two { { 1, QStringLiteral("一") }, { qlonglong(1) << 40, QVariant() } };
    const QList<QVariantList> one { { 2.5, true } };
    QTest::newRow("two packets") << FakeDataSet { { two, one }, ab, 3 } << QString();
    QTest::newRow("no rows") << FakeDataSet { {}, ab, 0 } << QString();
    QTest::newRow("fewer rows than counted") << FakeDataSet { { two, one }, ab,
        4 } << QStringLiteral("“pv_qry_Open”的数据不完整：应有 4 行，收到 3 行");
    QTest::newRow("more rows than counted") << FakeDataSet { { two, one }, ab,
        2 } << QStringLiteral("“pv_qry_Open”的数据不完整：应有 2 行，收到 3 行");
    QTest::newRow("rows wider than the fields") << FakeDataSet { { two }, { QStringLiteral("A") }, 2 }
                                                << QStringLiteral("“pv_qry_Open”的数据行与字段数不符");
    QTest::newRow("packets of different widths")
        << FakeDataSet { { { { 1 } }, two }, ab, 3 } << QStringLiteral("“pv_qry_Open”的数据行与字段数不符");
    QTest::newRow("rows of another call")
        << FakeDataSet { { two }, ab, 2, 1 } << QStringLiteral("应答与请求不符");
    QTest::newRow("server error after rows")
        << FakeDataSet { { two }, ab, 2, 0, QStringLiteral("磁盘已满") } << QStringLiteral("磁盘已满");
}

void TestDataCalls::fakeDataSet()
{
    QFETCH(FakeDataSet, answer);
    QFETCH(QString, error);
    // The first open gets a good table, so a failed second open cannot pass for one that
    // merely kept nothing.
    const FakeDataSet first { { { { 7, QStringLiteral("x") } } },
        { QStringLiteral("C"), QStringLiteral("D") }, 1 };
    int opens = 0;
    FakeAppServer fake([&](const WireMessage& call) {
        if (call.text == u"pv_qry_Open")
            return FakeAppServer::Answer { (opens++ == 0 ? first : answer).Frames(call) };
        return FakeAppServer::Answer { { FakeAppServer::Result(call, QVariant(0), call.args) } };
    });
    auto fakeDm = env->connect(fake.port());
    TClientDataSet* ds = fakeDm->cdsBaseInfo;
    QVERIFY(fakeDm->OpenQuery(QStringLiteral("SELECT 1"), ds));
    if (error.isEmpty()) {
        QCOMPARE(fakeDm->OpenQuery(QStringLiteral("SELECT 2"), ds), answer.count > 0);
        QCOMPARE(ds->Store().FieldNames(), answer.fields);
        QCOMPARE(ds->RecordCount(), int(answer.count));
        QVERIFY(ds->Store().Complete());
        int row = 0;
        for (const QList<QVariantList>& packet : std::as_const(answer.packets)) {
            for (const QVariantList& values : packet) {
                for (int f = 0; f < values.size(); ++f)
                    QCOMPARE(ds->Store().Value(row, f), values[f]);
                ++row;
            }
        }
        return;
    }
    try {
        fakeDm->OpenQuery(QStringLiteral("SELECT 2"), ds);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
    }
    QVERIFY(!ds->Active());
    QCOMPARE(ds->RecordCount(), 0);
    QCOMPARE(ds->FieldCount(), 0);
    QCOMPARE(ds->Store().RowCount(), 0);
    QVERIFY(ds->Store().Complete()); // no cells left behind
}

QTEST_MAIN(TestDataCalls)
#include "TestDataCalls.moc"
