#include "server/ServerOptions.h"

#include <QtTest>

namespace {

QStringList argv(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromLatin1(item));
    return list;
}

} // namespace

class TestServerOptions : public QObject {
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
};

void TestServerOptions::accepted_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("multi");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("goods");
    QTest::newRow("serve with defaults")
        << argv({ "--data", "/d" }) << int(ServerOptions::Mode::Serve) << 211 << false << 0 << 0;
    QTest::newRow("serve on a free port, multi, two allowed")
        << argv({ "--port", "0", "--multi", "--data", "/d", "--allow", "10.0.0.1, 127.0.0.1" })
        << int(ServerOptions::Mode::Serve) << 0 << true << 2 << 0;
    QTest::newRow("check") << argv({ "--check", "/d" }) << int(ServerOptions::Mode::Check) << 211 << false
                           << 0 << 0;
    QTest::newRow("demo of 100,000 goods")
        << argv({ "--init-demo", "/d", "--goods", "100000" }) << int(ServerOptions::Mode::InitDemo) << 211
        << false << 0 << 100000;
}

void TestServerOptions::accepted()
{
    QFETCH(QStringList, args);
    ServerOptions options;
    QString error;
    QVERIFY2(ServerOptions::parse(args, &options, &error), qPrintable(error));
    QFETCH(int, mode);
    QFETCH(int, port);
    QFETCH(bool, multi);
    QFETCH(int, allowed);
    QFETCH(int, goods);
    QCOMPARE(int(options.mode), mode);
    QCOMPARE(options.dir, QStringLiteral("/d"));
    QCOMPARE(int(options.port), port);
    QCOMPARE(options.multi, multi);
    QCOMPARE(int(options.allowed.size()), allowed);
    QCOMPARE(options.goods, goods);
    QCOMPARE(options.listen, QHostAddress(QHostAddress::LocalHost));
}

void TestServerOptions::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << argv({});
    QTest::newRow("two modes") << argv({ "--data", "/d", "--check", "/d" });
    QTest::newRow("unknown option") << argv({ "--data", "/d", "--verbose", "1" });
    QTest::newRow("stray argument") << argv({ "--data", "/d", "extra" });
    QTest::newRow("missing value") << argv({ "--data" });
    QTest::newRow("port beyond 65535") << argv({ "--data", "/d", "--port", "70000" });
    QTest::newRow("port not a number") << argv({ "--data", "/d", "--port", "abc" });
    QTest::newRow("listen on a name") << argv({ "--data", "/d", "--listen", "localhost" });
    QTest::newRow("allow a name") << argv({ "--data", "/d", "--allow", "127.0.0.1,srv01" });
    QTest::newRow("allow nothing") << argv({ "--data", "/d", "--allow", "," });
    QTest::newRow("goods while serving") << argv({ "--data", "/d", "--goods", "5" });
    QTest::newRow("port while checking") << argv({ "--check", "/d", "--port", "5" });
    QTest::newRow("zero goods") << argv({ "--init-demo", "/d", "--goods", "0" });
    QTest::newRow("an option twice") << argv({ "--data", "/d", "--port", "1", "--port", "2" });
}

void TestServerOptions::refused()
{
    QFETCH(QStringList, args);
    ServerOptions options;
    QString error;
    QVERIFY(!ServerOptions::parse(args, &options, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestServerOptions)
#include "TestServerOptions.moc"
