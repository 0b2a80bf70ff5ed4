#pragma once

#include "server/ClientInfo.h"
#include "server/ProcParam.h"
#include "server/ReadOnlyQuery.h"

#include <QString>
#include <memory>

class MoveNodeProcedure;
class SqliteConnection;

// One session's connection to one account set. Not shared between threads; a session that
// switches account sets drops this object and opens another through AccountSetStore.
class AccountSetDb {
public:
    // Used by AccountSetStore::openAccountSet; backupDir is where backup() writes.
    static std::unique_ptr<AccountSetDb> open(
        const QString& dbName, const QString& filePath, const QString& backupDir, QString* error);
    ~AccountSetDb();
    AccountSetDb(const AccountSetDb&) = delete;
    AccountSetDb& operator=(const AccountSetDb&) = delete;

    QString dbName() const { return name; }
    QString filePath() const { return file; }

    // Exactly one read-only statement, enforced by SQLite (statement check plus an authorizer on a
    // query-only connection). Refused: nullptr and *error naming SQLite's message.
    std::unique_ptr<ReadOnlyQuery> query(const QString& sql, QString* error);

    // ExecSP: procName is "name;1" (or "name"; letter case ignored); an unknown name or a missing
    // parameter is an error. On true, *result is the procedure's return code and params hold the
    // output values ("@szNewID" filled). false: a failure to report as an error reply with *error.
    bool execProcedure(
        const QString& procName, ProcParams& params, const ClientInfo& client, int* result, QString* error);

    // The node move in one durable transaction: 0 moved (*newId = the record's id), a negative
    // MoveNodeProcedure::Code refusal (nothing changed), or MoveNodeProcedure::Failed with *error.
    int moveNode(const QString& table, const QString& oldId, const QString& oldParId, const QString& newParId,
        int newLevel, QString* newId, const ClientInfo& client, QString* error);

    // BackupDatabase: 0 made, -1 a backup of that name exists, 1 failed with *error (an unwritable
    // backup folder gives a text containing "无法打开备份设备"; an unsafe name is refused).
    int backup(const QString& backupName, QString* error);

private:
    AccountSetDb() = default;
    bool runMoveNode(ProcParams& params, const ClientInfo& client, int* result, QString* error);

    QString name;
    QString file;
    QString backupFolder;
    std::unique_ptr<SqliteConnection> writer; // moves and backups; WAL, synchronous=FULL
    std::unique_ptr<SqliteConnection> reader; // queries only: query_only plus the authorizer
    ReadOnlyQuery::Budget queryBudget;
    std::unique_ptr<MoveNodeProcedure> mover;
};
