// Queries of the read-only path: SQLite itself refuses anything that writes or leaves the account
// set, and the demo configuration's SQL works against the demo schema.
#include "DemoFolder.h"
#include "server/MoveNodeProcedure.h"
#include "server/SqliteStatement.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Runs sql to the end; the error of a refused prepare or of the first failing row.
QString runQuery(AccountSetDb& db, const QString& sql, int* rows = nullptr)
{
    QString error;
    auto query = db.query(sql, &error);
    if (!query)
        return error;
    QVariantList row;
    int count = 0;
    while (query->next(row, &error))
        ++count;
    if (rows)
        *rows = count;
    return error;
}

// The working section of the demo Movedata.cfg (GBK), enough of the format for our own file.
QHash<QString, QString> demoConfig()
{
    QFile file(QStringLiteral(NS_DEMO_DIR "/Movedata.cfg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    const QString text = gbk.decode(file.readAll());
    if (gbk.hasError())
        return {};
    QHash<QString, QString> values;
    QString section;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'['))
            section = line.mid(1, line.indexOf(u']') - 1);
        else if (section == u"Ledgerine" && line.contains(u'='))
            values.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return values;
}

QStringList list(const QString& value)
{
    QStringList items = value.split(u',');
    for (QString& item : items)
        item = item.trimmed();
    return items;
}
}

class TestReadOnlyQuery : public QObject {
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void allowed_data();
    void allowed();
    void valuesKeepTheirTypes();
    void largeResultStreams();
    void runawayQueryIsStopped();
    void seesCommittedMovesOfOtherSessions();
    void demoConfigurationFitsTheSchema();
};

void TestReadOnlyQuery::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("INSERT") << u"INSERT INTO Goods (RecNo, TypeId, Level) VALUES (0, 'x', 1)"_s;
    QTest::newRow("UPDATE") << u"UPDATE Goods SET FullName = 'x'"_s;
    QTest::newRow("DELETE") << u"DELETE FROM Goods"_s;
    QTest::newRow("REPLACE") << u"REPLACE INTO Goods (RecNo, TypeId, Level) VALUES (0, '00000', 0)"_s;
    QTest::newRow("write in a CTE") << u"WITH x AS (SELECT 1) DELETE FROM Goods"_s;
    QTest::newRow("CREATE TABLE") << u"CREATE TABLE t (x)"_s;
    QTest::newRow("CREATE TEMP TABLE") << u"CREATE TEMP TABLE t (x)"_s;
    QTest::newRow("DROP TABLE") << u"DROP TABLE Goods"_s;
    QTest::newRow("ALTER TABLE") << u"ALTER TABLE Goods ADD COLUMN x"_s;
    QTest::newRow("ATTACH") << u"ATTACH DATABASE 'elsewhere.db' AS other"_s;
    QTest::newRow("DETACH") << u"DETACH DATABASE main"_s;
    QTest::newRow("second statement writes") << u"SELECT 1; DELETE FROM Goods"_s;
    QTest::newRow("second statement reads") << u"SELECT 1; SELECT 2"_s;
    QTest::newRow("PRAGMA journal_mode write") << u"PRAGMA journal_mode = DELETE"_s;
    QTest::newRow("PRAGMA query_only off") << u"PRAGMA query_only = 0"_s;
    QTest::newRow("PRAGMA writable_schema") << u"PRAGMA writable_schema = 1"_s;
    QTest::newRow("PRAGMA user_version write") << u"PRAGMA user_version = 7"_s;
    QTest::newRow("PRAGMA integrity_check") << u"PRAGMA integrity_check"_s;
    QTest::newRow("BEGIN") << u"BEGIN"_s;
    QTest::newRow("SAVEPOINT") << u"SAVEPOINT s"_s;
    QTest::newRow("VACUUM INTO") << u"VACUUM INTO 'copy.db'"_s;
    QTest::newRow("ANALYZE") << u"ANALYZE"_s;
    QTest::newRow("REINDEX") << u"REINDEX"_s;
    QTest::newRow("load_extension") << u"SELECT load_extension('libc.so.6')"_s;
    QTest::newRow("fts3_tokenizer address") << u"SELECT fts3_tokenizer('simple')"_s;
    QTest::newRow("fts3_tokenizer replaced") << u"SELECT fts3_tokenizer('simple', x'0100000000000000')"_s;
    QTest::newRow("huge value") << u"SELECT zeroblob(100000000)"_s;
    QTest::newRow("empty") << u"  "_s;
    QTest::newRow("only a comment") << u"-- nothing"_s;
    QTest::newRow("syntax error") << u"SELEC * FROM Goods"_s;
}

void TestReadOnlyQuery::refused()
{
    QFETCH(QString, sql);
    DemoFolder demo;
    const QByteArray before = demo.digest();
    auto db = demo.open();
    QString error = runQuery(*db, sql);
    QVERIFY2(!error.isEmpty(), "the statement ran");
    QCOMPARE(demo.digest(), before);
    const QStringList left = QDir(demo.dataDir()).entryList({ u"elsewhere*"_s, u"copy*"_s }, QDir::Files);
    QCOMPARE(left, QStringList());
    // The session goes on working.
    QCOMPARE(runQuery(*db, u"SELECT count(*) FROM Goods"_s), QString());
}

void TestReadOnlyQuery::allowed_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    QTest::newRow("trailing semicolon") << u"SELECT 1;"_s << 1;
    QTest::newRow("trailing comment") << u"SELECT 1; -- the end"_s << 1;
    QTest::newRow("recursive walk")
        << u"WITH RECURSIVE s(id) AS (SELECT '00001' UNION SELECT g.TypeId FROM Goods g"
           " JOIN s ON g.ParId = s.id) SELECT count(*) FROM s"_s
        << 1;
    QTest::newRow("table_info") << u"PRAGMA table_info(Goods)"_s << 12;
    QTest::newRow("schema") << u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Goods'"_s
                            << 1;
    QTest::newRow("no rows") << u"SELECT * FROM Goods WHERE TypeId = 'nope'"_s << 0;
    QTest::newRow("sorted join")
        << u"SELECT c.FullName, p.FullName FROM Goods c JOIN Goods p ON p.TypeId = c.ParId"
           " ORDER BY c.Level DESC, c.FullName"_s
        << -1;
}

void TestReadOnlyQuery::allowed()
{
    QFETCH(QString, sql);
    QFETCH(int, rows);
    DemoFolder demo;
    auto db = demo.open();
    int count = -2;
    QCOMPARE(runQuery(*db, sql, &count), QString());
    if (rows >= 0)
        QCOMPARE(count, rows);
}

void TestReadOnlyQuery::valuesKeepTheirTypes()
{
    DemoFolder demo;
    auto db = demo.open();
    QString error;
    auto query = db->query(
        u"SELECT RecNo, ParId, FullName, Price, x'00ff' FROM Goods WHERE TypeId = '%1'"
        " UNION ALL SELECT RecNo, ParId, FullName, Price, NULL FROM Goods WHERE ParId IS NULL"_s.arg(
            DemoFolder::Record),
        &error);
    QVERIFY2(query, qPrintable(error));
    QCOMPARE(query->fieldNames(),
        QStringList({ u"RecNo"_s, u"ParId"_s, u"FullName"_s, u"Price"_s, u"x'00ff'"_s }));
    QVariantList row;
    QVERIFY(query->next(row, &error));
    QCOMPARE(row.size(), 5);
    QCOMPARE(row[0].typeId(), QMetaType::LongLong);
    QCOMPARE(row[1], QVariant(DemoFolder::HandTools));
    QCOMPARE(row[2].typeId(), QMetaType::QString);
    QCOMPARE(row[3].typeId(), QMetaType::Double);
    QCOMPARE(row[4], QVariant(QByteArray("\x00\xff", 2)));
    QVERIFY(query->next(row, &error));
    QVERIFY(row[1].isNull()); // the root has no parent
    QVERIFY(row[4].isNull());
    QVERIFY(!query->next(row, &error));
    QCOMPARE(error, QString());
    QVERIFY(!query->next(row, &error)); // stays at the end
}

void TestReadOnlyQuery::largeResultStreams()
{
    DemoFolder demo;
    auto db = demo.open();
    int rows = 0;
    QCOMPARE(runQuery(*db, u"SELECT * FROM Goods"_s, &rows), QString());
    QCOMPARE(rows, demo.count(u"SELECT count(*) FROM Goods"_s));
}

void TestReadOnlyQuery::runawayQueryIsStopped()
{
    DemoFolder demo;
    auto db = demo.open();
    const QString endless
        = u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c"_s;
    QString error = runQuery(*db, endless);
    QVERIFY2(error.contains(u"已被中止"_s), qPrintable(error));
    QCOMPARE(runQuery(*db, u"SELECT count(*) FROM Goods"_s), QString());

    // A cursor dropped while another is open leaves the other one guarded.
    auto first = db->query(endless, &error);
    auto second = db->query(endless, &error);
    first.reset();
    QVariantList row;
    QVERIFY(!second->next(row, &error));
    QVERIFY2(error.contains(u"已被中止"_s), qPrintable(error));
}

void TestReadOnlyQuery::seesCommittedMovesOfOtherSessions()
{
    DemoFolder demo;
    auto reader = demo.open();
    auto mover = demo.open();
    QString error;
    auto open = reader->query(u"SELECT TypeId FROM Goods"_s, &error);
    QVariantList row;
    QVERIFY(open->next(row, &error)); // a reader half-way through its rows does not block a move
    QString newId;
    QCOMPARE(mover->moveNode(u"Goods"_s, DemoFolder::Record, DemoFolder::HandTools, DemoFolder::PowerTools, 3,
                 &newId, {}, &error),
        0);
    open.reset();
    auto after
        = reader->query(u"SELECT ParId FROM Goods WHERE TypeId = '%1'"_s.arg(DemoFolder::Record), &error);
    QVERIFY(after->next(row, &error));
    QCOMPARE(row[0].toString(), DemoFolder::PowerTools);
}

void TestReadOnlyQuery::demoConfigurationFitsTheSchema()
{
    const QHash<QString, QString> cfg = demoConfig();
    QVERIFY2(!cfg.isEmpty(), "demo/Movedata.cfg unreadable");
    QCOMPARE(cfg.value(u"BaseInfoMoveNodeProcedure"_s), QLatin1String(MoveNodeProcedure::Name));
    for (int code = MoveNodeProcedure::RootNode; code < 0; ++code)
        QVERIFY2(!cfg.value(u"BaseInfoMoveNodeErrorMessage_%1"_s.arg(-code)).isEmpty(),
            qPrintable(QString::number(code)));

    DemoFolder demo;
    auto db = demo.open();
    const QStringList tables = list(cfg.value(u"BaseInfoTableNames"_s));
    const QStringList maxLevels = list(cfg.value(u"BaseInfoMaxLevels"_s));
    QCOMPARE(tables.size(), list(cfg.value(u"BaseInfoMenuItems"_s)).size());
    QCOMPARE(maxLevels.size(), tables.size());
    for (int i = 0; i < tables.size(); ++i) {
        const QString& t = tables[i];
        QCOMPARE(demo.count(u"SELECT MaxLevel FROM BaseInfoTables WHERE TableName = '%1'"_s.arg(t)),
            maxLevels[i].toInt());
        const QStringList common
            = list(cfg.value(u"CommonFieldNames_"_s + t, cfg.value(u"CommonFieldNames"_s)));
        const QStringList shown = list(cfg.value(u"GridColumnFieldNames_"_s + t));
        QCOMPARE(shown.size(), list(cfg.value(u"GridColumnHeaders_"_s + t)).size());

        // Rows as field name -> value, after checking that every configured field is there.
        auto fetch = [&](const QString& key, const QString& id) {
            QString sql = cfg.value(key);
            sql.replace(sql.indexOf(u"%s"_s), 2, t);
            if (!id.isNull())
                sql.replace(sql.indexOf(u"%s"_s), 2, id);
            QString error;
            auto query = db->query(sql, &error);
            QList<QVariantMap> rows;
            if (!query) {
                qWarning("%s: %s", qPrintable(sql), qPrintable(error));
                return rows;
            }
            for (const QString& field : common + shown)
                if (!query->fieldNames().contains(field))
                    qWarning("%s lacks %s", qPrintable(sql), qPrintable(field));
            QVariantList row;
            while (query->next(row, &error)) {
                QVariantMap named;
                for (int k = 0; k < row.size(); ++k)
                    named.insert(query->fieldNames()[k], row[k]);
                rows.append(named);
            }
            return rows;
        };
        const auto roots = fetch(u"SelectRootNodeSQL"_s, QString());
        QCOMPARE(roots.size(), 1);
        QVERIFY(roots[0][common[3]].toString().isEmpty());
        QVERIFY(roots[0][common[4]].toInt() != 0);
        const QString rootId = roots[0][common[2]].toString();

        const auto children = fetch(u"SelectNodesByParentIDSQL"_s, rootId);
        QVERIFY(children.size() > 1);
        QVERIFY(children.first()[common[4]].toInt() != 0); // classes first
        for (const QVariantMap& child : children)
            QCOMPARE(child[common[3]].toString(), rootId);

        const QString childId = children.last()[common[2]].toString();
        const auto one = fetch(u"SelectNodesByIDSQL"_s, childId);
        QCOMPARE(one.size(), 1);
        QCOMPARE(one[0][common[2]].toString(), childId);
        QVERIFY(!one[0][common[1]].toString().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestReadOnlyQuery)
#include "TestReadOnlyQuery.moc"
