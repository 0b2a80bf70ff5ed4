#include "server/BaseInfoSchema.h"

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"

namespace {
const QString TablesQuery
    = QStringLiteral("SELECT b.TableName, b.Caption, b.MaxLevel FROM BaseInfoTables b"
                     " JOIN sqlite_master m ON m.type = 'table' AND m.name = b.TableName COLLATE NOCASE");
}

bool BaseInfoSchema::createCatalogueTables(SqliteConnection& db, QString* error)
{
    return db.exec(QStringLiteral("CREATE TABLE BaseInfoTables (TableName TEXT PRIMARY KEY COLLATE NOCASE,"
                                  " Caption TEXT NOT NULL, MaxLevel INTEGER NOT NULL);"
                                  "CREATE TABLE MoveJournal (Seq INTEGER PRIMARY KEY, MovedAt TEXT NOT NULL,"
                                  " ClientAddress TEXT, ComputerName TEXT, TableName TEXT NOT NULL,"
                                  " RecordId TEXT NOT NULL, OldParId TEXT, NewParId TEXT NOT NULL,"
                                  " OldLevel INTEGER NOT NULL, NewLevel INTEGER NOT NULL);"),
        error);
}

bool BaseInfoSchema::createBaseInfoTable(
    SqliteConnection& db, const Table& table, const QStringList& extraColumns, QString* error)
{
    const QString name = quoted(table.name);
    QString ddl = QStringLiteral("CREATE TABLE %1 (RecNo INTEGER NOT NULL, TypeId TEXT PRIMARY KEY NOT NULL,"
                                 " ParId TEXT, Level INTEGER NOT NULL, HasChild INTEGER NOT NULL DEFAULT 0")
                      .arg(name);
    for (const QString& column : extraColumns)
        ddl += QStringLiteral(", ") + column;
    ddl += QStringLiteral(");CREATE INDEX %1 ON %2 (ParId);")
               .arg(quoted(QStringLiteral("IX_%1_ParId").arg(table.name)), name);
    if (!db.exec(ddl, error))
        return false;
    SqliteStatement add(db.handle(), QStringLiteral("INSERT INTO BaseInfoTables VALUES (?1, ?2, ?3)"));
    if (!add.bind(1, table.name).bind(2, table.caption).bind(3, qint64(table.maxLevel)).exec()) {
        *error = add.errorText();
        return false;
    }
    return true;
}

bool BaseInfoSchema::find(sqlite3* db, const QString& name, Table* table)
{
    SqliteStatement q(db, findSql());
    if (!q.bind(1, name).step())
        return false;
    *table = Table { q.text(0), q.text(1), int(q.integer(2)) };
    return true;
}

QString BaseInfoSchema::findSql()
{
    return TablesQuery + QStringLiteral(" WHERE b.TableName = ?1");
}

QList<BaseInfoSchema::Table> BaseInfoSchema::tables(sqlite3* db, QString* error)
{
    QList<Table> result;
    SqliteStatement q(db, TablesQuery + QStringLiteral(" ORDER BY b.rowid"));
    while (q.step())
        result.append(Table { q.text(0), q.text(1), int(q.integer(2)) });
    if (!q.ok())
        *error = q.errorText();
    return result;
}

QString BaseInfoSchema::quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
