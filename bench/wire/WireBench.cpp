// Figures of the wire on loopback against a real bksvr with 100,000 goods: small-call round trips,
// stored-procedure calls through the whole dispatch, a 100,000-row data set, and a backup download
// (with the peak memory of both processes, which must not hold the file).
#include "tests/support/BksvrProcess.h"
#include "wire/ServerGuids.h"
#include "wire/WireClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

qint64 peakKbOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

qint64 ownPeakKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("NS_BKSVR"))
        qputenv("NS_BKSVR", NS_BKSVR_PATH);
    BksvrProcess server;
    QString error;
    print(QStringLiteral("building a demo with 100,000 goods ..."));
    if (!server.start({}, &error, 100000)) {
        print(error);
        return 1;
    }
    WireClient client;
    error = client.connectToServer(server.host(), server.port(), ServerGuids::defaultGuid());
    if (!error.isEmpty()) {
        print(error);
        return 1;
    }
    client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") });

    const int calls = 20000;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i)
        client.call(QStringLiteral("KeepConnection"), { 0 });
    double seconds = clock.nsecsElapsed() / 1e9;
    print(QStringLiteral("KeepConnection round trips: %1/s (%2 us each)")
              .arg(calls / seconds, 0, 'f', 0)
              .arg(seconds / calls * 1e6, 0, 'f', 1));

    // A move the procedure refuses without writing: the wire and the dispatch, without the fsync.
    const QVariantList packed
        = { QVariantList { QStringLiteral("@szDBName"), QStringLiteral("Goods"), 1, 0, 0, 0, 0 },
              QVariantList { QStringLiteral("@szOldId"), QStringLiteral("no-such-id"), 1, 0, 0, 0, 0 },
              QVariantList { QStringLiteral("@szOldParId"), QStringLiteral("00000"), 1, 0, 0, 0, 0 },
              QVariantList { QStringLiteral("@szNewParid"), QStringLiteral("00001"), 1, 0, 0, 0, 0 },
              QVariantList { QStringLiteral("@NewLeveal"), 2, 3, 0, 0, 0, 0 },
              QVariantList { QStringLiteral("@szNewID"), QString(), 1, 0, 0, 0, 0 } };
    const int procs = 10000;
    clock.restart();
    for (int i = 0; i < procs; ++i)
        client.call(QStringLiteral("ExecSP"),
            { QStringLiteral("P_BaseInfo_MoveNode;1"), QVariant(packed), QVariant() });
    seconds = clock.nsecsElapsed() / 1e9;
    print(QStringLiteral("ExecSP calls refused before writing: %1/s (%2 us each)")
              .arg(procs / seconds, 0, 'f', 0)
              .arg(seconds / procs * 1e6, 0, 'f', 1));

    client.call(QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT * FROM Goods") });
    clock.restart();
    const WireTable goods = client.openProvider(QStringLiteral("pv_qry_Open"));
    print(QStringLiteral("SELECT * FROM Goods: %1 rows x %2 fields in %3 ms")
              .arg(goods.rows.size())
              .arg(goods.fields.size())
              .arg(clock.elapsed()));

    const QString backupName = QStringLiteral("ZT001-bench");
    clock.restart();
    client.call(QStringLiteral("BackupDatabase"),
        { QStringLiteral("ZT001"), backupName, QStringLiteral("ZT001"), 0 });
    print(QStringLiteral("BackupDatabase: %1 ms").arg(clock.elapsed()));
    QTemporaryDir target;
    QFile file(target.filePath(QStringLiteral("download.ZIP")));
    file.open(QIODevice::WriteOnly);
    const qint64 clientPeakBefore = ownPeakKb();
    clock.restart();
    const WireDownload download = client.download(backupName, file);
    seconds = clock.nsecsElapsed() / 1e9;
    file.close();
    print(QStringLiteral(
        "download: %1 MB in %2 ms, %3 MB/s; peak memory client %4 MB (before %5 MB), server %6 MB")
              .arg(download.written / 1e6, 0, 'f', 1)
              .arg(seconds * 1000, 0, 'f', 0)
              .arg(download.written / 1e6 / seconds, 0, 'f', 0)
              .arg(ownPeakKb() / 1024)
              .arg(clientPeakBefore / 1024)
              .arg(peakKbOf(server.pid()) / 1024));
    return 0;
}
