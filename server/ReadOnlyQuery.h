#pragma once

#include "server/SqliteStatement.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

struct sqlite3;

// A cursor over one read-only statement, so a large result can be streamed in packets without
// holding all rows. Made by AccountSetDb::query; must not outlive that AccountSetDb. A statement
// that runs away (an endless recursive query) is interrupted after a fixed amount of work.
class ReadOnlyQuery {
public:
    // The work left to the statements of one query connection, refilled by every prepare. Its
    // owner keeps it for as long as the connection lives.
    struct Budget {
        int checksLeft = 0;
    };

    // Installs the authorizer that keeps a query connection read-only and inside its account set,
    // and the budget that stops runaway statements.
    static void guardConnection(sqlite3* db, Budget* budget);
    // Exactly one statement that SQLite itself calls read-only. Refused: nullptr and *error.
    static std::unique_ptr<ReadOnlyQuery> prepare(
        sqlite3* db, Budget* budget, const QString& sql, QString* error);

    ReadOnlyQuery(const ReadOnlyQuery&) = delete;
    ReadOnlyQuery& operator=(const ReadOnlyQuery&) = delete;

    QStringList fieldNames() const { return names; }

    // Fills row with the next row's values (null, text, qint64, double or QByteArray).
    // false at the end (error empty) or on a failure (*error names SQLite's message).
    bool next(QVariantList& row, QString* error);

private:
    ReadOnlyQuery(Budget* budget, SqliteStatement&& statement);

    Budget* budget;
    SqliteStatement stmt;
    QStringList names;
    bool done = false;
};
