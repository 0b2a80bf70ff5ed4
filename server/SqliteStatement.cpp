#include "server/SqliteStatement.h"

#include <sqlite3.h>
#include <utility>

SqliteStatement::SqliteStatement(sqlite3* database, const QString& sql)
    : db(database)
{
    const QByteArray utf8 = sql.toUtf8();
    lastResult = sqlite3_prepare_v3(
        db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (lastResult != SQLITE_OK) {
        prepareError = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
}

SqliteStatement::SqliteStatement(sqlite3* database, sqlite3_stmt* prepared)
    : db(database)
    , stmt(prepared)
{
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db(std::exchange(other.db, nullptr))
    , stmt(std::exchange(other.stmt, nullptr))
    , lastResult(other.lastResult)
    , prepareError(std::move(other.prepareError))
    , stepError(std::move(other.stepError))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(stmt);
        db = std::exchange(other.db, nullptr);
        stmt = std::exchange(other.stmt, nullptr);
        lastResult = other.lastResult;
        prepareError = std::move(other.prepareError);
        stepError = std::move(other.stepError);
    }
    return *this;
}

QString SqliteStatement::errorText() const
{
    return stmt ? stepError : prepareError;
}

SqliteStatement& SqliteStatement::bind(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(stmt, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(stmt, index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return bindNull(index);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return bind(index, qint64(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        return *this;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    default:
        return value.isNull() ? bindNull(index) : bind(index, value.toString());
    }
}

bool SqliteStatement::step()
{
    if (!stmt)
        return false;
    lastResult = sqlite3_step(stmt);
    if (lastResult != SQLITE_ROW && lastResult != SQLITE_DONE)
        stepError = QString::fromUtf8(sqlite3_errmsg(db));
    return lastResult == SQLITE_ROW;
}

bool SqliteStatement::exec()
{
    while (step()) { }
    const bool good = stmt && ok();
    reset();
    return good;
}

void SqliteStatement::reset()
{
    if (!stmt)
        return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(stmt, column) == SQLITE_NULL;
}

QString SqliteStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt, column));
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(stmt, column);
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(
            static_cast<const char*>(sqlite3_column_blob(stmt, column)), sqlite3_column_bytes(stmt, column)));
    default:
        return QVariant();
    }
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(stmt);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt, column));
}
