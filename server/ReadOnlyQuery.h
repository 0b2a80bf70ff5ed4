#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

struct sqlite3_stmt;

// A cursor over one read-only statement, so a large result can be streamed in packets without
// holding all rows. Made by AccountSetDb::query; must not outlive that AccountSetDb.
class ReadOnlyQuery {
public:
    explicit ReadOnlyQuery(sqlite3_stmt* statement);
    ~ReadOnlyQuery();
    ReadOnlyQuery(const ReadOnlyQuery&) = delete;
    ReadOnlyQuery& operator=(const ReadOnlyQuery&) = delete;

    QStringList fieldNames() const { return names; }

    // Fills row with the next row's values (null, text, qint64, double or QByteArray).
    // false at the end (error empty) or on a failure (*error names SQLite's message).
    bool next(QVariantList& row, QString* error);

private:
    sqlite3_stmt* stmt;
    QStringList names;
    bool done = false;
};
