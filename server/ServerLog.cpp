#include "server/ServerLog.h"

#include <QDateTime>
#include <QMutex>
#include <cstdio>

void ServerLog::write(const QString& line)
{
    static QMutex mutex;
    const QByteArray text
        = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + line + u'\n')
              .toUtf8();
    const QMutexLocker lock(&mutex);
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}
