#include "server/MoveNodeProcedure.h"

#include "server/BaseInfoSchema.h"

#include <QDateTime>

// Statements for one base-information table; the table's name is spliced in only after
// BaseInfoSchema::find has confirmed it. Recursive walks use UNION, so damaged data that holds a
// cycle cannot make them run forever.
struct MoveNodeProcedure::TableStatements {
    TableStatements(sqlite3* db, const QString& tableName, int limit)
        : name(tableName)
        , maxLevel(limit)
        , quotedName(BaseInfoSchema::quoted(tableName))
        , record(db, QStringLiteral("SELECT ParId, Level FROM %1 WHERE TypeId = ?1").arg(quotedName))
        , level(db, QStringLiteral("SELECT Level FROM %1 WHERE TypeId = ?1").arg(quotedName))
        , isAncestorOrSelf(db,
              QStringLiteral("WITH RECURSIVE up(id) AS (SELECT ?1 UNION SELECT t.ParId FROM %1 t JOIN up"
                             " ON t.TypeId = up.id WHERE t.ParId IS NOT NULL) SELECT 1 FROM up WHERE id = ?2")
                  .arg(quotedName))
        , subtreeDepth(db,
              QStringLiteral("WITH RECURSIVE sub(id, depth) AS (SELECT TypeId, 1 FROM %1 WHERE ParId = ?1"
                             " UNION SELECT t.TypeId, sub.depth + 1 FROM %1 t JOIN sub ON t.ParId = sub.id"
                             " WHERE sub.depth < 1000) SELECT ifnull(max(depth), 0) FROM sub")
                  .arg(quotedName))
        , setParent(
              db, QStringLiteral("UPDATE %1 SET ParId = ?2, Level = ?3 WHERE TypeId = ?1").arg(quotedName))
        , shiftSubtree(db,
              QStringLiteral("WITH RECURSIVE sub(id) AS (SELECT TypeId FROM %1 WHERE ParId = ?1 UNION"
                             " SELECT t.TypeId FROM %1 t JOIN sub ON t.ParId = sub.id)"
                             " UPDATE %1 SET Level = Level + ?2 WHERE TypeId IN sub")
                  .arg(quotedName))
        // Only a flag that changes is written: an untouched parent's page stays out of the commit.
        , refreshFlag(db,
              QStringLiteral(
                  "UPDATE %1 SET HasChild = NOT ifnull(HasChild, 0) WHERE TypeId = ?1"
                  " AND (ifnull(HasChild, 0) <> 0) <> EXISTS (SELECT 1 FROM %1 c WHERE c.ParId = ?1)")
                  .arg(quotedName))
    {
    }

    bool isValid(QString* error) const
    {
        for (const SqliteStatement* s :
            { &record, &level, &isAncestorOrSelf, &subtreeDepth, &setParent, &shiftSubtree, &refreshFlag })
            if (!s->isValid()) {
                *error = s->errorText();
                return false;
            }
        return true;
    }

    QString name;
    int maxLevel;
    QString quotedName;
    SqliteStatement record, level, isAncestorOrSelf, subtreeDepth, setParent, shiftSubtree, refreshFlag;
};

namespace {
// Resets a statement on every way out of a step, so a refused move leaves no statement running.
struct Stepped {
    explicit Stepped(SqliteStatement& s)
        : statement(s)
    {
    }
    ~Stepped() { statement.reset(); }
    SqliteStatement& statement;
};
}

MoveNodeProcedure::MoveNodeProcedure(sqlite3* database)
    : db(database)
    , findTable(database, BaseInfoSchema::findSql())
    , begin(database, QStringLiteral("BEGIN IMMEDIATE"))
    , commit(database, QStringLiteral("COMMIT"))
    , rollback(database, QStringLiteral("ROLLBACK"))
    , journal(database,
          QStringLiteral(
              "INSERT INTO MoveJournal (MovedAt, ClientAddress, ComputerName, TableName, RecordId,"
              " OldParId, NewParId, OldLevel, NewLevel) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"))
{
}

MoveNodeProcedure::~MoveNodeProcedure() = default;

MoveNodeProcedure::TableStatements* MoveNodeProcedure::statementsFor(const QString& table, QString* error)
{
    Stepped found(findTable);
    if (!findTable.bind(1, table).step()) {
        if (!findTable.ok())
            *error = findTable.errorText();
        return nullptr;
    }
    const QString name = findTable.text(0);
    const int maxLevel = int(findTable.integer(2));
    auto& slot = perTable[name];
    if (!slot || slot->maxLevel != maxLevel) {
        auto statements = std::make_unique<TableStatements>(db, name, maxLevel);
        if (!statements->isValid(error))
            return nullptr;
        slot = std::move(statements);
    }
    return slot.get();
}

int MoveNodeProcedure::move(const QString& table, const QString& oldId, const QString& oldParId,
    const QString& newParId, int newLevel, QString* newId, const ClientInfo& client, QString* error)
{
    QString failure;
    if (!begin.exec()) {
        *error = QStringLiteral("无法开始事务：%1").arg(begin.errorText());
        return Failed;
    }
    int code = Failed;
    TableStatements* statements = statementsFor(table, &failure);
    if (statements)
        code = moveInTransaction(*statements, oldId, oldParId, newParId, newLevel, client, &failure);
    else if (failure.isEmpty())
        code = NotBaseInfoTable;

    if (code == Moved && commit.exec()) {
        *newId = oldId;
        return Moved;
    }
    if (code == Moved) {
        failure = commit.errorText();
        code = Failed;
    }
    rollback.exec();
    if (code == Failed)
        *error = QStringLiteral("搬移基本信息时数据库出错：%1").arg(failure);
    return code;
}

int MoveNodeProcedure::moveInTransaction(TableStatements& t, const QString& oldId, const QString& oldParId,
    const QString& newParId, int newLevel, const ClientInfo& client, QString* error)
{
    auto failed = [error](const SqliteStatement& s) {
        *error = s.errorText();
        return Failed;
    };

    QString currentParId;
    qint64 oldLevel = 0;
    {
        Stepped step(t.record);
        if (!t.record.bind(1, oldId).step())
            return t.record.ok() ? RecordMissing : failed(t.record);
        if (t.record.isNull(0))
            return RootNode;
        currentParId = t.record.text(0);
        oldLevel = t.record.integer(1);
    }
    if (currentParId != oldParId)
        return ParentChanged;

    qint64 parentLevel = 0;
    {
        Stepped step(t.level);
        if (!t.level.bind(1, newParId).step())
            return t.level.ok() ? NewParentMissing : failed(t.level);
        parentLevel = t.level.integer(0);
    }
    {
        Stepped step(t.isAncestorOrSelf);
        if (t.isAncestorOrSelf.bind(1, newParId).bind(2, oldId).step())
            return Cycle;
        if (!t.isAncestorOrSelf.ok())
            return failed(t.isAncestorOrSelf);
    }
    if (newLevel != parentLevel + 1)
        return LevelMismatch;

    qint64 depthBelow = 0;
    {
        Stepped step(t.subtreeDepth);
        if (!t.subtreeDepth.bind(1, oldId).step())
            return failed(t.subtreeDepth);
        depthBelow = t.subtreeDepth.integer(0);
    }
    if (newLevel + depthBelow > t.maxLevel)
        return LevelBeyondLimit;

    if (!t.setParent.bind(1, oldId).bind(2, newParId).bind(3, qint64(newLevel)).exec())
        return failed(t.setParent);
    if (depthBelow > 0 && newLevel != oldLevel
        && !t.shiftSubtree.bind(1, oldId).bind(2, qint64(newLevel) - oldLevel).exec())
        return failed(t.shiftSubtree);
    if (!t.refreshFlag.bind(1, oldParId).exec() || !t.refreshFlag.bind(1, newParId).exec())
        return failed(t.refreshFlag);

    journal.bind(1, QDateTime::currentDateTime().toString(Qt::ISODateWithMs))
        .bind(2, client.address)
        .bind(3, client.computerName)
        .bind(4, t.name)
        .bind(5, oldId)
        .bind(6, oldParId)
        .bind(7, newParId)
        .bind(8, oldLevel)
        .bind(9, qint64(newLevel));
    if (!journal.exec())
        return failed(journal);
    return Moved;
}
