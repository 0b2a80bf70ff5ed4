#include "common/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

QString ExecutablePath()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0)
        return QFile::decodeName(QByteArray(buffer, length));
    return QCoreApplication::applicationFilePath();
}

QString HostName()
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(buffer);
}

bool DirectoryExists(const QString& folder)
{
    struct stat info;
    return !folder.isEmpty() && stat(QFile::encodeName(folder).constData(), &info) == 0
        && S_ISDIR(info.st_mode);
}

int CreateDirectories(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (DirectoryExists(path))
        return 0;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0) {
        if (const int error = CreateDirectories(path.left(slash)))
            return error;
    }
    if (mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return DirectoryExists(path) ? 0 : ENOTDIR;
}

} // namespace Platform
