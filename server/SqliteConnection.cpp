#include "server/SqliteConnection.h"

#include "server/SqliteStatement.h"

#include <QFile>
#include <sqlite3.h>

namespace {
constexpr int BusyTimeoutMs = 10000;
}

SqliteConnection::SqliteConnection(sqlite3* handle)
    : db(handle)
{
}

SqliteConnection::~SqliteConnection()
{
    sqlite3_close_v2(db);
}

std::unique_ptr<SqliteConnection> SqliteConnection::open(const QString& path, Mode mode, QString* error)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= mode == ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == Create)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("无法打开数据库“%1”：%2")
                     .arg(path,
                         handle ? QString::fromUtf8(sqlite3_errmsg(handle))
                                : QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close_v2(handle);
        return nullptr;
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, BusyTimeoutMs);
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(handle));
}

QString SqliteConnection::errorText() const
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool SqliteConnection::exec(const QString& sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

bool SqliteConnection::makeDurable(QString* error)
{
    SqliteStatement mode(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!mode.step() || mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        *error = QStringLiteral("无法切换到WAL日志模式：%1").arg(mode.errorText());
        return false;
    }
    return exec(QStringLiteral("PRAGMA synchronous=FULL"), error);
}

bool SqliteConnection::hasTable(const QString& table)
{
    SqliteStatement q(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1"));
    return q.bind(1, table).step();
}
