#pragma once

#include "server/SqliteStatement.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

struct sqlite3;

// A cursor over one read-only statement, so a large result can be streamed in packets without
// holding all rows. Made by AccountSetDb::query; must not outlive that AccountSetDb. A statement
// that runs away (an endless recursive query) is interrupted after a fixed amount of work; one
// cursor at a time per connection.
class ReadOnlyQuery {
public:
    // Installs the authorizer that keeps a query connection read-only and inside its account set.
    static void guardConnection(sqlite3* db);
    // Exactly one statement that SQLite itself calls read-only. Refused: nullptr and *error.
    static std::unique_ptr<ReadOnlyQuery> prepare(sqlite3* db, const QString& sql, QString* error);

    ~ReadOnlyQuery();
    ReadOnlyQuery(const ReadOnlyQuery&) = delete;
    ReadOnlyQuery& operator=(const ReadOnlyQuery&) = delete;

    QStringList fieldNames() const { return names; }

    // Fills row with the next row's values (null, text, qint64, double or QByteArray).
    // false at the end (error empty) or on a failure (*error names SQLite's message).
    bool next(QVariantList& row, QString* error);

private:
    ReadOnlyQuery(sqlite3* db, SqliteStatement&& statement);
    static int spend(void* query);

    sqlite3* db;
    SqliteStatement stmt;
    int budget;
    QStringList names;
    bool done = false;
};
