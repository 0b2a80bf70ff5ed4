#pragma once

#include <QString>
#include <memory>

struct sqlite3;

// An open SQLite database that closes itself.
class SqliteConnection {
public:
    enum Mode {
        Existing, // read-write, the file must exist
        Create, // read-write, created when missing
        ReadOnly
    };

    static std::unique_ptr<SqliteConnection> open(const QString& path, Mode mode, QString* error);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* handle() const { return db; }
    QString errorText() const;

    // Runs one or more statements without results; false and *error on a failure.
    bool exec(const QString& sql, QString* error);
    // WAL with synchronous=FULL: a committed move survives a crash or power loss.
    bool makeDurable(QString* error);
    bool hasTable(const QString& table);

private:
    explicit SqliteConnection(sqlite3* handle);
    sqlite3* db;
};
