#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class QSettings;

// The operator's persistent choices: HKEY_LOCAL_MACHINE\Software\Tallow\TallowPlatform on Windows,
// an ini file in the user's configuration folder elsewhere. Sections are subkeys (ini groups), keys
// are named values. Every write reaches the store at once.
class TktIni {
public:
    // keyPath empty means "Software\Tallow\TallowPlatform". Whether the key could be opened is not
    // examined here: reads then give their defaults and writes report their failure.
    explicit TktIni(const QString& keyPath = QString());
    // A store over one ini file and nothing else (no system-wide fallbacks).
    static std::unique_ptr<TktIni> OverFile(const QString& iniFileName);
    // A store over any settings object (another format, another location).
    explicit TktIni(std::unique_ptr<QSettings> settings);
    ~TktIni();

    // Default when the section or the value is missing; throws Exception "Invalid data type for '%s'"
    // when the value is not text.
    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    // An integer value or integer text; text that is no integer gives def.
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    // ReadInteger(..., def ? 1 : 0) != 0.
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    // Throws Exception "Failed to set data for '%s'" when the value cannot be stored.
    void WriteString(const QString& section, const QString& ident, const QString& value);

    // Where the values live: the registry path or the ini file's name.
    QString Location() const;

private:
    QVariant Value(const QString& section, const QString& ident) const;
    std::unique_ptr<QSettings> FSettings;
};

// What the program keeps in the store, all in one section, with the defaults of a missing value.
namespace NodeShiftSettings {
inline const QString Section = QStringLiteral("NodeShift");
inline const QString ServerName = QStringLiteral("ServerName");
inline const QString DefaultServerName = QStringLiteral("127.0.0.1");
inline const QString DatabaseName = QStringLiteral("DatabaseName"); // default: empty
inline const QString BackupDir = QStringLiteral("BackupDir");
inline const QString DefaultBackupDir = QStringLiteral("d:\\");
inline const QString BackupDB = QStringLiteral("BackupDB"); // read with ReadBool, never written
inline constexpr bool DefaultBackupDB = true;
} // namespace NodeShiftSettings

// The store of the process, created on first use with the default key path.
TktIni* KtIni();
// Makes KtIni() return store (the caller keeps ownership) until called again; nullptr goes back
// to the process's own store. Lets tests and tools point the program at a settings file of theirs.
void SetKtIni(TktIni* store);
