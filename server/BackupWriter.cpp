#include "server/BackupWriter.h"

#include "server/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <zip.h>

namespace {
// Deflate level 1: about 130 MB/s here against 5 MB/s for libzip's default; the archive only
// needs to be a faithful copy.
constexpr quint32 DeflateLevel = 1;
constexpr int MaxNameLength = 128;

QString deviceError(const QString& folder, const QString& reason)
{
    return QStringLiteral("无法打开备份设备“%1”：%2").arg(QDir::toNativeSeparators(folder), reason);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Removes the temporary files on every way out.
struct TemporaryPaths {
    QStringList paths;
    ~TemporaryPaths()
    {
        for (const QString& path : paths) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
    }
};

bool snapshot(sqlite3* source, const QString& target, QString* error)
{
    auto copy = SqliteConnection::open(target, SqliteConnection::Create, error);
    if (!copy)
        return false;
    if (!copy->exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF"), error))
        return false;
    sqlite3_backup* backup = sqlite3_backup_init(copy->handle(), "main", source, "main");
    if (!backup) {
        *error = copy->errorText();
        return false;
    }
    // One step: a backup taken in pieces restarts whenever another session writes.
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        *error = copy->errorText();
        return false;
    }
    return true;
}

bool deflate(const QString& databaseFile, const QString& entryName, const QString& archive, QString* error)
{
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t failure;
        zip_error_init_with_code(&failure, code);
        *error = QString::fromLocal8Bit(zip_error_strerror(&failure));
        zip_error_fini(&failure);
        return false;
    }
    // Read lazily at zip_close, so the database is never held in memory.
    zip_source_t* source = zip_source_file(zip, QFile::encodeName(databaseFile).constData(), 0, -1);
    const zip_int64_t index
        = source ? zip_file_add(zip, entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0 || zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, DeflateLevel) < 0
        || zip_close(zip) < 0) {
        *error = QString::fromLocal8Bit(zip_strerror(zip));
        if (source && index < 0)
            zip_source_free(source);
        zip_discard(zip);
        return false;
    }
    return true;
}
}

bool BackupWriter::isSafeName(const QString& backupName)
{
    if (backupName.isEmpty() || backupName.size() > MaxNameLength || backupName.startsWith(QLatin1Char('.'))
        || backupName.contains(QLatin1String("..")))
        return false;
    for (const QChar c : backupName)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            return false;
    return true;
}

int BackupWriter::write(sqlite3* source, const QString& backupDir, const QString& backupName,
    const QString& entryName, QString* error)
{
    if (!isSafeName(backupName)) {
        *error = QStringLiteral("备份名称“%1”不合法：只能由字母、数字和“-”“_”“.”组成").arg(backupName);
        return Failed;
    }
    if (!QDir().mkpath(backupDir)) {
        *error = deviceError(backupDir, QStringLiteral("无法创建目录"));
        return Failed;
    }
    const QString target = QDir(backupDir).filePath(archiveName(backupName));
    if (QFileInfo::exists(target))
        return Exists;

    const QString stem
        = QDir(backupDir).filePath(QStringLiteral(".%1-%2")
                                       .arg(backupName)
                                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    TemporaryPaths temporary;
    const QString copy = stem + QStringLiteral(".db");
    const QString archive = stem + QStringLiteral(".zip");
    temporary.paths = { copy, archive };

    const int probe
        = ::open(QFile::encodeName(copy).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (probe < 0) {
        *error = deviceError(backupDir, systemError());
        return Failed;
    }
    ::close(probe);

    QString reason;
    if (!snapshot(source, copy, &reason)) {
        *error = QStringLiteral("备份账套数据库失败：%1").arg(reason);
        return Failed;
    }
    if (!deflate(copy, entryName, archive, &reason)) {
        *error = QStringLiteral("压缩备份文件失败：%1").arg(reason);
        return Failed;
    }
    if (!syncPath(archive, O_RDONLY)) {
        *error = QStringLiteral("写入备份文件失败：%1").arg(systemError());
        return Failed;
    }
    // link() refuses an existing name, so two sessions racing for one name cannot overwrite.
    if (::link(QFile::encodeName(archive).constData(), QFile::encodeName(target).constData()) != 0) {
        if (errno == EEXIST)
            return Exists;
        *error = deviceError(backupDir, systemError());
        return Failed;
    }
    syncPath(backupDir, O_RDONLY | O_DIRECTORY);
    return Made;
}
