#include "common/Exception.h"
#include "common/ktNetUtils.h"

#include <QHostInfo>
#include <QtTest>

class TestNetUtils : public QObject {
    Q_OBJECT

private slots:
    void resolveHostAddress_data();
    void resolveHostAddress();
    void resolveRaisesForUnknownName();
    void computerName();
    void isLocalHost_data();
    void isLocalHost();
    void isLocalHostRaisesOnlyWhenResolving();

private:
    static const QString UnknownHost;
};

const QString TestNetUtils::UnknownHost = QStringLiteral("no-such-host.invalid");

void TestNetUtils::resolveHostAddress_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("expected");
    QTest::newRow("localhost") << "localhost"
                               << "127.0.0.1";
    QTest::newRow("localhost mixed case") << "LocalHost"
                                          << "127.0.0.1";
    QTest::newRow("dotted address unchanged") << "10.1.2.3"
                                              << "10.1.2.3";
}

void TestNetUtils::resolveHostAddress()
{
    QFETCH(QString, host);
    QFETCH(QString, expected);
    QCOMPARE(ResolveHostAddress(host), expected);
}

void TestNetUtils::resolveRaisesForUnknownName()
{
    try {
        ResolveHostAddress(UnknownHost);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QVERIFY2(e.message().contains(UnknownHost), qPrintable(e.message()));
    }
}

void TestNetUtils::computerName()
{
    const QString name = GetLocalComputerName();
    QVERIFY(!name.isEmpty());
    QVERIFY(name.size() <= 15);
    QVERIFY(!name.contains(u'.'));
    QCOMPARE(name, name.toUpper());
    QVERIFY(QHostInfo::localHostName().toUpper().startsWith(name));
}

void TestNetUtils::isLocalHost_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("resolveNames");
    QTest::addColumn<bool>("expected");
    const QString ownAddress = ResolveHostAddress(QHostInfo::localHostName());
    for (bool resolve : { false, true }) {
        const char* mode = resolve ? " (resolving)" : "";
        QTest::addRow("localhost upper case%s", mode) << "LOCALHOST" << resolve << true;
        QTest::addRow("loopback address%s", mode) << "127.0.0.1" << resolve << true;
        QTest::addRow("own name in lower case%s", mode)
            << GetLocalComputerName().toLower() << resolve << true;
        QTest::addRow("own address%s", mode) << ownAddress << resolve << true;
        QTest::addRow("another address%s", mode) << "192.0.2.7" << resolve << false;
    }
    QTest::newRow("unknown name, not resolving") << UnknownHost << false << false;
}

void TestNetUtils::isLocalHost()
{
    QFETCH(QString, server);
    QFETCH(bool, resolveNames);
    QFETCH(bool, expected);
    QCOMPARE(IsLocalHost(server, resolveNames), expected);
}

void TestNetUtils::isLocalHostRaisesOnlyWhenResolving()
{
    QVERIFY(!IsLocalHost(UnknownHost, false));
    QVERIFY_THROWS_EXCEPTION(Exception, IsLocalHost(UnknownHost, true));
}

QTEST_GUILESS_MAIN(TestNetUtils)
#include "tst_netutils.moc"
