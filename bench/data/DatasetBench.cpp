// Prints how long a query of 100,000 goods takes to reach cdsBaseInfo, how long walking it
// takes, and the memory it holds. Usage: bench_dataset [goods]
#include "config/TSysConfig.h"
#include "data/TRecordStore.h"
#include "data/TdmMain.h"
#include "tests/support/BksvrProcess.h"
#include "wire/ServerGuids.h"
#include "wire/WireClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

qint64 StatusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Takes the rows and keeps nothing: the wire and the decoder alone.
class CountingSink final : public WireRowDiscarder {
public:
    qint64 rows = 0;
    void startRow() override { ++rows; }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int goods = argc > 1 ? atoi(argv[1]) : 100000;
    if (qEnvironmentVariableIsEmpty("NS_BKSVR"))
        qputenv("NS_BKSVR", NS_BKSVR_PATH);

    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("Movedata.cfg")));
    if (!cfg.open(QIODevice::WriteOnly) || cfg.write("[System]\r\nApplicationTitle=bench\r\n") < 0)
        return 1;
    cfg.close();
    SetSysConfigFileName(cfg.fileName());

    BksvrProcess server;
    QString error;
    std::printf("building a demo with %d goods...\n", goods);
    if (!server.start({}, &error, goods)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QFile config(dir.filePath(QStringLiteral("CONFIG.CFG")));
    if (!config.open(QIODevice::WriteOnly)
        || config.write(QByteArray("[SERVER]\nSOCKETPORT=") + QByteArray::number(server.port())) < 0)
        return 1;
    config.close();
    TdmMain::SetServerConfigFileName(config.fileName());

    TdmMain dm;
    dm.cnNet->SetHost(QStringLiteral("127.0.0.1"));
    dm.cnNet->Open();
    dm.CheckAccountSetDB(QStringLiteral("ZT001"));
    TClientDataSet* ds = dm.cdsBaseInfo;

    const qint64 rssBefore = StatusKb("VmRSS:");
    for (int round = 1; round <= 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        dm.QueryBaseInfo(QStringLiteral("SELECT * FROM Goods ORDER BY TypeId"));
        const qint64 queryMs = clock.restart();

        qsizetype chars = 0;
        const int fields = ds->FieldCount();
        for (ds->First(); !ds->Eof(); ds->Next()) {
            for (int f = 0; f < fields; ++f)
                chars += ds->Fields(f).AsString().size();
        }
        const qint64 walkMs = clock.restart();

        const QStringList names = ds->Store().FieldNames();
        for (ds->First(); !ds->Eof(); ds->Next()) {
            for (const QString& name : names)
                chars += ds->FieldByName(name).AsString().size();
        }
        const qint64 byNameMs = clock.restart();

        std::printf(
            "round %d: %d rows x %d fields; query into cdsBaseInfo %lld ms; walk (AsString of every cell) "
            "%lld ms; same by FieldByName %lld ms; %lld chars\n",
            round, ds->RecordCount(), fields, queryMs, walkMs, byNameMs, qint64(chars));
    }
    std::printf(
        "dataset store: %.1f MB; process RSS %lld MB before the queries, %lld MB after, peak %lld MB\n",
        ds->Store().BytesUsed() / 1048576.0, rssBefore / 1024, StatusKb("VmRSS:") / 1024,
        StatusKb("VmHWM:") / 1024);
    {
        // The wire alone, for comparison: the same rows decoded and dropped, then kept as variants
        // (after the peak above, which they would raise).
        WireClient client;
        client.connectToServer(QStringLiteral("127.0.0.1"), server.port(), ServerGuids::defaultGuid());
        client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") });
        const QString sql = QStringLiteral("SELECT * FROM Goods ORDER BY TypeId");
        client.call(QStringLiteral("SetQuerySQL"), { sql });
        QElapsedTimer clock;
        clock.start();
        CountingSink counted;
        client.openProvider(QStringLiteral("pv_qry_Open"), counted);
        std::printf(
            "wire alone (decoded, nothing kept): %lld rows in %lld ms\n", counted.rows, clock.restart());
        client.call(QStringLiteral("SetQuerySQL"), { sql });
        clock.restart();
        const WireTable table = client.openProvider(QStringLiteral("pv_qry_Open"));
        std::printf("wire alone (as variants, WireTable): %lld rows in %lld ms, peak now %lld MB\n",
            qint64(table.rows.size()), clock.elapsed(), StatusKb("VmHWM:") / 1024);
    }
    return 0;
}
