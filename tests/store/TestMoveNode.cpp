// The node-move procedure on a real demo account set: refusals that change nothing, moves that keep
// every hierarchy invariant, the journal, and the by-name call the dispatcher makes.
#include "DemoFolder.h"
#include "server/HierarchyCheck.h"
#include "server/MoveNodeProcedure.h"
#include "server/SqliteStatement.h"

#include <QTest>

using namespace Qt::StringLiterals;

using D = DemoFolder;

class TestMoveNode : public QObject {
    Q_OBJECT

private slots:
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void recordMovesAndIsJournalled();
    void classMovesWithEverythingBelow();
    void hasChildFlagsFollowTheMove();
    void tableNameIsMatchedWithoutCase();
    void movesRunInOtherAccountSetsToo();
    void procedureCall_data();
    void procedureCall();

private:
    static const ClientInfo Client;
};

const ClientInfo TestMoveNode::Client { QStringLiteral("127.0.0.1"), QStringLiteral("CASHIER-PC") };

void TestMoveNode::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("oldPar");
    QTest::addColumn<QString>("newPar");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("code");

    using M = MoveNodeProcedure;
    QTest::newRow("journal is no base-information table")
        << u"MoveJournal"_s << D::Record << D::HandTools << D::PowerTools << 3 << int(M::NotBaseInfoTable);
    QTest::newRow("unknown table") << u"NoSuchTable"_s << D::Record << D::HandTools << D::PowerTools << 3
                                   << int(M::NotBaseInfoTable);
    QTest::newRow("SQL in the table name") << u"Goods\"; DROP TABLE Goods; --"_s << D::Record << D::HandTools
                                           << D::PowerTools << 3 << int(M::NotBaseInfoTable);
    QTest::newRow("schema table") << u"sqlite_master"_s << D::Record << D::HandTools << D::PowerTools << 3
                                  << int(M::NotBaseInfoTable);
    QTest::newRow("record missing") << u"Goods"_s << u"nope"_s << D::HandTools << D::PowerTools << 3
                                    << int(M::RecordMissing);
    QTest::newRow("parent changed meanwhile")
        << u"Goods"_s << D::Record << D::Tools << D::PowerTools << 3 << int(M::ParentChanged);
    QTest::newRow("root") << u"Goods"_s << D::Root << u""_s << D::Tools << 2 << int(M::RootNode);
    QTest::newRow("new parent missing")
        << u"Goods"_s << D::Record << D::HandTools << u"nope"_s << 3 << int(M::NewParentMissing);
    QTest::newRow("into itself") << u"Goods"_s << D::Wrenches << D::HandTools << D::Wrenches << 4
                                 << int(M::Cycle);
    QTest::newRow("below itself") << u"Goods"_s << D::Wrenches << D::HandTools << D::OpenWrenches << 5
                                  << int(M::Cycle);
    QTest::newRow("class below its own grandchild")
        << u"Goods"_s << D::Tools << D::Root << D::Wrenches << 4 << int(M::Cycle);
    QTest::newRow("level not the new parent's + 1")
        << u"Goods"_s << D::Record << D::HandTools << D::PowerTools << 2 << int(M::LevelMismatch);
    QTest::newRow("negative level") << u"Goods"_s << D::Record << D::HandTools << D::PowerTools << -1
                                    << int(M::LevelMismatch);
    // 扳手 has two levels below it: at level 5 its records would sink to 7, beyond the 6 of goods.
    QTest::newRow("subtree beyond the category's limit")
        << u"Goods"_s << D::Wrenches << D::HandTools << D::Woks << 5 << int(M::LevelBeyondLimit);
}

void TestMoveNode::refusalsChangeNothing()
{
    QFETCH(QString, table);
    QFETCH(QString, id);
    QFETCH(QString, oldPar);
    QFETCH(QString, newPar);
    QFETCH(int, level);
    QFETCH(int, code);

    DemoFolder demo;
    QVERIFY(demo.isValid());
    const QByteArray before = demo.digest();
    auto db = demo.open();
    QString newId = QStringLiteral("untouched"), error;
    QCOMPARE(db->moveNode(table, id, oldPar, newPar, level, &newId, Client, &error), code);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(newId, QStringLiteral("untouched"));
    QCOMPARE(demo.digest(), before);

    // The session is still usable afterwards: no transaction was left open.
    QCOMPARE(db->moveNode(u"Goods"_s, D::Record, D::HandTools, D::PowerTools, 3, &newId, Client, &error), 0);
}

void TestMoveNode::recordMovesAndIsJournalled()
{
    DemoFolder demo;
    auto db = demo.open();
    QString newId, error;
    QCOMPARE(db->moveNode(u"Goods"_s, D::Record, D::HandTools, D::PowerTools, 3, &newId, Client, &error), 0);
    QCOMPARE(newId, D::Record);
    QCOMPARE(demo.node(D::Record).parId, D::PowerTools);
    QCOMPARE(demo.node(D::Record).level, 3);

    auto raw = demo.raw();
    SqliteStatement journal(raw->handle(),
        (u"SELECT MovedAt, ClientAddress, ComputerName, TableName, RecordId, OldParId, NewParId,"
         u" OldLevel, NewLevel FROM MoveJournal"_s));
    QVERIFY(journal.step());
    QVERIFY(QDateTime::fromString(journal.text(0), Qt::ISODateWithMs).isValid());
    const QStringList row { journal.text(1), journal.text(2), journal.text(3), journal.text(4),
        journal.text(5), journal.text(6), journal.text(7), journal.text(8) };
    QCOMPARE(row,
        QStringList({ u"127.0.0.1"_s, u"CASHIER-PC"_s, u"Goods"_s, D::Record, D::HandTools, D::PowerTools,
            u"3"_s, u"3"_s }));
    QVERIFY(!journal.step());
    QCOMPARE(HierarchyCheck::checkDatabase(*raw), QStringList());
}

void TestMoveNode::classMovesWithEverythingBelow()
{
    DemoFolder demo;
    auto levelsBelow = [&](const QString& id) {
        return demo.count((u"WITH RECURSIVE s(id) AS (SELECT '%1' UNION SELECT g.TypeId FROM Goods g"
                           u" JOIN s ON g.ParId = s.id) SELECT sum(Level) FROM Goods WHERE TypeId IN s"_s)
                              .arg(id));
    };
    const int size = demo.count((u"WITH RECURSIVE s(id) AS (SELECT '%1' UNION SELECT g.TypeId FROM Goods"
                                 u" g JOIN s ON g.ParId = s.id) SELECT count(*) FROM s"_s)
                                    .arg(D::Wrenches));
    QVERIFY(size > 5);
    const int sumBefore = levelsBelow(D::Wrenches);

    auto db = demo.open();
    QString newId, error;
    // 扳手 (level 3) up to level 2 under 电工电气, then down to level 4 under 电动工具's sub-class.
    QCOMPARE(
        db->moveNode(u"Goods"_s, D::Wrenches, D::HandTools, D::Electrical, 2, &newId, Client, &error), 0);
    QCOMPARE(demo.node(D::Wrenches).level, 2);
    QCOMPARE(demo.node(D::OpenWrenches).level, 3);
    QCOMPARE(levelsBelow(D::Wrenches), sumBefore - size);
    QCOMPARE(HierarchyCheck::checkDatabase(*demo.raw()), QStringList());

    const QString drills = D::PowerTools + QStringLiteral("00001");
    QCOMPARE(db->moveNode(u"Goods"_s, D::Wrenches, D::Electrical, drills, 4, &newId, Client, &error), 0);
    QCOMPARE(demo.node(D::OpenWrenches).level, 5);
    QCOMPARE(levelsBelow(D::Wrenches), sumBefore + size);
    QCOMPARE(HierarchyCheck::checkDatabase(*demo.raw()), QStringList());
    QCOMPARE(demo.count(QStringLiteral("SELECT count(*) FROM MoveJournal")), 2);
}

void TestMoveNode::hasChildFlagsFollowTheMove()
{
    DemoFolder demo;
    auto db = demo.open();
    QString newId, error;
    QCOMPARE(demo.node(D::SiblingRecord).hasChild, 0);
    QCOMPARE(
        db->moveNode(u"Goods"_s, D::Record, D::HandTools, D::SiblingRecord, 4, &newId, Client, &error), 0);
    QCOMPARE(demo.node(D::SiblingRecord).hasChild, 1);
    QCOMPARE(
        db->moveNode(u"Goods"_s, D::Record, D::SiblingRecord, D::HandTools, 3, &newId, Client, &error), 0);
    QCOMPARE(demo.node(D::SiblingRecord).hasChild, 0);
    QCOMPARE(demo.node(D::HandTools).hasChild, 1);

    // Emptying a class clears its flag.
    auto raw = demo.raw();
    SqliteStatement children(raw->handle(), QStringLiteral("SELECT TypeId FROM Goods WHERE ParId = ?1"));
    children.bind(1, D::RingWrenches);
    QStringList ids;
    while (children.step())
        ids << children.text(0);
    QVERIFY(!ids.isEmpty());
    for (const QString& id : ids)
        QCOMPARE(
            db->moveNode(u"Goods"_s, id, D::RingWrenches, D::OpenWrenches, 5, &newId, Client, &error), 0);
    QCOMPARE(demo.node(D::RingWrenches).hasChild, 0);
    QCOMPARE(HierarchyCheck::checkDatabase(*raw), QStringList());
}

void TestMoveNode::tableNameIsMatchedWithoutCase()
{
    DemoFolder demo;
    auto db = demo.open();
    QString newId, error;
    QCOMPARE(db->moveNode(u"GOODS"_s, D::Record, D::HandTools, D::PowerTools, 3, &newId, Client, &error), 0);
    QCOMPARE(demo.count(QStringLiteral("SELECT count(*) FROM MoveJournal WHERE TableName = 'Goods'")), 1);
}

void TestMoveNode::movesRunInOtherAccountSetsToo()
{
    DemoFolder demo;
    auto db = demo.open(QStringLiteral("ZT002"));
    const QByteArray first = demo.digest(QStringLiteral("ZT001"));
    auto raw = demo.raw(QStringLiteral("ZT002"));
    SqliteStatement pick(raw->handle(),
        (u"SELECT r.TypeId, r.ParId, c.TypeId, c.Level FROM Employees r JOIN Employees c"
         u" ON c.HasChild = 1 AND c.TypeId <> r.ParId AND c.Level < 4 WHERE r.HasChild = 0 LIMIT 1"_s));
    QVERIFY(pick.step());
    QString newId, error;
    QCOMPARE(db->moveNode(u"Employees"_s, pick.text(0), pick.text(1), pick.text(2), int(pick.integer(3)) + 1,
                 &newId, Client, &error),
        0);
    QCOMPARE(demo.digest(QStringLiteral("ZT001")), first);
    QCOMPARE(HierarchyCheck::checkDatabase(*raw), QStringList());
}

void TestMoveNode::procedureCall_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("level");
    QTest::addColumn<bool>("drop"); // leave "@szOldParId" out
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("error");

    QTest::newRow("name;1") << u"P_BaseInfo_MoveNode;1"_s << QVariant(3) << false << true << 0 << u""_s;
    QTest::newRow("without number") << u"P_BaseInfo_MoveNode"_s << QVariant(3) << false << true << 0 << u""_s;
    QTest::newRow("other letter case")
        << u"p_baseinfo_movenode;1"_s << QVariant(3) << false << true << 0 << u""_s;
    QTest::newRow("64-bit level") << u"P_BaseInfo_MoveNode;1"_s << QVariant(qlonglong(3)) << false << true
                                  << 0 << u""_s;
    QTest::newRow("level as text") << u"P_BaseInfo_MoveNode;1"_s << QVariant(u"3"_s) << false << true << 0
                                   << u""_s;
    QTest::newRow("refusal is a result")
        << u"P_BaseInfo_MoveNode;1"_s << QVariant(7) << false << true << -7 << u""_s;
    QTest::newRow("number 2") << u"P_BaseInfo_MoveNode;2"_s << QVariant(3) << false << false << 0
                              << u"找不到存储过程"_s;
    QTest::newRow("unknown procedure")
        << u"sp_who;1"_s << QVariant(3) << false << false << 0 << u"找不到存储过程"_s;
    QTest::newRow("level not a number")
        << u"P_BaseInfo_MoveNode;1"_s << QVariant(u"三"_s) << false << false << 0 << u"@NewLeveal"_s;
    QTest::newRow("level missing") << u"P_BaseInfo_MoveNode;1"_s << QVariant() << false << false << 0
                                   << u"需要参数 '@NewLeveal'"_s;
    QTest::newRow("old parent missing")
        << u"P_BaseInfo_MoveNode;1"_s << QVariant(3) << true << false << 0 << u"需要参数 '@szOldParId'"_s;
}

void TestMoveNode::procedureCall()
{
    QFETCH(QString, name);
    QFETCH(QVariant, level);
    QFETCH(bool, drop);
    QFETCH(bool, ok);
    QFETCH(int, result);
    QFETCH(QString, error);

    DemoFolder demo;
    auto db = demo.open();
    const QByteArray before = demo.digest();
    ProcParams params { { u"@szDBName"_s, u"Goods"_s }, { u"@szOldId"_s, D::Record },
        { u"@szOldParId"_s, D::HandTools }, { u"@szNewParid"_s, D::PowerTools }, { u"@NewLeveal"_s, level },
        { u"@szNewID"_s, QString() } };
    if (drop)
        params.removeAt(2);
    int code = 12345;
    QString failure;
    QCOMPARE(db->execProcedure(name, params, Client, &code, &failure), ok);
    if (!ok) {
        QVERIFY2(failure.contains(error), qPrintable(failure));
        QCOMPARE(demo.digest(), before);
        return;
    }
    QCOMPARE(code, result);
    QCOMPARE(params.size(), 6);
    QCOMPARE(params.last().name, QStringLiteral("@szNewID"));
    QCOMPARE(params.last().value.toString(), result == 0 ? D::Record : QString());
    QCOMPARE(demo.node(D::Record).parId, result == 0 ? D::PowerTools : D::HandTools);
}

QTEST_GUILESS_MAIN(TestMoveNode)
#include "TestMoveNode.moc"
