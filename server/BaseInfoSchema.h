#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SqliteConnection;
struct sqlite3;

// The tables every account set holds. A base-information table keeps its hierarchy in the columns
// TypeId (id, primary key), ParId (parent id, NULL at the root), Level (0 at the root) and
// HasChild (1 when rows name it as parent); BaseInfoTables lists those tables with the deepest
// level their category allows; MoveJournal records every move.
class BaseInfoSchema {
public:
    struct Table {
        QString name; // as the account set spells it
        QString caption;
        int maxLevel = 0;
    };

    static bool createCatalogueTables(SqliteConnection& db, QString* error);
    // extraColumns: "Name TYPE" definitions after the common ones.
    static bool createBaseInfoTable(
        SqliteConnection& db, const Table& table, const QStringList& extraColumns, QString* error);

    // Finds a base-information table by name, letter case ignored, and only when the table really
    // exists; so the name can then be used in SQL.
    static bool find(sqlite3* db, const QString& name, Table* table);
    // The statement find() runs, for callers that keep it prepared: ?1 = name; columns as Table.
    static QString findSql();
    static QList<Table> tables(sqlite3* db, QString* error);

    // Only for names that find() or tables() returned.
    static QString quoted(const QString& identifier);
};
