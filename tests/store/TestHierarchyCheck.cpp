// bksvr --check as the oracle of the other tests: it passes a sound demo and finds every kind of
// planted fault.
#include "DemoFolder.h"
#include "server/HierarchyCheck.h"
#include "server/SqliteStatement.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using D = DemoFolder;

class TestHierarchyCheck : public QObject {
    Q_OBJECT

private slots:
    void soundDemoPasses();
    void plantedFaultIsFound_data();
    void plantedFaultIsFound();
    void damagedFileIsFound();
    void catalogueEntryOutsideTheFolderIsRefused();
};

void TestHierarchyCheck::soundDemoPasses()
{
    DemoFolder demo;
    QString text;
    QTextStream out(&text);
    QCOMPARE(HierarchyCheck::checkAll(demo.dataDir(), out), 0);
    QCOMPARE(text, u"ZT001（杭州明辉五金机电有限公司）：通过\nZT002（成都蜀味源食品贸易有限公司）：通过\n"_s);
}

void TestHierarchyCheck::plantedFaultIsFound_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("finding");
    QTest::newRow("missing parent") << u"UPDATE Goods SET ParId = 'nope' WHERE TypeId = '%1'"_s.arg(D::Record)
                                    << u"Goods：记录“%1”的上级“nope”不存在"_s.arg(D::Record);
    QTest::newRow("level off by one") << u"UPDATE Goods SET Level = 4 WHERE TypeId = '%1'"_s.arg(D::Record)
                                      << u"Goods：记录“%1”的级数是 4，应为 3"_s.arg(D::Record);
    QTest::newRow("root not at level 0") << u"UPDATE Partners SET Level = 1 WHERE ParId IS NULL"_s
                                         << u"Partners：根节点“00000”的级数是 1，应为 0"_s;
    QTest::newRow("flag without children") << u"UPDATE Goods SET HasChild = 1 WHERE TypeId = '%1'"_s.arg(
        D::Record) << u"Goods：记录“%1”的有下级标志是 1，但它没有下级"_s.arg(D::Record);
    QTest::newRow("children without flag") << u"UPDATE Employees SET HasChild = 0 WHERE TypeId = '00002'"_s
                                           << u"Employees：记录“00002”的有下级标志是 0，但它有下级"_s;
    QTest::newRow("cycle") << u"UPDATE Goods SET ParId = '%1' WHERE TypeId = '%2'"_s.arg(D::OpenWrenches,
        D::Wrenches) << u"循环引用"_s;
    QTest::newRow("self as parent") << u"UPDATE Warehouses SET ParId = TypeId WHERE TypeId = '00001'"_s
                                    << u"Warehouses：记录“00001”处于循环引用中（00001）"_s;
    QTest::newRow("deeper than the category allows")
        << u"UPDATE BaseInfoTables SET MaxLevel = 3 WHERE TableName = 'Goods'"_s << u"超过了最多级数 3"_s;
    QTest::newRow("listed table missing") << u"DROP TABLE Warehouses"_s << u"基本信息表“Warehouses”不存在"_s;
}

void TestHierarchyCheck::plantedFaultIsFound()
{
    QFETCH(QString, sql);
    QFETCH(QString, finding);
    DemoFolder demo;
    QString error;
    QVERIFY2(demo.raw()->exec(sql, &error), qPrintable(error));

    QString text;
    QTextStream out(&text);
    QCOMPARE(HierarchyCheck::checkAll(demo.dataDir(), out), 1);
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(!lines.filter(u"ZT001 "_s).filter(finding).isEmpty(), qPrintable(text));
    QVERIFY2(lines.filter(u"：发现 "_s).size() == 1, qPrintable(text));
    QVERIFY2(lines.contains(u"ZT002（成都蜀味源食品贸易有限公司）：通过"_s), qPrintable(text));
}

void TestHierarchyCheck::damagedFileIsFound()
{
    DemoFolder demo;
    qint64 offset = 0;
    {
        auto db = demo.raw();
        QString error;
        QVERIFY(db->exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s, &error));
        SqliteStatement page(db->handle(),
            u"SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master"
            " WHERE name = 'IX_Goods_ParId'"_s);
        QVERIFY(page.step());
        offset = page.integer(0) * page.integer(1) - 512; // the tail of the index's root page: its cells
    }
    QFile file(demo.accountSetFile());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    file.write(QByteArray(512, '\x5a'));
    file.close();

    QString text;
    QTextStream out(&text);
    QCOMPARE(HierarchyCheck::checkAll(demo.dataDir(), out), 1);
    QVERIFY2(text.contains(u"ZT001 完整性检查"_s), qPrintable(text));
}

void TestHierarchyCheck::catalogueEntryOutsideTheFolderIsRefused()
{
    DemoFolder demo;
    QString error;
    {
        auto master
            = SqliteConnection::open(demo.dataDir() + u"/master.db"_s, SqliteConnection::Existing, &error);
        QVERIFY(master->exec(
            u"UPDATE AccountSets SET FileName = '../ZT001.db' WHERE DbName = 'ZT002'"_s, &error));
    }
    QVERIFY(!demo.store().openAccountSet(u"ZT002"_s, &error));
    QVERIFY2(error.contains(u"不合法"_s), qPrintable(error));
    QString text;
    QTextStream out(&text);
    QCOMPARE(HierarchyCheck::checkAll(demo.dataDir(), out), 1);
    QVERIFY2(text.contains(u"ZT002 账套“ZT002”的文件名“../ZT001.db”不合法"_s), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestHierarchyCheck)
#include "TestHierarchyCheck.moc"
