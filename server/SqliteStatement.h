#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement that finalizes itself. Reused by reset(), so hot paths prepare once.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, const QString& sql);
    // Adopts a statement prepared elsewhere.
    SqliteStatement(sqlite3* db, sqlite3_stmt* prepared);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return stmt != nullptr; }
    // SQLite's message for the failed prepare or the last failed step.
    QString errorText() const;

    SqliteStatement& bind(int index, const QString& value);
    SqliteStatement& bind(int index, qint64 value);
    SqliteStatement& bindNull(int index);
    // null, text, integers, reals and byte arrays.
    SqliteStatement& bind(int index, const QVariant& value);

    // true: a row is ready. false: done (ok() tells whether it ended well).
    bool step();
    bool ok() const { return lastResult == 0 || lastResult == 101; } // SQLITE_OK, SQLITE_DONE
    // Runs to the end; true when no error occurred.
    bool exec();
    void reset();

    bool isNull(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;
    QVariant value(int column) const;
    int columnCount() const;
    QString columnName(int column) const;

private:
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int lastResult = 0;
    QString prepareError;
    QString stepError;
};
