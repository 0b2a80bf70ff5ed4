#include "server/HierarchyCheck.h"

#include "server/AccountSetStore.h"
#include "server/BaseInfoSchema.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"

#include <QHash>
#include <QSet>

namespace {
// Enough to show what is wrong without burying the verdict under a damaged table's every row.
constexpr int MaxLinesPerFinding = 50;

struct Findings {
    QStringList lines;
    void add(const QString& line) { lines.append(line); }
};

// Runs a query whose rows are problems; describe() turns a row into a line.
template <class Describe>
void collect(SqliteConnection& db, const QString& sql, Findings& findings, Describe describe)
{
    SqliteStatement q(db.handle(), sql);
    int count = 0;
    while (q.step())
        if (++count <= MaxLinesPerFinding)
            findings.add(describe(q));
    if (count > MaxLinesPerFinding)
        findings.add(QStringLiteral("……同类问题另有 %1 处").arg(count - MaxLinesPerFinding));
    if (!q.ok())
        findings.add(QStringLiteral("检查失败：%1").arg(q.errorText()));
}

// Rows that no walk down from a root reaches either hang below a missing parent (reported as
// such) or lie on a cycle; walk up through the unreached rows to tell which.
void findCycles(SqliteConnection& db, const QString& table, Findings& findings)
{
    const QString t = BaseInfoSchema::quoted(table);
    QHash<QString, QString> unreached;
    SqliteStatement q(db.handle(),
        QStringLiteral("WITH RECURSIVE r(id) AS (SELECT TypeId FROM %1 WHERE ParId IS NULL UNION"
                       " SELECT c.TypeId FROM %1 c JOIN r ON c.ParId = r.id)"
                       " SELECT TypeId, ParId FROM %1 WHERE TypeId NOT IN r")
            .arg(t));
    while (q.step())
        unreached.insert(q.text(0), q.text(1));
    if (!q.ok()) {
        findings.add(QStringLiteral("%1：检查失败：%2").arg(table, q.errorText()));
        return;
    }
    QSet<QString> settled;
    int reported = 0;
    for (auto it = unreached.cbegin(); it != unreached.cend(); ++it) {
        QStringList path;
        QSet<QString> onPath;
        QString id = it.key();
        while (unreached.contains(id) && !settled.contains(id) && !onPath.contains(id)) {
            onPath.insert(id);
            path.append(id);
            id = unreached.value(id);
        }
        if (onPath.contains(id)) {
            const QStringList cycle = path.mid(path.indexOf(id));
            if (++reported <= MaxLinesPerFinding)
                findings.add(QStringLiteral("%1：记录“%2”处于循环引用中（%3）")
                                 .arg(table, id, cycle.join(QStringLiteral(" → "))));
        }
        for (const QString& visited : path)
            settled.insert(visited);
    }
}

void checkTable(SqliteConnection& db, const BaseInfoSchema::Table& table, Findings& findings)
{
    const QString t = BaseInfoSchema::quoted(table.name);
    const QString& name = table.name;
    collect(db,
        QStringLiteral("SELECT c.TypeId, c.ParId FROM %1 c WHERE c.ParId IS NOT NULL"
                       " AND NOT EXISTS (SELECT 1 FROM %1 p WHERE p.TypeId = c.ParId)")
            .arg(t),
        findings, [&](const SqliteStatement& r) {
            return QStringLiteral("%1：记录“%2”的上级“%3”不存在").arg(name, r.text(0), r.text(1));
        });
    collect(db, QStringLiteral("SELECT TypeId, Level FROM %1 WHERE ParId IS NULL AND Level IS NOT 0").arg(t),
        findings, [&](const SqliteStatement& r) {
            return QStringLiteral("%1：根节点“%2”的级数是 %3，应为 0").arg(name, r.text(0), r.text(1));
        });
    collect(db,
        QStringLiteral("SELECT c.TypeId, c.Level, p.Level + 1 FROM %1 c JOIN %1 p ON p.TypeId = c.ParId"
                       " WHERE c.Level IS NOT p.Level + 1")
            .arg(t),
        findings, [&](const SqliteStatement& r) {
            return QStringLiteral("%1：记录“%2”的级数是 %3，应为 %4")
                .arg(name, r.text(0), r.text(1), r.text(2));
        });
    collect(db,
        QStringLiteral("SELECT TypeId, HasChild, e FROM (SELECT TypeId, HasChild,"
                       " EXISTS (SELECT 1 FROM %1 c WHERE c.ParId = p.TypeId) AS e FROM %1 p)"
                       " WHERE (ifnull(HasChild, 0) <> 0) <> e")
            .arg(t),
        findings, [&](const SqliteStatement& r) {
            return QStringLiteral("%1：记录“%2”的有下级标志是 %3，但它%4下级")
                .arg(
                    name, r.text(0), r.text(1), r.integer(2) ? QStringLiteral("有") : QStringLiteral("没有"));
        });
    collect(db, QStringLiteral("SELECT TypeId, Level FROM %1 WHERE Level > %2").arg(t).arg(table.maxLevel),
        findings, [&](const SqliteStatement& r) {
            return QStringLiteral("%1：记录“%2”的级数 %3 超过了最多级数 %4")
                .arg(name, r.text(0), r.text(1))
                .arg(table.maxLevel);
        });
    findCycles(db, name, findings);
}
}

QStringList HierarchyCheck::checkDatabase(SqliteConnection& db)
{
    Findings findings;
    SqliteStatement integrity(db.handle(), QStringLiteral("PRAGMA integrity_check"));
    while (integrity.step()) {
        const QString line = integrity.text(0);
        if (line != QLatin1String("ok"))
            findings.add(QStringLiteral("完整性检查：%1").arg(line));
    }
    if (!integrity.ok())
        findings.add(QStringLiteral("完整性检查失败：%1").arg(integrity.errorText()));

    collect(db,
        QStringLiteral("SELECT TableName FROM BaseInfoTables WHERE TableName NOT IN"
                       " (SELECT name FROM sqlite_master WHERE type = 'table')"),
        findings,
        [](const SqliteStatement& r) { return QStringLiteral("基本信息表“%1”不存在").arg(r.text(0)); });
    QString error;
    const QList<BaseInfoSchema::Table> tables = BaseInfoSchema::tables(db.handle(), &error);
    if (!error.isEmpty())
        findings.add(QStringLiteral("无法读取基本信息表清单：%1").arg(error));
    for (const BaseInfoSchema::Table& table : tables)
        checkTable(db, table, findings);
    return findings.lines;
}

int HierarchyCheck::checkAll(const QString& dataDir, QTextStream& out)
{
    QString error;
    auto store = AccountSetStore::open(dataDir, &error);
    const QList<AccountSetEntry> entries = store ? store->catalogue(&error) : QList<AccountSetEntry>();
    if (!error.isEmpty()) {
        out << error << Qt::endl;
        return 1;
    }
    bool allPassed = true;
    for (const AccountSetEntry& entry : entries) {
        // Opening read-write lets SQLite recover the WAL of a server that was killed.
        QString failure;
        const QString path = store->accountSetPath(entry, &failure);
        auto db
            = path.isEmpty() ? nullptr : SqliteConnection::open(path, SqliteConnection::Existing, &failure);
        QStringList problems = db ? checkDatabase(*db) : QStringList { failure };
        for (const QString& problem : problems)
            out << entry.dbName << QLatin1Char(' ') << problem << Qt::endl;
        out << entry.dbName << QStringLiteral("（") << entry.fullName << QStringLiteral("）：")
            << (problems.isEmpty() ? QStringLiteral("通过")
                                   : QStringLiteral("发现 %1 个问题").arg(problems.size()))
            << Qt::endl;
        allPassed = allPassed && problems.isEmpty();
    }
    return allPassed ? 0 : 1;
}
