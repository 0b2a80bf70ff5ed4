#include "common/Exception.h"
#include "common/Helpers.h"
#include "tests/support/ScriptedMessages.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestHelpers : public QObject {
    Q_OBJECT

private slots:
    void strToIntOrZero_data();
    void strToIntOrZero();
    void strToIntRaisesForNoInteger();
    void textToBool_data();
    void textToBool();
    void normalizeFolder_data();
    void normalizeFolder();
    void exeFolderIsTheExecutablesFolder();
    void forceFolderKeepsAnExistingFolder();
    void forceFolderCreatesEveryMissingParent();
    void forceFolderReportsTheReason();
    void forceFolderRefusesAnEmptyName();
    void messageBoxes();
    void showKindMessageIcon_data();
    void showKindMessageIcon();
    void devHint();
    void askYesNo_data();
    void askYesNo();
    void waitCursorCallsAreNotCounted();
};

void TestHelpers::strToIntOrZero_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "211" << 211;
    QTest::newRow("leading blank") << " 211" << 211;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("trailing blank") << "211 " << 0;
    QTest::newRow("leading tab") << "\t211" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("decimal point") << "1.5" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("beyond 32 bits") << "2147483648" << 0;
    QTest::newRow("far beyond") << "99999999999999999999" << 0;
    QTest::newRow("dollar hex") << "$FF" << 255;
    QTest::newRow("0x hex") << "0x1f" << 31;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << -1;
    QTest::newRow("hex beyond 32 bits") << "$100000000" << 0;
    QTest::newRow("hex without digits") << "0x" << 0;
    QTest::newRow("full-width digits") << "２１１" << 0;
}

void TestHelpers::strToIntOrZero()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(StrToIntOrZero(text), expected);
}

void TestHelpers::strToIntRaisesForNoInteger()
{
    QCOMPARE(StrToInt(QStringLiteral(" 12")), 12);
    try {
        StrToInt(QStringLiteral("1x"));
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("'1x' is not a valid integer value"));
    }
}

void TestHelpers::textToBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    for (const char* text : { "T", "True", "1", "Y", "y" })
        QTest::newRow(text) << QString::fromLatin1(text) << true;
    QTest::newRow("是") << QStringLiteral("是") << true;
    QTest::newRow("真") << QStringLiteral("真") << true;
    for (const char* text : { "true", "t", "yes", "TRUE", "N", "0", "" })
        QTest::newRow(text) << QString::fromLatin1(text) << false;
    QTest::newRow("Y with leading blank") << " Y" << false;
    QTest::newRow("Y with trailing blank") << "Y " << false;
    QTest::newRow("否") << QStringLiteral("否") << false;
}

void TestHelpers::textToBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(TextToBool(text), expected);
}

void TestHelpers::normalizeFolder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks on both sides") << "  /data/Backup  "
                                          << "/data/Backup/";
    QTest::newRow("separator kept") << "/data/Backup/"
                                    << "/data/Backup/";
    QTest::newRow("empty") << ""
                           << "/";
    QTest::newRow("control characters") << "\t/data/x\r\n"
                                        << "/data/x/";
    QTest::newRow("inner blank kept") << " /data/my backup "
                                      << "/data/my backup/";
    QTest::newRow("chinese") << QStringLiteral("/数据/备份") << QStringLiteral("/数据/备份/");
    QTest::newRow("ideographic space is no blank")
        << QStringLiteral("/x\u3000") << QStringLiteral("/x\u3000/");
}

void TestHelpers::normalizeFolder()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(NormalizeFolder(text), expected);
}

void TestHelpers::exeFolderIsTheExecutablesFolder()
{
    QCOMPARE(GetExeFolder(), QCoreApplication::applicationDirPath() + u'/');
}

void TestHelpers::forceFolderKeepsAnExistingFolder()
{
    QTemporaryDir dir;
    QVERIFY(ForceFolder(dir.path()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestHelpers::forceFolderCreatesEveryMissingParent()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("a/b/备份/"));
    QVERIFY(ForceFolder(folder));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestHelpers::forceFolderReportsTheReason()
{
    // A file in the way fails for every user, root included.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString folder = dir.filePath(QStringLiteral("file/sub/x"));
    try {
        ForceFolder(folder);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("自动创建“%1”目录失败：Not a directory").arg(folder));
    }
}

void TestHelpers::forceFolderRefusesAnEmptyName()
{
    QVERIFY_THROWS_EXCEPTION(Exception, ForceFolder(QString()));
}

void TestHelpers::messageBoxes()
{
    ScriptedMessages boxes;
    const QString title = ApplicationTitle();
    QCOMPARE(title, QStringLiteral("Ledgerine基本信息搬移工具"));
    ShowInfo(QStringLiteral("第一行\r第二行"));
    ShowErrorFmt(
        QStringLiteral("备份到“%s”失败：%s"), { QStringLiteral("/b/x.ZIP"), QStringLiteral("磁盘满") });
    SetApplicationTitle(QStringLiteral("搬移"));
    ShowError(QStringLiteral("错误\r\n详情"));
    SetApplicationTitle(title);

    QCOMPARE(boxes.shown.size(), 3);
    QCOMPARE(boxes.shown[0].caption, title);
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::Ok);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("第一行\r第二行"));
    QCOMPARE(boxes.shown[1].icon, MessageIcon::Error);
    QCOMPARE(boxes.shown[1].text, QStringLiteral("备份到“/b/x.ZIP”失败：磁盘满"));
    QCOMPARE(boxes.shown[2].caption, QStringLiteral("搬移"));
    QCOMPARE(boxes.shown[2].text, QStringLiteral("错误\r\n详情"));
}

void TestHelpers::showKindMessageIcon_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<MessageIcon>("icon");
    QTest::newRow("0 information") << 0 << MessageIcon::Information;
    QTest::newRow("1 warning") << 1 << MessageIcon::Warning;
    QTest::newRow("2 error") << 2 << MessageIcon::Error;
    QTest::newRow("255 error") << 255 << MessageIcon::Error;
}

void TestHelpers::showKindMessageIcon()
{
    QFETCH(int, kind);
    QFETCH(MessageIcon, icon);
    ScriptedMessages boxes;
    ShowKindMessage(QStringLiteral("text"), QStringLiteral("caption"), kind);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].icon, icon);
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("caption"));
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::Ok);
}

void TestHelpers::devHint()
{
    ScriptedMessages boxes;
    QVERIFY(DevHint(true, QStringLiteral("not shown")));
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!DevHint(false, QStringLiteral("参数名为空")));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("开发提示"));
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("参数名为空"));
}

void TestHelpers::askYesNo_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestHelpers::askYesNo()
{
    QFETCH(bool, answer);
    ScriptedMessages boxes({ answer });
    QCOMPARE(AskYesNo(QStringLiteral("数据搬移提示"), QStringLiteral("确定吗？")), answer);
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("数据搬移提示"));
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Question);
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::YesNo);
}

void TestHelpers::waitCursorCallsAreNotCounted()
{
    WaitCursorOn();
    WaitCursorOn();
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetScreenCursor(QCursor(Qt::BusyCursor));
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    WaitCursorOff();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    WaitCursorOff();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
