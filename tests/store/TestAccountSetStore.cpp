// The data folder: catalogue, opening account sets by catalogue name only, and the demo it starts with.
#include "DemoFolder.h"
#include "server/DemoBuilder.h"
#include "server/SqliteStatement.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestAccountSetStore : public QObject {
    Q_OBJECT

private slots:
    void catalogueListsTheAccountSets();
    void folderWithoutCatalogueIsRefused();
    void opensByCatalogueNameOnly_data();
    void opensByCatalogueNameOnly();
    void demoHasRecordsAtEveryLevel();
    void demoIsDurableAndHasTheAskedGoods();
    void demoDoesNotOverwrite();
};

void TestAccountSetStore::catalogueListsTheAccountSets()
{
    DemoFolder demo;
    QString error;
    const QList<AccountSetEntry> entries = demo.store().catalogue(&error);
    QCOMPARE(error, QString());
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].dbName, u"ZT001"_s);
    QCOMPARE(entries[0].fullName, u"杭州明辉五金机电有限公司"_s);
    QCOMPARE(entries[1].dbName, u"ZT002"_s);
    QCOMPARE(entries[1].file, u"ZT002.db"_s);
}

void TestAccountSetStore::folderWithoutCatalogueIsRefused()
{
    QTemporaryDir empty;
    QString error;
    QVERIFY(!AccountSetStore::open(empty.path(), &error));
    QVERIFY2(error.contains(u"master.db"_s), qPrintable(error));
}

void TestAccountSetStore::opensByCatalogueNameOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName"); // planted as ZT002's file first, when not empty
    QTest::addColumn<QString>("error"); // empty: opens

    QTest::newRow("catalogue name") << u"ZT002"_s << QString() << QString();
    QTest::newRow("other letter case") << u"zt002"_s << QString() << QString();
    QTest::newRow("unknown name") << u"ZT009"_s << QString() << u"数据库“ZT009”不存在"_s;
    QTest::newRow("catalogue itself") << u"master"_s << QString() << u"不存在"_s;
    QTest::newRow("a path as name") << u"ZT002.db"_s << QString() << u"不存在"_s;
    QTest::newRow("file outside the folder") << u"ZT002"_s << u"/etc/passwd"_s << u"不合法"_s;
    QTest::newRow("file missing") << u"ZT002"_s << u"ZT003.db"_s << u"数据库文件不存在"_s;
    QTest::newRow("file is no account set") << u"ZT002"_s << u"master.db"_s << u"不是账套数据库"_s;
}

void TestAccountSetStore::opensByCatalogueNameOnly()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QFETCH(QString, error);
    DemoFolder demo;
    QString failure;
    if (!fileName.isEmpty()) {
        auto master
            = SqliteConnection::open(demo.dataDir() + u"/master.db"_s, SqliteConnection::Existing, &failure);
        SqliteStatement plant(
            master->handle(), u"UPDATE AccountSets SET FileName = ?1 WHERE DbName = 'ZT002'"_s);
        QVERIFY(plant.bind(1, fileName).exec());
    }
    auto db = demo.store().openAccountSet(name, &failure);
    if (error.isEmpty()) {
        QVERIFY2(db, qPrintable(failure));
        QCOMPARE(db->dbName(), u"ZT002"_s);
    } else {
        QVERIFY(!db);
        QVERIFY2(failure.contains(error), qPrintable(failure));
    }
}

void TestAccountSetStore::demoHasRecordsAtEveryLevel()
{
    DemoFolder demo;
    for (const QString& dbName : { u"ZT001"_s, u"ZT002"_s }) {
        auto db = demo.raw(dbName);
        SqliteStatement tables(db->handle(), u"SELECT TableName, MaxLevel FROM BaseInfoTables"_s);
        int count = 0;
        while (tables.step()) {
            ++count;
            const QString t = tables.text(0);
            SqliteStatement shape(db->handle(),
                u"SELECT (SELECT count(*) FROM %1 WHERE ParId IS NULL), (SELECT max(Level) FROM %1 WHERE "
                u"HasChild = 1),"
                " (SELECT count(DISTINCT Level) FROM %1 WHERE HasChild = 0 AND Level > 0), (SELECT max(Level) FROM %1)"_s
                    .arg(t));
            QVERIFY(shape.step());
            QCOMPARE(shape.integer(0), 1); // a single root
            const qint64 classDepth = shape.integer(1);
            QVERIFY2(classDepth >= 3 && classDepth <= 4, qPrintable(t));
            QCOMPARE(shape.integer(2), classDepth + 1); // records on every level below the root
            QVERIFY(shape.integer(3) <= tables.integer(1));
        }
        QCOMPARE(count, 4);
        SqliteStatement guarded(
            db->handle(), u"SELECT count(*) FROM Goods WHERE TypeId LIKE '99999%' AND HasChild = 0"_s);
        QVERIFY(guarded.step());
        QVERIFY(guarded.integer(0) > 0);
    }
}

void TestAccountSetStore::demoIsDurableAndHasTheAskedGoods()
{
    DemoFolder demo;
    auto db = demo.raw();
    SqliteStatement mode(db->handle(), u"PRAGMA journal_mode"_s);
    QVERIFY(mode.step());
    QCOMPARE(mode.text(0), u"wal"_s);
    QCOMPARE(demo.count(u"SELECT count(*) FROM Goods WHERE HasChild = 0"_s), DemoFolder::Goods);
    QCOMPARE(demo.count(u"SELECT count(*) FROM Goods WHERE HasChild = 0"_s, u"ZT002"_s), DemoFolder::Goods);
}

void TestAccountSetStore::demoDoesNotOverwrite()
{
    DemoFolder demo;
    const QByteArray before = demo.digest();
    QString error;
    QVERIFY(!DemoBuilder::initDemo(demo.dataDir(), 10, &error));
    QVERIFY2(error.contains(u"不覆盖"_s), qPrintable(error));
    QCOMPARE(demo.digest(), before);

    QTemporaryDir fresh;
    QVERIFY(!DemoBuilder::initDemo(fresh.path(), -1, &error));
    QVERIFY(!DemoBuilder::initDemo(fresh.path(), 2000000, &error));
    QVERIFY(!QFile::exists(fresh.filePath(u"master.db"_s)));
}

QTEST_GUILESS_MAIN(TestAccountSetStore)
#include "TestAccountSetStore.moc"
