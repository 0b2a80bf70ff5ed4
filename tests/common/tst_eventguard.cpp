#include "common/EventGuard.h"
#include "common/Helpers.h"
#include "tests/support/ScriptedMessages.h"

#include <QtTest>
#include <stdexcept>

class TestEventGuard : public QObject {
    Q_OBJECT

private slots:
    void fullStop_data();
    void fullStop();
    void silentAbortShowsNothing();
    void otherExceptionsAreShown();
    void bodyRunsOnce();
};

void TestEventGuard::fullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("chinese ending") << QStringLiteral("值不能为空") << QStringLiteral("值不能为空.");
    QTest::newRow("full-width bracket")
        << QStringLiteral("（错误号 -3）") << QStringLiteral("（错误号 -3）.");
    QTest::newRow("letter") << "Host not found"
                            << "Host not found.";
    QTest::newRow("digit") << "code 7"
                           << "code 7.";
    QTest::newRow("full stop already") << "Done."
                                       << "Done.";
    QTest::newRow("exclamation mark") << "Stop!"
                                      << "Stop!";
    QTest::newRow("closing parenthesis") << "(x)"
                                         << "(x)";
    QTest::newRow("carriage return") << "a\r"
                                     << "a\r";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEventGuard::fullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    ScriptedMessages boxes;
    Guarded([&] { throw Exception(message); });
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, shown);
    QCOMPARE(boxes.shown[0].caption, ApplicationTitle());
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Error);
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::Ok);
}

void TestEventGuard::silentAbortShowsNothing()
{
    ScriptedMessages boxes;
    Guarded([] { Abort(); });
    QVERIFY(boxes.shown.isEmpty());
}

void TestEventGuard::otherExceptionsAreShown()
{
    ScriptedMessages boxes;
    Guarded([] { throw std::runtime_error("bad thing"); });
    Guarded([] { throw 42; });
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("bad thing."));
    QCOMPARE(boxes.shown[1].text, QStringLiteral("Unknown exception."));
}

void TestEventGuard::bodyRunsOnce()
{
    ScriptedMessages boxes;
    int runs = 0;
    Guarded([&] { ++runs; });
    QCOMPARE(runs, 1);
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestEventGuard)
#include "tst_eventguard.moc"
