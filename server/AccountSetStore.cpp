#include "server/AccountSetStore.h"

#include "server/BackupWriter.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString CatalogueFile = QStringLiteral("master.db");

// The catalogue may only name files directly inside the data folder.
bool isPlainFileName(const QString& file)
{
    return !file.isEmpty() && file != QLatin1String(".") && file != QLatin1String("..")
        && !file.contains(QLatin1Char('/')) && !file.contains(QLatin1Char('\\'));
}
}

AccountSetStore::AccountSetStore(const QString& dataDir)
    : dir(dataDir)
{
}

std::unique_ptr<AccountSetStore> AccountSetStore::open(const QString& dataDir, QString* error)
{
    const QString folder = QDir(dataDir).absolutePath();
    if (!QFileInfo(QDir(folder).filePath(CatalogueFile)).isFile()) {
        *error = QStringLiteral("数据目录“%1”中没有账套目录%2")
                     .arg(QDir::toNativeSeparators(folder), CatalogueFile);
        return nullptr;
    }
    std::unique_ptr<AccountSetStore> store(new AccountSetStore(folder));
    QString failure;
    store->catalogue(&failure);
    if (!failure.isEmpty()) {
        *error = failure;
        return nullptr;
    }
    return store;
}

QString AccountSetStore::backupDir() const
{
    return QDir(dir).filePath(QStringLiteral("backup"));
}

QList<AccountSetEntry> AccountSetStore::catalogue(QString* error) const
{
    QList<AccountSetEntry> entries;
    auto master
        = SqliteConnection::open(QDir(dir).filePath(CatalogueFile), SqliteConnection::ReadOnly, error);
    if (!master)
        return entries;
    SqliteStatement q(master->handle(),
        QStringLiteral("SELECT DbName, FullName, FileName FROM AccountSets ORDER BY DbName"));
    while (q.step())
        entries.append(AccountSetEntry { q.text(0), q.text(1), q.text(2) });
    if (!q.ok())
        *error = QStringLiteral("无法读取账套目录：%1").arg(q.errorText());
    return entries;
}

std::unique_ptr<AccountSetDb> AccountSetStore::openAccountSet(const QString& dbName, QString* error) const
{
    QString failure;
    const QList<AccountSetEntry> entries = catalogue(&failure);
    if (!failure.isEmpty()) {
        *error = failure;
        return nullptr;
    }
    for (const AccountSetEntry& entry : entries) {
        if (entry.dbName.compare(dbName, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = accountSetPath(entry, error);
        return path.isEmpty() ? nullptr : AccountSetDb::open(entry.dbName, path, backupDir(), error);
    }
    *error = QStringLiteral("数据库“%1”不存在").arg(dbName);
    return nullptr;
}

QString AccountSetStore::accountSetPath(const AccountSetEntry& entry, QString* error) const
{
    if (!isPlainFileName(entry.file)) {
        *error = QStringLiteral("账套“%1”的文件名“%2”不合法").arg(entry.dbName, entry.file);
        return {};
    }
    const QString path = QDir(dir).filePath(entry.file);
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("账套“%1”的数据库文件不存在").arg(entry.dbName);
        return {};
    }
    return path;
}

QString AccountSetStore::backupFilePath(const QString& backupName, QString* error) const
{
    if (!BackupWriter::isSafeName(backupName)) {
        *error = QStringLiteral("备份名称“%1”不合法").arg(backupName);
        return {};
    }
    const QString path = QDir(backupDir()).filePath(BackupWriter::archiveName(backupName));
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("备份文件“%1”不存在").arg(BackupWriter::archiveName(backupName));
        return {};
    }
    return path;
}
