#include "tests/support/BksvrProcess.h"
#include "tests/wire/RawCalls.h"
#include "wire/ServerGuids.h"
#include "wire/WireClient.h"
#include "wire/WireCodec.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <thread>

namespace {

// A device that takes a number of writes, then fails every further one.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(int goodWrites)
        : goodWrites(goodWrites)
    {
        open(QIODevice::WriteOnly);
    }
    qint64 written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (goodWrites-- <= 0) {
            setErrorString(QStringLiteral("disk full"));
            return -1;
        }
        written += size;
        return size;
    }

private:
    int goodWrites;
};

QVariantList packedMove(
    const QString& table, const QString& id, const QString& oldParent, const QString& newParent, int newLevel)
{
    auto param = [](const QString& name, const QVariant& value) {
        return QVariant(QVariantList { name, value, value.typeId() == QMetaType::Int ? 3 : 1, 0, 0, 0, 0 });
    };
    return { param(QStringLiteral("@szDBName"), table), param(QStringLiteral("@szOldId"), id),
        param(QStringLiteral("@szOldParId"), oldParent), param(QStringLiteral("@szNewParid"), newParent),
        param(QStringLiteral("@NewLeveal"), newLevel), param(QStringLiteral("@szNewID"), QString()) };
}

QByteArray rawFrame(const QByteArray& payload, quint8 kind = 1)
{
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size() + 1), frame.data());
    return frame + char(kind) + payload;
}

QByteArray helloFrame(const QUuid& guid)
{
    WireMessage hello;
    hello.type = WireMessage::Type::Hello;
    hello.text = guid.toString(QUuid::WithBraces);
    QByteArray frame;
    QString error;
    WireCodec::encodeMessage(hello, &frame, &error);
    return frame;
}

// Kills a process from another thread after a delay, while the test's thread is blocked in a call.
std::thread killLater(qint64 pid, int delayMs)
{
    return std::thread([pid, delayMs] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(pid_t(pid), SIGKILL);
    });
}

const QString SlowQuery = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                                         "WHERE x < 300000000) SELECT count(*) FROM c");

// Keeps nothing and gives up at its second row, as a store that cannot take more would.
class GivingUpSink final : public WireRowDiscarder {
public:
    int rows = 0;
    void startRow() override
    {
        if (++rows == 2)
            throw Exception(QStringLiteral("full"));
    }
};

} // namespace

class TestWireServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logOnAndListAccountSets();
    void queryReturnsTypedRows();
    void serverErrorsKeepTheConnection_data();
    void serverErrorsKeepTheConnection();
    void execSpMovesAndFillsOutputs();
    void twoClientsInDifferentAccountSets();
    void backupStreamsToTheDevice();
    void failingDeviceDrainsTheStream();
    void otherServerClassIsRefused_data();
    void otherServerClassIsRefused();
    void multiServerAnswersItsPortsClass();
    void addressNotAllowed();
    void badInputOnOneConnectionSparesAnother_data();
    void badInputOnOneConnectionSparesAnother();
    void connectionFloodIsTurnedAway();
    void largeResultSetArrivesInPackets();
    void sinkThatGivesUpDropsTheConnection();
    void silentServerTimesOut();
    void callTimeoutDisconnects();
    void serverKilledMidCallFailsAtOnce();

private:
    void logOn(WireClient& client, const QString& db);

    BksvrProcess server;
};

void TestWireServer::initTestCase()
{
    QString error;
    QVERIFY2(server.start({}, &error), qPrintable(error));
}

void TestWireServer::logOn(WireClient& client, const QString& db)
{
    const QString error = client.connectToServer(server.host(), server.port(), ServerGuids::defaultGuid());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(client.call(QStringLiteral("ChangeDb"), { db }).result, QVariant(true));
}

void TestWireServer::logOnAndListAccountSets()
{
    WireClient client;
    QCOMPARE(client.connectToServer(server.host(), server.port(), ServerGuids::defaultGuid()), QString());
    QVERIFY(client.isConnected());

    QVariantList keep = { 0 };
    QCOMPARE(client.callByRef(QStringLiteral("KeepConnection"), keep), QVariant());
    QCOMPARE(keep, QVariantList { 0 });
    QVariantList connectArgs = { QStringLiteral("WS-01"), QStringLiteral("127.0.0.1"), QString() };
    QCOMPARE(client.callByRef(QStringLiteral("ConnectDb"), connectArgs), QVariant(true));
    QCOMPARE(client.call(QStringLiteral("ChangeDb"), { QStringLiteral("master") }).result, QVariant(true));
    client.call(QStringLiteral("GetZt"), { 0, QString() });

    const WireTable sets = client.openProvider(QStringLiteral("pv_sp_Open"));
    QCOMPARE(sets.fields, (QStringList { QStringLiteral("DBNAME"), QStringLiteral("FULLNAME") }));
    QCOMPARE(sets.rows.size(), 2);
    QCOMPARE(sets.rows[0][0], QVariant(QStringLiteral("ZT001")));
    QVERIFY(!sets.rows[0][1].toString().isEmpty());
    QVERIFY(server.log().contains(u"connection from 127.0.0.1"));
}

void TestWireServer::queryReturnsTypedRows()
{
    WireClient client;
    logOn(client, QStringLiteral("zt001"));
    client.call(QStringLiteral("SetQuerySQL"),
        { QStringLiteral(
            "SELECT TypeId, ParId, Level, Price, FullName FROM Goods WHERE Level <= 1 ORDER BY TypeId") });
    const WireTable t = client.openProvider(QStringLiteral("pv_qry_Open"));
    QCOMPARE(t.fields,
        (QStringList { QStringLiteral("TypeId"), QStringLiteral("ParId"), QStringLiteral("Level"),
            QStringLiteral("Price"), QStringLiteral("FullName") }));
    QVERIFY(t.rows.size() > 1);
    QCOMPARE(t.rows[0][1], QVariant()); // the root has no parent
    QCOMPARE(t.rows[0][2].typeId(), QMetaType::LongLong);
    QCOMPARE(t.rows[0][4].typeId(), QMetaType::QString);

    // The provider answers the last text given on this connection.
    client.call(
        QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT 1.5 AS a, x'00ff' AS b WHERE 1 = 0") });
    client.call(QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT 1.5 AS a, x'00ff' AS b") });
    const WireTable one = client.openProvider(QStringLiteral("pv_qry_Open"));
    QCOMPARE(one.rows.size(), 1);
    QCOMPARE(one.rows[0][0], QVariant(1.5));
    QCOMPARE(one.rows[0][1], QVariant(QByteArray("\0\xff", 2)));
}

void TestWireServer::serverErrorsKeepTheConnection_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("unknown operation")
        << QStringLiteral("DropEverything") << QVariantList() << QStringLiteral("unknown operation");
    QTest::newRow("account set the catalogue lacks")
        << QStringLiteral("ChangeDb") << QVariantList { QStringLiteral("../ZT001") } << QString();
    QTest::newRow("ChangeDb with a number")
        << QStringLiteral("ChangeDb") << QVariantList { 5 } << QStringLiteral("text");
    QTest::newRow("SQL error names SQLite's message")
        << QStringLiteral("SQL") << QVariantList { QStringLiteral("SELECT * FROM NoSuchTable") }
        << QStringLiteral("NoSuchTable");
    QTest::newRow("write refused") << QStringLiteral("SQL")
                                   << QVariantList { QStringLiteral("DELETE FROM Goods") } << QString();
    QTest::newRow("unknown procedure")
        << QStringLiteral("ExecSP") << QVariantList { QStringLiteral("P_NoSuch;1"), QVariant(), QVariant() }
        << QString();
    QTest::newRow("packed list of the wrong shape")
        << QStringLiteral("ExecSP")
        << QVariantList { QStringLiteral("P_BaseInfo_MoveNode;1"), QVariantList { 1, 2 }, QVariant() }
        << QStringLiteral("7 items");
}

void TestWireServer::serverErrorsKeepTheConnection()
{
    QFETCH(QString, operation);
    QFETCH(QVariantList, args);
    QFETCH(QString, messagePart);
    WireClient client;
    logOn(client, QStringLiteral("ZT001"));
    try {
        if (operation == u"SQL") {
            client.call(QStringLiteral("SetQuerySQL"), args);
            client.openProvider(QStringLiteral("pv_qry_Open"));
        } else {
            client.call(operation, args);
        }
        QFAIL("no error");
    } catch (const WireError& e) {
        QCOMPARE(e.cause(), WireError::Cause::Server);
        QVERIFY(!e.message().isEmpty());
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
    }
    QVERIFY(client.isConnected());
    QCOMPARE(client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT002") }).result, QVariant(true));
    QVERIFY(server.log().contains(u" failed: "));
}

void TestWireServer::execSpMovesAndFillsOutputs()
{
    WireClient client;
    logOn(client, QStringLiteral("ZT002"));
    client.call(QStringLiteral("SetQuerySQL"),
        { QStringLiteral(
            "SELECT c.TypeId, c.ParId, c.Level, s.TypeId FROM Goods c JOIN Goods s ON s.ParId = c.ParId "
            "AND s.TypeId <> c.TypeId AND s.HasChild = 1 WHERE c.HasChild = 0 AND c.Level = 2 LIMIT 1") });
    const WireTable pick = client.openProvider(QStringLiteral("pv_qry_Open"));
    QCOMPARE(pick.rows.size(), 1);
    const QString id = pick.rows[0][0].toString(), parent = pick.rows[0][1].toString();
    const QString sibling = pick.rows[0][3].toString();
    const int level = pick.rows[0][2].toInt();

    QVariantList args = { QStringLiteral("P_BaseInfo_MoveNode;1"),
        QVariant(packedMove(QStringLiteral("Goods"), id, parent, sibling, level + 1)), QVariant() };
    QCOMPARE(client.callByRef(QStringLiteral("ExecSP"), args), QVariant(0));
    const QVariantList out = args[2].toList();
    QVERIFY(!out.isEmpty());
    bool newIdFilled = false;
    for (const QVariant& p : out) {
        const QVariantList item = p.toList();
        QCOMPARE(item.size(), 7);
        if (item[0].toString().compare(u"@szNewID", Qt::CaseInsensitive) == 0)
            newIdFilled = !item[1].toString().isEmpty();
    }
    QVERIFY(newIdFilled);

    // Moving it again from its old parent is refused with a negative code, not an error.
    args = { QStringLiteral("P_BaseInfo_MoveNode;1"),
        QVariant(packedMove(QStringLiteral("Goods"), id, parent, sibling, level + 1)), QVariant() };
    QVERIFY(client.callByRef(QStringLiteral("ExecSP"), args).toInt() < 0);
}

// One client's move shows in its account set and not in the other client's.
void TestWireServer::twoClientsInDifferentAccountSets()
{
    WireClient a, b;
    logOn(a, QStringLiteral("ZT001"));
    logOn(b, QStringLiteral("ZT002"));
    const QString sql = QStringLiteral("SELECT count(*) FROM MoveJournal");
    a.call(QStringLiteral("SetQuerySQL"), { sql });
    b.call(QStringLiteral("SetQuerySQL"),
        { QStringLiteral("SELECT TypeId, ParId, Level FROM Goods WHERE HasChild = 0 "
                         "AND Level = 3 ORDER BY TypeId LIMIT 1") });
    const qlonglong journalA = a.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toLongLong();
    const QVariantList leaf = b.openProvider(QStringLiteral("pv_qry_Open")).rows[0];
    b.call(QStringLiteral("SetQuerySQL"),
        { QStringLiteral("SELECT TypeId FROM Goods WHERE Level = 1 AND TypeId <> "
                         "(SELECT ParId FROM Goods WHERE TypeId = '%1') LIMIT 1")
                .arg(leaf[1].toString()) });
    const QString target = b.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toString();
    QCOMPARE(b.call(QStringLiteral("ExecSP"),
                  { QStringLiteral("P_BaseInfo_MoveNode;1"),
                      QVariant(packedMove(
                          QStringLiteral("Goods"), leaf[0].toString(), leaf[1].toString(), target, 2)),
                      QVariant() })
                 .result,
        QVariant(0));
    a.call(QStringLiteral("SetQuerySQL"), { sql });
    QCOMPARE(a.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toLongLong(), journalA);
    b.call(QStringLiteral("SetQuerySQL"),
        { QStringLiteral("SELECT ParId FROM Goods WHERE TypeId = '%1'").arg(leaf[0].toString()) });
    QCOMPARE(b.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toString(), target);
}

void TestWireServer::backupStreamsToTheDevice()
{
    WireClient client;
    logOn(client, QStringLiteral("ZT001"));
    QVariantList args
        = { QStringLiteral("ZT001"), QStringLiteral("ZT001-20240102-030405"), QStringLiteral("ZT001"), 0 };
    QCOMPARE(client.callByRef(QStringLiteral("BackupDatabase"), args), QVariant(0));
    QCOMPARE(args[3], QVariant(0));
    QCOMPARE(client.call(QStringLiteral("BackupDatabase"), args).result, QVariant(-1));

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    qint64 lastProgress = -1;
    const WireDownload done = client.download(QStringLiteral("ZT001-20240102-030405"), out,
        WireClient::DefaultCallTimeoutMs, [&](qint64 received, qint64) { lastProgress = received; });
    QCOMPARE(done.errorText, QString());
    QVERIFY(done.announcedSize > 1000);
    QCOMPARE(done.written, done.announcedSize);
    QCOMPARE(lastProgress, done.announcedSize);
    QCOMPARE(out.data().size(), done.announcedSize);
    QVERIFY(out.data().startsWith("PK\x03\x04"));
    QFile onServer(server.dataDir() + QStringLiteral("/backup/ZT001-20240102-030405.ZIP"));
    QVERIFY(onServer.open(QIODevice::ReadOnly));
    QCOMPARE(out.data(), onServer.readAll());

    QBuffer none;
    none.open(QIODevice::WriteOnly);
    const WireDownload unknown = client.download(QStringLiteral("NoSuchBackup"), none);
    QVERIFY(!unknown.errorText.isEmpty());
    QCOMPARE(none.size(), 0);
    QVERIFY_THROWS_EXCEPTION(
        Exception, client.call(QStringLiteral("GetBackUpFileServer"), { QStringLiteral("x") }));
}

void TestWireServer::failingDeviceDrainsTheStream()
{
    WireClient client;
    logOn(client, QStringLiteral("ZT002"));
    QVariantList args
        = { QStringLiteral("ZT002"), QStringLiteral("ZT002-drain"), QStringLiteral("ZT002"), 0 };
    QCOMPARE(client.call(QStringLiteral("BackupDatabase"), args).result, QVariant(0));
    FailingDevice device(1);
    try {
        client.download(QStringLiteral("ZT002-drain"), device);
        QFAIL("no error");
    } catch (const WireError&) {
        QFAIL("the device's failure is not the connection's");
    } catch (const Exception& e) {
        QVERIFY2(e.message().contains(u"disk full"), qPrintable(e.message()));
    }
    QVERIFY(client.isConnected());
    QCOMPARE(client.call(QStringLiteral("ChangeDb"), { QStringLiteral("master") }).result, QVariant(true));
}

void TestWireServer::otherServerClassIsRefused_data()
{
    QTest::addColumn<QUuid>("guid");
    QTest::newRow("port 215's class") << ServerGuids::ofPort(215);
    QTest::newRow("an unknown class") << QUuid::createUuid();
    QTest::newRow("null") << QUuid();
}

void TestWireServer::otherServerClassIsRefused()
{
    QFETCH(QUuid, guid);
    WireClient client;
    const QString error = client.connectToServer(server.host(), server.port(), guid);
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"not served"), qPrintable(error));
    QVERIFY(!client.isConnected());
    QVERIFY_THROWS_EXCEPTION(WireError, client.call(QStringLiteral("KeepConnection"), { 0 }));
}

// --multi on a port outside 212..291 serves the default class, as the client's port rule expects.
void TestWireServer::multiServerAnswersItsPortsClass()
{
    BksvrProcess multi;
    QString error;
    QVERIFY2(multi.start({ QStringLiteral("--multi") }, &error), qPrintable(error));
    const QUuid expected = ServerGuids::ofPort(multi.port());
    WireClient client;
    QCOMPARE(client.connectToServer(multi.host(), multi.port(), expected), QString());
    WireClient other;
    QVERIFY(!other.connectToServer(multi.host(), multi.port(), ServerGuids::ofPort(291)).isEmpty());
}

void TestWireServer::addressNotAllowed()
{
    BksvrProcess guarded;
    QString error;
    QVERIFY2(guarded.start({ QStringLiteral("--allow"), QStringLiteral("10.1.2.3,10.1.2.4") }, &error),
        qPrintable(error));
    WireClient client;
    QCOMPARE(client.connectToServer(guarded.host(), guarded.port(), ServerGuids::defaultGuid()), QString());
    QVariantList args = { QStringLiteral("WS-01"), QStringLiteral("127.0.0.1"), QString() };
    QCOMPARE(client.callByRef(QStringLiteral("ConnectDb"), args), QVariant(false));
    QVERIFY(!args[2].toString().isEmpty());
    // Skipping ConnectDb does not get such a client any further.
    QVERIFY_THROWS_EXCEPTION(WireError, client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") }));
    QVERIFY_THROWS_EXCEPTION(WireError, client.openProvider(QStringLiteral("pv_sp_Open")));

    BksvrProcess open;
    QVERIFY2(
        open.start({ QStringLiteral("--allow"), QStringLiteral("127.0.0.1") }, &error), qPrintable(error));
    WireClient local;
    QCOMPARE(local.connectToServer(open.host(), open.port(), ServerGuids::defaultGuid()), QString());
    QCOMPARE(
        local.call(QStringLiteral("ConnectDb"), { QString(), QString(), QString() }).result, QVariant(true));
}

void TestWireServer::badInputOnOneConnectionSparesAnother_data()
{
    QTest::addColumn<bool>("helloFirst");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closeEarly"); // leave a half frame behind
    QTest::newRow("text instead of frames")
        << false << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n") << false;
    QTest::newRow("4 GiB length") << false << QByteArray::fromHex("ffffffff01") << false;
    QTest::newRow("just over the limit, after the opening")
        << true << QByteArray::fromHex("0040000101") << false;
    QTest::newRow("half a frame, then gone") << true << QByteArray::fromHex("0000100001a1") << true;
    QTest::newRow("half a header, then gone") << false << QByteArray::fromHex("0000") << true;
    QTest::newRow("a call before the opening")
        << false << rawFrame(callWithRawArgs(QByteArray::fromHex("80"))) << false;
    QTest::newRow("invalid UTF-8 at the top, after the opening")
        << true << rawFrame(QByteArray::fromHex("62c328")) << false;
    QTest::newRow("a chunk from the client") << true << rawFrame("data", 2) << false;
    QTest::newRow("random bytes") << true << QByteArray::fromHex("00000007018d13ff00a1c26500000002aa")
                                  << false;
}

void TestWireServer::badInputOnOneConnectionSparesAnother()
{
    QFETCH(bool, helloFirst);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closeEarly);
    WireClient good;
    logOn(good, QStringLiteral("ZT001"));

    QTcpSocket bad;
    bad.connectToHost(server.host(), server.port());
    QVERIFY(bad.waitForConnected(5000));
    if (helloFirst) {
        bad.write(helloFrame(ServerGuids::defaultGuid()));
        QVERIFY(bad.waitForReadyRead(5000));
        bad.readAll();
    }
    bad.write(bytes);
    QVERIFY(bad.waitForBytesWritten(5000));
    if (closeEarly) {
        bad.abort();
    } else {
        // The server answers garbage by closing the connection (after a refusal or an error reply).
        QElapsedTimer clock;
        clock.start();
        while (bad.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 5000)
            bad.waitForReadyRead(100), bad.readAll();
        if (bad.state() == QAbstractSocket::ConnectedState) {
            // A well-framed message of the wrong shape gets an error reply; the connection may stay.
            QVERIFY(!bytes.isEmpty());
        }
    }

    QVERIFY(server.isRunning());
    good.call(QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT count(*) FROM Goods") });
    QVERIFY(good.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toLongLong() > 0);
    WireClient fresh;
    logOn(fresh, QStringLiteral("ZT002"));
}

// More connections than the server's open-file limit has room for: the extra ones are refused,
// the server stays up, and serves new clients once the crowd has gone.
void TestWireServer::connectionFloodIsTurnedAway()
{
    rlimit files {};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlimit few { 160, files.rlim_max }; // inherited by the server
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &few), 0);
    BksvrProcess crowded;
    QString error;
    const bool started = crowded.start({}, &error);
    setrlimit(RLIMIT_NOFILE, &files);
    QVERIFY2(started, qPrintable(error));

    WireClient early;
    QCOMPARE(early.connectToServer(crowded.host(), crowded.port(), ServerGuids::defaultGuid()), QString());
    QCOMPARE(early.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") }).result, QVariant(true));

    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < 150; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(crowded.host(), crowded.port());
        QVERIFY(crowd.back()->waitForConnected(5000));
    }
    WireClient late;
    QVERIFY(late.connectToServer(crowded.host(), crowded.port(), ServerGuids::defaultGuid())
                .contains(u"too many connections"));
    QVERIFY(crowded.isRunning());
    early.call(QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT count(*) FROM Goods") });
    QVERIFY(early.openProvider(QStringLiteral("pv_qry_Open")).rows[0][0].toLongLong() > 0);

    crowd.clear();
    QElapsedTimer clock;
    clock.start();
    QString refused;
    do {
        WireClient fresh;
        refused = fresh.connectToServer(crowded.host(), crowded.port(), ServerGuids::defaultGuid());
    } while (!refused.isEmpty() && clock.elapsed() < 5000 && (QTest::qWait(50), true));
    QCOMPARE(refused, QString());
    QVERIFY(crowded.isRunning());
}

// 100,000 goods of 12 fields: far more than one frame, assembled from row packets.
void TestWireServer::largeResultSetArrivesInPackets()
{
    BksvrProcess big;
    QString error;
    QVERIFY2(big.start({}, &error, 100000), qPrintable(error));
    WireClient client;
    QCOMPARE(client.connectToServer(big.host(), big.port(), ServerGuids::defaultGuid()), QString());
    client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") });
    client.call(QStringLiteral("SetQuerySQL"), { QStringLiteral("SELECT * FROM Goods ORDER BY TypeId") });
    QElapsedTimer clock;
    clock.start();
    const WireTable goods = client.openProvider(QStringLiteral("pv_qry_Open"));
    qInfo("100,000 goods over the wire in %lld ms", clock.elapsed());
    QVERIFY(goods.rows.size() >= 100000);
    QVERIFY(goods.fields.size() >= 10);
    QCOMPARE(goods.rows.last().size(), goods.fields.size());
    QVERIFY(goods.rows[0][1].toString() < goods.rows.last()[1].toString());
}

// The rest of a data set cannot be skipped once a sink stops mid-packet: the connection ends at
// once, and a new one serves the same query whole.
void TestWireServer::sinkThatGivesUpDropsTheConnection()
{
    WireClient client;
    logOn(client, QStringLiteral("ZT001"));
    const QString sql = QStringLiteral("SELECT TypeId FROM Goods");
    client.call(QStringLiteral("SetQuerySQL"), { sql });
    GivingUpSink sink;
    QVERIFY_THROWS_EXCEPTION(Exception, client.openProvider(QStringLiteral("pv_qry_Open"), sink));
    QVERIFY(!client.isConnected());
    logOn(client, QStringLiteral("ZT001"));
    client.call(QStringLiteral("SetQuerySQL"), { sql });
    QVERIFY(client.openProvider(QStringLiteral("pv_qry_Open")).rows.size() > 2);
}

// A server that accepts the connection but never answers the opening: connect gives up in time.
void TestWireServer::silentServerTimesOut()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    WireClient client;
    QElapsedTimer clock;
    clock.start();
    const QString error = client.connectToServer(
        QStringLiteral("127.0.0.1"), silent.serverPort(), ServerGuids::defaultGuid(), 500);
    QVERIFY(!error.isEmpty());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!client.isConnected());

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 unused = closed.serverPort();
    closed.close();
    QVERIFY(!client.connectToServer(QStringLiteral("127.0.0.1"), unused, ServerGuids::defaultGuid(), 2000)
                 .isEmpty());
}

void TestWireServer::callTimeoutDisconnects()
{
    BksvrProcess slow;
    QString error;
    QVERIFY2(slow.start({}, &error), qPrintable(error));
    WireClient client;
    QCOMPARE(client.connectToServer(slow.host(), slow.port(), ServerGuids::defaultGuid()), QString());
    client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") });
    client.call(QStringLiteral("SetQuerySQL"), { SlowQuery });
    QElapsedTimer clock;
    clock.start();
    try {
        client.openProvider(QStringLiteral("pv_qry_Open"), 300);
        QFAIL("no timeout");
    } catch (const WireError& e) {
        QCOMPARE(e.cause(), WireError::Cause::Connection);
    }
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(!client.isConnected());
    slow.kill();
}

void TestWireServer::serverKilledMidCallFailsAtOnce()
{
    BksvrProcess doomed;
    QString error;
    QVERIFY2(doomed.start({}, &error), qPrintable(error));
    WireClient client;
    QCOMPARE(client.connectToServer(doomed.host(), doomed.port(), ServerGuids::defaultGuid()), QString());
    client.call(QStringLiteral("ChangeDb"), { QStringLiteral("ZT001") });
    client.call(QStringLiteral("SetQuerySQL"), { SlowQuery });
    QElapsedTimer clock;
    std::thread killer = killLater(doomed.pid(), 300);
    clock.start();
    try {
        client.openProvider(QStringLiteral("pv_qry_Open"));
        killer.join();
        QFAIL("no error");
    } catch (const WireError& e) {
        killer.join();
        QCOMPARE(e.cause(), WireError::Cause::Connection);
        QVERIFY2(e.message().contains(u"断开"), qPrintable(e.message()));
    }
    QVERIFY2(clock.elapsed() < 300 + 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!client.isConnected());
    QVERIFY_THROWS_EXCEPTION(WireError, client.call(QStringLiteral("KeepConnection"), { 0 }));
}

QTEST_GUILESS_MAIN(TestWireServer)
#include "TestWireServer.moc"
