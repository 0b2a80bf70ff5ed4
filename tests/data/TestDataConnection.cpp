// The connection: CONFIG.CFG's port and server class, the events, a refused class
// identifier, and calls that must not hang when the server dies or stays silent.
#include "DataTestEnv.h"
#include "common/Exception.h"
#include "wire/ServerGuids.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>
#include <csignal>
#include <thread>

class TestDataConnection : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void serverConfig_data();
    void serverConfig();
    void serverConfigIsReadAtEveryConnect();
    void eventsRunInOrder();
    void otherClassIsRefused();
    void silentServerTimesOut();
    void serverKilledMidCall();

private:
    std::unique_ptr<DataTestEnv> env;
    BksvrProcess server;
};

void TestDataConnection::initTestCase()
{
    env = std::make_unique<DataTestEnv>();
    QString error;
    QVERIFY2(server.start({}, &error), qPrintable(error));
}

void TestDataConnection::serverConfig_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no CONFIG.CFG
    QTest::addColumn<int>("port");
    QTest::addColumn<QUuid>("guid");
    const QUuid def = ServerGuids::defaultGuid();
    QTest::newRow("no file") << QByteArray() << 211 << def;
    QTest::newRow("211 multi") << QByteArray("[SERVER]\r\nSOCKETPORT=211\r\nUseMutiSvr=YES\r\n") << 212
                               << ServerGuids::ofPort(212);
    QTest::newRow("215 multi") << QByteArray("[SERVER]\nSOCKETPORT=215\nUseMutiSvr=YES\n") << 215
                               << ServerGuids::ofPort(215);
    QTest::newRow("291 multi") << QByteArray("[SERVER]\nSOCKETPORT=291\nUseMutiSvr=YES\n") << 291
                               << ServerGuids::ofPort(291);
    QTest::newRow("292 multi") << QByteArray("[SERVER]\nSOCKETPORT=292\nUseMutiSvr=YES\n") << 212
                               << ServerGuids::ofPort(212);
    QTest::newRow("250 lower-case yes")
        << QByteArray("[SERVER]\nSOCKETPORT=250\nUseMutiSvr=yes\n") << 250 << def;
    QTest::newRow("250 single") << QByteArray("[SERVER]\nSOCKETPORT=250\n") << 250 << def;
    QTest::newRow("abc single") << QByteArray("[SERVER]\nSOCKETPORT=abc\n") << 0 << def;
    QTest::newRow("abc multi") << QByteArray("[SERVER]\nSOCKETPORT=abc\nUseMutiSvr=YES\n") << 212
                               << ServerGuids::ofPort(212);
}

void TestDataConnection::serverConfig()
{
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(QUuid, guid);
    if (file.isEmpty())
        env->removeServerConfig();
    else
        env->writeServerConfig(file);
    TdmMain dm;
    dm.cnNet->SetHost(QStringLiteral("127.0.0.1"));
    // Nothing of ours listens on these ports of the loopback: the connect fails, quickly.
    QVERIFY_THROWS_EXCEPTION(Exception, dm.cnNet->Open());
    QCOMPARE(dm.cnNet->Port(), port);
    QCOMPARE(QUuid::fromString(dm.cnNet->ServerGUID()), guid);
    QVERIFY(!dm.cnNet->Connected());
    QVERIFY(!dm.FAppServer);
    QVERIFY(!dm.FRemoteServer);
}

void TestDataConnection::serverConfigIsReadAtEveryConnect()
{
    env->writeServerConfig("[SERVER]\nSOCKETPORT=250\n");
    TdmMain dm;
    dm.cnNet->SetAddress(QStringLiteral("127.0.0.1"));
    QVERIFY_THROWS_EXCEPTION(Exception, dm.cnNet->Open());
    QCOMPARE(dm.cnNet->Port(), 250);
    env->writeServerConfig(QStringLiteral("[SERVER]\nSOCKETPORT=%1\n").arg(server.port()).toLatin1());
    dm.cnNet->Open();
    QVERIFY(dm.cnNet->Connected());
}

void TestDataConnection::eventsRunInOrder()
{
    env->writeServerConfig(QStringLiteral("[SERVER]\nSOCKETPORT=%1\n").arg(server.port()).toLatin1());
    TdmMain dm;
    QStringList events;
    const auto record = [&](const QString& name, void (TdmMain::*handler)(TSocketConnection*)) {
        return [&, name, handler](TSocketConnection* sender) {
            QCOMPARE(sender, dm.cnNet);
            events << name;
            (dm.*handler)(sender);
        };
    };
    dm.cnNet->OnBeforeConnect = record(QStringLiteral("before-connect"), &TdmMain::cnNetBeforeConnect);
    dm.cnNet->OnAfterConnect = record(QStringLiteral("after-connect"), &TdmMain::cnNetAfterConnect);
    dm.cnNet->OnBeforeDisconnect
        = record(QStringLiteral("before-disconnect"), &TdmMain::cnNetBeforeDisconnect);
    dm.cnNet->SetHost(QStringLiteral("localhost"));
    dm.cnNet->Open();
    QVERIFY(dm.cnNet->Connected());
    QCOMPARE(dm.FRemoteServer, dm.cnNet);
    QCOMPARE(dm.FAppServer, dm.cnNet->AppServer());
    dm.cnNet->Open(); // already open: nothing happens
    dm.cnNet->Close();
    QCOMPARE(events,
        (QStringList { QStringLiteral("before-connect"), QStringLiteral("after-connect"),
            QStringLiteral("before-disconnect") }));
    QVERIFY(!dm.FAppServer);
    QCOMPARE(dm.FRemoteServer, dm.cnNet); // never cleared
    try {
        dm.OpenQuery(QStringLiteral("SELECT 1"), dm.cdsBaseInfo);
        QFAIL("a query on a closed connection");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("未连接到后台服务器"));
    }
}

void TestDataConnection::otherClassIsRefused()
{
    TSocketConnection connection;
    connection.SetAddress(QStringLiteral("127.0.0.1"));
    connection.SetPort(server.port());
    connection.SetServerGUID(ServerGuids::ofPort(250).toString(QUuid::WithBraces));
    bool after = false;
    connection.OnAfterConnect = [&](TSocketConnection*) { after = true; };
    try {
        connection.Open();
        QFAIL("a server of another class accepted the connection");
    } catch (const Exception& e) {
        QVERIFY2(e.message().contains(QStringLiteral("拒绝")), qPrintable(e.message()));
    }
    QVERIFY(!connection.Connected());
    QVERIFY(!after);
    QVERIFY_THROWS_EXCEPTION(Exception, connection.AppServer());
}

void TestDataConnection::silentServerTimesOut()
{
    // Accepts the TCP connection (the kernel does) but never answers the class identifier.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    TSocketConnection connection;
    connection.SetHost(QStringLiteral("127.0.0.1"));
    connection.SetPort(silent.serverPort());
    connection.SetServerGUID(ServerGuids::defaultGuid().toString(QUuid::WithBraces));
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(Exception, connection.Open());
    QVERIFY(clock.elapsed() >= TSocketConnection::ConnectTimeoutMs - 500);
    QVERIFY(clock.elapsed() < TSocketConnection::ConnectTimeoutMs + 5000);
}

void TestDataConnection::serverKilledMidCall()
{
    auto dm = env->connect(server.port(), QStringLiteral("ZT001"));
    // Runs for far longer than the test, unless the server dies.
    const QString slow = QStringLiteral(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 4000000000) "
        "SELECT count(*) FROM c");
    std::atomic<qint64> killedAt { 0 };
    QElapsedTimer clock;
    clock.start();
    const qint64 pid = server.pid();
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        killedAt = clock.elapsed();
        ::kill(pid_t(pid), SIGKILL);
    });
    QString message;
    try {
        dm->OpenQuery(slow, dm->cdsBaseInfo);
    } catch (const Exception& e) {
        message = e.message();
    }
    const qint64 failedAt = clock.elapsed();
    killer.join();
    qInfo("failed %lld ms after the kill: %s", failedAt - killedAt, qPrintable(message));
    QVERIFY2(killedAt > 0, "the query ended before the server was killed");
    QVERIFY2(failedAt - killedAt < 2000, qPrintable(QString::number(failedAt - killedAt)));
    QVERIFY2(message.contains(QStringLiteral("连接已断开")), qPrintable(message));
    QVERIFY(!dm->cnNet->Connected());
    QVERIFY(!dm->cdsBaseInfo->Active());

    // The next call fails at once, too.
    QVERIFY_THROWS_EXCEPTION(Exception, dm->OpenQuery(QStringLiteral("SELECT 1"), dm->cdsBaseInfo));
    server.kill();
    QString error;
    QVERIFY2(server.restart({}, &error), qPrintable(error));
}

QTEST_MAIN(TestDataConnection)
#include "TestDataConnection.moc"
