#include "ui/login/SystemDrive.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QStorageInfo>
#else
#include <QFile>
#include <sys/stat.h>
#endif

bool IsOnSystemDrive(const QString& folder)
{
#ifdef Q_OS_WIN
    // QDir::rootPath() is the root of the system drive there.
    const QString systemRoot = QStorageInfo(QDir::rootPath()).rootPath();
    return QStorageInfo(folder).rootPath().compare(systemRoot, Qt::CaseInsensitive) == 0;
#else
    // Same device as "/": a bind mount of the root file system counts too.
    struct stat of { };
    struct stat root { };
    return ::stat(QFile::encodeName(folder).constData(), &of) == 0 && ::stat("/", &root) == 0
        && of.st_dev == root.st_dev;
#endif
}
