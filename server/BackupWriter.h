#pragma once

#include <QString>

struct sqlite3;

// BackupDatabase: a consistent snapshot of an account set (SQLite's online backup API, correct while
// other sessions write), deflated into backupDir/<backupName>.ZIP holding the one database file.
// The archive is written under a temporary name, flushed to disk, then linked into place, so a
// backup name never shows a half-written file.
class BackupWriter {
public:
    enum Result { Made = 0, Exists = -1, Failed = 1 };

    // Letters, digits, "-", "_" and "."; no "..", no leading ".", at most 128 characters.
    static bool isSafeName(const QString& backupName);
    static QString archiveName(const QString& backupName) { return backupName + QStringLiteral(".ZIP"); }

    // entryName: the name of the database inside the archive. Failed: *error says why; an unusable
    // backup folder gives a text containing "无法打开备份设备".
    static int write(sqlite3* source, const QString& backupDir, const QString& backupName,
        const QString& entryName, QString* error);
};
