#include "tests/main/AccountSetFile.h"

#include <sqlite3.h>

AccountSetFile::AccountSetFile(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &FDb, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        FError = QString::fromUtf8(sqlite3_errmsg(FDb));
    sqlite3_busy_timeout(FDb, 10000);
}

AccountSetFile::~AccountSetFile()
{
    sqlite3_close(FDb);
}

QStringList AccountSetFile::Column(const QString& sql) const
{
    QStringList values;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(FDb, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        FError = QString::fromUtf8(sqlite3_errmsg(FDb));
        return values;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        values.append(text ? QString::fromUtf8(text) : QString());
    }
    if (rc != SQLITE_DONE)
        FError = QString::fromUtf8(sqlite3_errmsg(FDb));
    sqlite3_finalize(stmt);
    return values;
}

int AccountSetFile::Count(const QString& sql) const
{
    return Column(sql).value(0).toInt();
}

AccountSetFile::Node AccountSetFile::Get(const QString& table, const QString& id) const
{
    const QStringList row
        = Column(QStringLiteral("SELECT coalesce(ParId, '') || '|' || Level || '|' || HasChild"
                                " FROM %1 WHERE TypeId = '%2'")
                     .arg(table, id));
    if (row.isEmpty())
        return {};
    const QStringList parts = row.first().split(u'|');
    return { true, parts.value(0), parts.value(1).toInt(), parts.value(2).toInt() };
}

void AccountSetFile::Exec(const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(FDb, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
        FError = QString::fromUtf8(message);
    sqlite3_free(message);
}
