#include "server/AccountSetStore.h"

AccountSetStore::AccountSetStore(const QString& dataDir)
    : dir(dataDir)
{
}

std::unique_ptr<AccountSetStore> AccountSetStore::open(const QString&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return nullptr;
}

QString AccountSetStore::backupDir() const
{
    return dir + QStringLiteral("/backup");
}

QList<AccountSetEntry> AccountSetStore::catalogue(QString*) const
{
    return {};
}

std::unique_ptr<AccountSetDb> AccountSetStore::openAccountSet(const QString&, QString* error) const
{
    *error = QStringLiteral("not implemented yet");
    return nullptr;
}

QString AccountSetStore::backupFilePath(const QString&, QString* error) const
{
    *error = QStringLiteral("not implemented yet");
    return {};
}
