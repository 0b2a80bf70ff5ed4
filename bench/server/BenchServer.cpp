// One run, two measurements on demo account sets:
//  1. node moves per second through the wire (bksvr on loopback, 100,000 goods, WAL with
//     synchronous=FULL), the same moves done straight on the SQLite file as the ceiling, and their ratio;
//  2. BackupDatabase throughput on a ~100 MB account set, the download after it, and how far the
//     resident memory of server and client rises meanwhile.
#include "server/AccountSetStore.h"
#include "server/SqliteStatement.h"
#include "tests/support/BksvrProcess.h"
#include "wire/ServerGuids.h"
#include "wire/WireClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
struct Move {
    QString id, from, to;
    int level;
};

// Kilobytes of a /proc/<pid>/status field (VmRSS, VmHWM).
qint64 procKb(qint64 pid, const char* field)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Restarts the peak (VmHWM) at the present resident size.
void resetPeak(qint64 pid)
{
    QFile clear(u"/proc/%1/clear_refs"_s.arg(pid));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void logOn(WireClient& client, const BksvrProcess& server)
{
    const QString error = client.connectToServer(server.host(), server.port(), ServerGuids::defaultGuid());
    if (!error.isEmpty())
        throw Exception(error);
    QVariantList args { u"BENCH"_s, u"127.0.0.1"_s, QString() };
    client.callByRef(u"ConnectDb"_s, args);
    client.call(u"ChangeDb"_s, { u"ZT001"_s });
}

// Records of the two fullest deepest classes, moved over and back: every move a real one.
QList<Move> plannedMoves(AccountSetDb& db, int count)
{
    QString error;
    auto classes = db.query(u"SELECT ParId, max(Level) FROM Goods WHERE HasChild = 0 GROUP BY ParId"
                            " ORDER BY count(*) DESC LIMIT 2"_s,
        &error);
    QVariantList a, b, row;
    if (!classes || !classes->next(a, &error) || !classes->next(b, &error) || a[1] != b[1])
        throw Exception(u"no two classes to move between: "_s + error);
    auto records = db.query(
        u"SELECT TypeId FROM Goods WHERE ParId = '%1' LIMIT %2"_s.arg(a[0].toString()).arg(count / 2),
        &error);
    QList<Move> there, back;
    while (records->next(row, &error)) {
        there.append({ row[0].toString(), a[0].toString(), b[0].toString(), a[1].toInt() });
        back.append({ row[0].toString(), b[0].toString(), a[0].toString(), a[1].toInt() });
    }
    return there + back;
}

double movesDirect(AccountSetDb& db, const QList<Move>& moves)
{
    QElapsedTimer clock;
    clock.start();
    QString newId, error;
    for (const Move& m : moves)
        if (db.moveNode(
                u"Goods"_s, m.id, m.from, m.to, m.level, &newId, { u"127.0.0.1"_s, u"BENCH"_s }, &error)
            != 0)
            throw Exception(u"direct move failed: "_s + error);
    return moves.size() / (clock.nsecsElapsed() / 1e9);
}

double movesThroughWire(WireClient& client, const QList<Move>& moves)
{
    auto param = [](const QString& name, const QVariant& value) {
        return QVariant(QVariantList { name, value, value.typeId() == QMetaType::Int ? 3 : 1, 0, 0, 0, 0 });
    };
    QElapsedTimer clock;
    clock.start();
    for (const Move& m : moves) {
        const QVariantList packed { param(u"@szDBName"_s, u"Goods"_s), param(u"@szOldId"_s, m.id),
            param(u"@szOldParId"_s, m.from), param(u"@szNewParid"_s, m.to), param(u"@NewLeveal"_s, m.level),
            param(u"@szNewID"_s, QString()) };
        if (client.call(u"ExecSP"_s, { u"P_BaseInfo_MoveNode;1"_s, packed, QVariant() }).result
            != QVariant(0))
            throw Exception(u"wire move refused: "_s + m.id);
    }
    return moves.size() / (clock.nsecsElapsed() / 1e9);
}

void benchMoves(int count)
{
    BksvrProcess server;
    QString error;
    if (!server.start({}, &error, 100000))
        throw Exception(error);
    auto store = AccountSetStore::open(server.dataDir(), &error);
    auto db = store ? store->openAccountSet(u"ZT001"_s, &error) : nullptr;
    if (!db)
        throw Exception(error);
    const QList<Move> moves = plannedMoves(*db, count);
    WireClient client;
    logOn(client, server);

    // Each side twice, interleaved, best of two: the machine is shared.
    double direct = 0, wire = 0;
    for (int round = 0; round < 2; ++round) {
        direct = std::max(direct, movesDirect(*db, moves));
        wire = std::max(wire, movesThroughWire(client, moves));
    }
    std::printf("moves (%lld per run, 100,000 goods, WAL + synchronous=FULL)\n", qlonglong(moves.size()));
    std::printf("  direct on the SQLite file: %8.0f moves/s\n", direct);
    std::printf("  through the wire:          %8.0f moves/s\n", wire);
    std::printf("  wire / direct:             %8.0f %%   (goal >= 60 %%)\n", 100 * wire / direct);
    db.reset();
    QString report;
    std::printf(
        "  bksvr --check afterwards:  %s\n", server.check(&report) == 0 ? "passed" : qPrintable(report));
}

void benchBackup(int goods)
{
    BksvrProcess server;
    QString error;
    if (!server.start({}, &error, goods))
        throw Exception(error);
    const QString file = server.dataDir() + u"/ZT001.db"_s;
    const double mb = QFileInfo(file).size() / 1e6;
    WireClient client;
    logOn(client, server);
    const qint64 self = QCoreApplication::applicationPid();
    const qint64 serverBefore = procKb(server.pid(), "VmRSS"), clientBefore = procKb(self, "VmRSS");
    resetPeak(server.pid());
    resetPeak(self);

    QElapsedTimer clock;
    clock.start();
    QVariantList args { u"ZT001"_s, u"ZT001-bench"_s, u"ZT001"_s, 0 };
    const QVariant made = client.callByRef(u"BackupDatabase"_s, args);
    const double backupSeconds = clock.nsecsElapsed() / 1e9;
    if (made != QVariant(0))
        throw Exception(u"BackupDatabase answered "_s + made.toString());

    QTemporaryDir target;
    QFile local(target.filePath(u"ZT001-bench.ZIP"_s));
    if (!local.open(QIODevice::WriteOnly))
        throw Exception(local.errorString());
    clock.restart();
    const WireDownload download = client.download(u"ZT001-bench"_s, local);
    const double downloadSeconds = clock.nsecsElapsed() / 1e9;
    local.close();
    if (!download.errorText.isEmpty())
        throw Exception(download.errorText);

    const qint64 serverPeak = procKb(server.pid(), "VmHWM"), clientPeak = procKb(self, "VmHWM");
    std::printf("backup of a %.0f MB account set (%d goods)\n", mb, goods);
    std::printf("  BackupDatabase (snapshot + deflate): %6.2f s  %6.1f MB/s   (goal >= 60 MB/s)\n",
        backupSeconds, mb / backupSeconds);
    std::printf("  archive %.1f MB, download %6.2f s  %6.1f MB/s\n", download.written / 1e6, downloadSeconds,
        download.written / 1e6 / downloadSeconds);
    std::printf("  server resident %6.1f MB before, peak %6.1f MB during: +%.1f MB   (goal <= 64)\n",
        serverBefore / 1024.0, serverPeak / 1024.0, (serverPeak - serverBefore) / 1024.0);
    std::printf("  client resident %6.1f MB before, peak %6.1f MB during: +%.1f MB   (goal <= 64)\n",
        clientBefore / 1024.0, clientPeak / 1024.0, (clientPeak - clientBefore) / 1024.0);
}
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("NS_BKSVR"))
        qputenv("NS_BKSVR", NS_BKSVR_BUILT);
    const QStringList args = app.arguments();
    auto option = [&](const QString& name, int fallback) {
        const qsizetype at = args.indexOf(name);
        return at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
    };
    try {
        benchMoves(option(u"--moves"_s, 3000));
        benchBackup(option(u"--backup-goods"_s, 550000));
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench_server: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
