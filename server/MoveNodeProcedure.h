#pragma once

#include "server/ClientInfo.h"
#include "server/SqliteStatement.h"

#include <QString>
#include <map>
#include <memory>

struct sqlite3;

// The stored procedure that moves one base-information record (with everything below it) to a new
// parent, in one transaction, journalled. Keeps its prepared statements per table.
class MoveNodeProcedure {
public:
    // The name the demo Movedata.cfg gives as BaseInfoMoveNodeProcedure.
    static constexpr const char* Name = "P_BaseInfo_MoveNode";

    enum Code {
        Moved = 0,
        NotBaseInfoTable = -1,
        RecordMissing = -2,
        ParentChanged = -3, // the record's parent is no longer the given old parent
        NewParentMissing = -4,
        Cycle = -5, // the new parent is the record itself or lies below it
        LevelBeyondLimit = -6, // the record or something below it would sink beyond the category's limit
        LevelMismatch = -7, // the given new level is not the new parent's level + 1
        RootNode = -8, // a root has no parent to move from
        Failed = 1 // SQLite failed; *error says why
    };

    explicit MoveNodeProcedure(sqlite3* db);
    ~MoveNodeProcedure();
    MoveNodeProcedure(const MoveNodeProcedure&) = delete;
    MoveNodeProcedure& operator=(const MoveNodeProcedure&) = delete;

    int move(const QString& table, const QString& oldId, const QString& oldParId, const QString& newParId,
        int newLevel, QString* newId, const ClientInfo& client, QString* error);

private:
    struct TableStatements;
    TableStatements* statementsFor(const QString& table, QString* error);
    int moveInTransaction(TableStatements& t, const QString& oldId, const QString& oldParId,
        const QString& newParId, int newLevel, const ClientInfo& client, QString* error);

    sqlite3* db;
    SqliteStatement findTable, begin, commit, rollback, journal;
    std::map<QString, std::unique_ptr<TableStatements>> perTable;
};
