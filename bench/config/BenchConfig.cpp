// Accessor calls per second on a Movedata.cfg of 100 keys: the rate a large class load sees.
#include "config/TSysConfig.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/stat.h>

namespace {

QString writeConfig(const QTemporaryDir& dir)
{
    QString text
        = QStringLiteral("[System]\r\nConfigSection=Work\r\n[Work]\r\nApplicationTitle=基本信息搬移工具\r\n");
    for (int i = 0; text.count(u'\n') < 102; ++i)
        text += QStringLiteral("BaseInfoMoveNodeErrorMessage_%1=第 %1 种错误：目标节点不存在或已被删除\r\n")
                    .arg(i);
    text += QStringLiteral("CommonFieldNames=typeId,FullName,Id,ParId,sonnum\r\n");
    QFile file(dir.filePath(QStringLiteral("Movedata.cfg")));
    file.open(QIODevice::WriteOnly);
    QStringEncoder gbk("GBK");
    file.write(gbk.encode(text));
    file.flush();
    // A file edited a while ago, as when the program runs.
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    return file.fileName();
}

template <class F> void measure(const char* name, F call)
{
    constexpr int Calls = 500000;
    QElapsedTimer timer;
    timer.start();
    qsizetype sink = 0;
    for (int i = 0; i < Calls; ++i)
        sink += call(i);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%-42s %10.0f calls/s  (%.2f us/call, %lld)\n", name, Calls / seconds, seconds * 1e6 / Calls,
        static_cast<long long>(sink % 10));
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const TSysConfig config(writeConfig(dir));
    config.CheckConfigFile();
    std::printf("Movedata.cfg with 100 keys in its working section\n");
    measure("GetApplicationTitle", [&](int) { return config.GetApplicationTitle().size(); });
    measure("GetBaseInfoMoveNodeErrorMessage(-i%90)",
        [&](int i) { return config.GetBaseInfoMoveNodeErrorMessage(-(i % 90)).size(); });
    measure("GetCommonFieldName(t_goods, i%5)",
        [&](int i) { return config.GetCommonFieldName(QStringLiteral("t_goods"), i % 5).size(); });
    // Every call looks at the file once; this is that look's share.
    const QByteArray path = QFile::encodeName(config.FileName());
    measure("stat() of the file alone", [&](int) {
        struct stat info;
        return qsizetype(stat(path.constData(), &info));
    });
    return 0;
}
