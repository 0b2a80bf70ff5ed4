#pragma once

#include "server/AccountSetDb.h"
#include "server/AccountSetEntry.h"

#include <QList>
#include <QString>
#include <memory>

// The data folder of bksvr: DIR/master.db (the catalogue of account sets), one SQLite file per
// account set beside it, and DIR/backup/ for the backups. Holds no open connection itself, so one
// store may serve every session; each session opens its own AccountSetDb.
class AccountSetStore {
public:
    // Fails (nullptr and *error) when DIR/master.db is missing or unreadable.
    static std::unique_ptr<AccountSetStore> open(const QString& dataDir, QString* error);

    QString dataDir() const { return dir; }
    QString backupDir() const;

    // Read afresh on every call. Order: as the catalogue lists them (by database name).
    QList<AccountSetEntry> catalogue(QString* error) const;

    // Opens the account set the catalogue names dbName (letter case ignored); never an arbitrary
    // path. Unknown name or unusable file: nullptr and *error.
    std::unique_ptr<AccountSetDb> openAccountSet(const QString& dbName, QString* error) const;

    // The file of a catalogue entry; refuses entries that name anything but a file in the data folder.
    QString accountSetPath(const AccountSetEntry& entry, QString* error) const;

    // The finished backup archive for GetBackUpFileServer (backup name without ".ZIP").
    // Unsafe or unknown names: empty result and *error.
    QString backupFilePath(const QString& backupName, QString* error) const;

private:
    explicit AccountSetStore(const QString& dataDir);
    QString dir;
};
