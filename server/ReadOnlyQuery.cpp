#include "server/ReadOnlyQuery.h"

#include <QSet>
#include <sqlite3.h>

namespace {
// SQLite's virtual machine instructions between two checks of the budget, and the number of checks
// a query may use: 3 * 10^8 instructions (about a second here), some thirty times what reading
// all of 100,000 goods takes.
constexpr int InstructionsPerCheck = 100000;
constexpr int ChecksPerQuery = 3000;
// No text or blob beyond this: every value must fit in one reply frame.
constexpr int MaxValueBytes = 1 << 20;

// Pragmas that only report. Those of the first set take the object they describe as argument;
// those of the second would write when given one.
bool isReportingPragma(const char* name, const char* argument)
{
    static const QSet<QByteArray> describeObject { "table_info", "table_xinfo", "index_list", "index_info",
        "index_xinfo", "foreign_key_list" };
    static const QSet<QByteArray> readSetting { "user_version", "schema_version", "page_count", "page_size",
        "encoding" };
    const QByteArray pragma = QByteArray(name).toLower();
    return describeObject.contains(pragma) || (argument == nullptr && readSetting.contains(pragma));
}

int authorize(void*, int action, const char* arg1, const char* arg2, const char* dbName, const char*)
{
    // Only the account set itself (and SQLite's own temp schema for sorting) may be read.
    if (dbName && qstrcmp(dbName, "main") != 0 && qstrcmp(dbName, "temp") != 0)
        return SQLITE_DENY;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        // fts3_tokenizer hands out a code address, and with two arguments installs any address as
        // a tokenizer: Debian builds SQLite with it enabled.
        return qstricmp(arg2, "fts3_tokenizer") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_PRAGMA:
        return isReportingPragma(arg1, arg2) ? SQLITE_OK : SQLITE_DENY;
    default:
        // Writes, schema changes, ATTACH/DETACH, transactions, savepoints, ANALYZE, REINDEX...
        return SQLITE_DENY;
    }
}

bool onlyBlanksOrComments(sqlite3* db, const char* tail, QString* error)
{
    while (tail && *tail) {
        sqlite3_stmt* extra = nullptr;
        const char* rest = nullptr;
        if (sqlite3_prepare_v2(db, tail, -1, &extra, &rest) != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(db));
            return false;
        }
        if (extra) {
            sqlite3_finalize(extra);
            return false;
        }
        if (rest == tail)
            break;
        tail = rest;
    }
    return true;
}

int spend(void* budget)
{
    // Non-zero interrupts the running statement.
    return --static_cast<ReadOnlyQuery::Budget*>(budget)->checksLeft < 0 ? 1 : 0;
}
}

void ReadOnlyQuery::guardConnection(sqlite3* db, Budget* budget)
{
    sqlite3_progress_handler(db, InstructionsPerCheck, spend, budget);
    sqlite3_set_authorizer(db, authorize, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, MaxValueBytes);
}

std::unique_ptr<ReadOnlyQuery> ReadOnlyQuery::prepare(
    sqlite3* db, Budget* budget, const QString& sql, QString* error)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &prepared, &tail) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return nullptr;
    }
    SqliteStatement statement(db, prepared);
    if (!prepared) {
        *error = QStringLiteral("查询语句为空");
        return nullptr;
    }
    QString tailError;
    if (!onlyBlanksOrComments(db, tail, &tailError)) {
        *error = tailError.isEmpty() ? QStringLiteral("查询只能包含一条SQL语句")
                                     : QStringLiteral("查询只能包含一条SQL语句：%1").arg(tailError);
        return nullptr;
    }
    if (!sqlite3_stmt_readonly(prepared)) {
        *error = QStringLiteral("只允许只读查询");
        return nullptr;
    }
    budget->checksLeft = ChecksPerQuery;
    return std::unique_ptr<ReadOnlyQuery>(new ReadOnlyQuery(budget, std::move(statement)));
}

ReadOnlyQuery::ReadOnlyQuery(Budget* workLeft, SqliteStatement&& statement)
    : budget(workLeft)
    , stmt(std::move(statement))
{
    const int count = stmt.columnCount();
    for (int i = 0; i < count; ++i)
        names.append(stmt.columnName(i));
}

bool ReadOnlyQuery::next(QVariantList& row, QString* error)
{
    if (done)
        return false;
    if (!stmt.step()) {
        done = true;
        if (budget->checksLeft < 0)
            *error = QStringLiteral("查询运行时间过长，已被中止");
        else if (!stmt.ok())
            *error = stmt.errorText();
        return false;
    }
    const int count = int(names.size());
    row.resize(count);
    for (int i = 0; i < count; ++i)
        row[i] = stmt.value(i);
    return true;
}
