#include "common/Helpers.h"
#include "controls/TSupGrids.h"
#include "tests/login/LoginFixture.h"
#include "ui/login/LogOn.h"
#include "ui/login/SystemDrive.h"
#include "ui/login/TfmLogin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <functional>

namespace NS = NodeShiftSettings;

namespace {

const QString NoticeCaption = QStringLiteral("重要提示");
const QString NoticeFixedPart = QStringLiteral("尊敬的客户：\r\n　　感谢您使用我们的产品！\r\n\r\n　　如果使"
                                               "用搬移工具不当会造成您的数据出现损害的情况，所以请您在"
                                               "使用前先阅读以下注意事项：\r\n　　　1、使用前，请确定所有的客"
                                               "户端已经退出Ledgerine；\r\n　　　2、使用前，搬移工具会"
                                               "自动备份数据，如果备份没有成功，则不能继续使用；\r\n　　　3、"
                                               "如果有门店，在使用工具前，请先处理完门店的业务单据；\r\n"
                                               "　　　4、使用后，请注意检查一下被搬移的基本信息是否正常显示；"
                                               "\r\n　　　5、如果有门店，使用后请重新把基本信息传给门店。");

// Runs an action when a box with the given caption comes up, then answers it as the script does.
class HookedMessages : public ScriptedMessages {
public:
    HookedMessages(QString caption, std::function<void()> action)
        : FCaption(std::move(caption))
        , FAction(std::move(action))
    {
    }
    bool present(const MessageRequest& request) override
    {
        if (request.caption == FCaption && FAction)
            std::exchange(FAction, nullptr)();
        return ScriptedMessages::present(request);
    }

private:
    QString FCaption;
    std::function<void()> FAction;
};

// LogOn's dialog is modal: the script runs on it from the event loop that exec() starts. A script
// that leaves the dialog open gets it cancelled, so that a faulty test fails instead of hanging.
bool RunLogOn(const std::function<void(TfmLogin&)>& script, bool* scriptRan)
{
    *scriptRan = false;
    QTimer::singleShot(0, qApp, [script, scriptRan] {
        auto* dialog = qobject_cast<TfmLogin*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *scriptRan = true;
        script(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return LogOn();
}

QStringList Files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestLogOn : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void cancelAfterConnect_data();
    void cancelAfterConnect();
    void backupSwitchedOff();
    void backupRuns();
    void failedBackupEndsLogOn();

private:
    // Connects, chooses the second account set and the test's backup folder.
    std::function<void(TfmLogin&)> Choose() const;

    LoginFixture F;
    QTemporaryDir FFolder { QStringLiteral("/dev/shm/nodeshift-logon-XXXXXX") };
};

void TestLogOn::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir::tempPath() + QStringLiteral("/nodeshift-logon-xdg")));
    qputenv(
        "XDG_CONFIG_DIRS", QFile::encodeName(QDir::tempPath() + QStringLiteral("/nodeshift-logon-xdg-sys")));
    QString error;
    QVERIFY2(F.start({}, &error), qPrintable(error));
    if (!FFolder.isValid() || IsOnSystemDrive(FFolder.path()))
        QSKIP("no writable folder outside the system drive");
}

void TestLogOn::init()
{
    F.reset();
    QVERIFY(F.setAccountSets(3));
    for (const QString& file : Files(FFolder.path()))
        QFile::remove(FFolder.filePath(file));
}

void TestLogOn::cleanup()
{
    F.clear();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

std::function<void(TfmLogin&)> TestLogOn::Choose() const
{
    const QString folder = FFolder.path();
    return [folder](TfmLogin& d) {
        d.edServerName->setText(QStringLiteral("127.0.0.1"));
        d.btnConn->click();
        d.gProfile->SetRow(2);
        d.edBackupDir->setText(folder);
        d.btnSelect->click();
    };
}

void TestLogOn::cancelAfterConnect_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("放弃") << "button";
    QTest::newRow("Esc key") << "escape";
    QTest::newRow("close box") << "close";
}

void TestLogOn::cancelAfterConnect()
{
    QFETCH(QString, how);
    bool ran = false;
    bool listed = false;
    const bool result = RunLogOn(
        [&](TfmLogin& d) {
            d.btnConn->click();
            listed = d.gProfile->Cells(2, 1) == u"ZT001";
            if (how == u"button")
                d.btnCancel->click();
            else if (how == u"escape")
                QTest::keyClick(d.gProfile, Qt::Key_Escape);
            else
                d.close();
        },
        &ran);
    QVERIFY(ran);
    QVERIFY(listed);
    QVERIFY(!result);
    QVERIFY(F.dm().cnNet->Connected());
    QCOMPARE(F.messages().shown.size(), 0);
}

void TestLogOn::backupSwitchedOff()
{
    F.settings().WriteString(NS::Section, NS::BackupDB, QStringLiteral("0"));
    const QStringList serverBackups = Files(F.server().dataDir() + QStringLiteral("/backup"));
    bool ran = false;

    QVERIFY(RunLogOn(Choose(), &ran));

    QVERIFY(ran);
    QCOMPARE(F.messages().shown.size(), 1);
    const MessageRequest& notice = F.messages().shown.first();
    QCOMPARE(notice.caption, NoticeCaption);
    QCOMPARE(notice.icon, MessageIcon::Warning);
    QCOMPARE(notice.buttons, MessageButtons::Ok);
    QVERIFY(notice.text.startsWith(NoticeFixedPart));
    const QString closing = notice.text.mid(NoticeFixedPart.size());
    QVERIFY2(closing.startsWith(QStringLiteral("\r\n\r\n\u3000\u3000"))
            && closing.contains(QStringLiteral("客户服务部")),
        qPrintable(closing));
    QCOMPARE(Files(FFolder.path()), QStringList());
    QCOMPARE(Files(F.server().dataDir() + QStringLiteral("/backup")), serverBackups);
    QCOMPARE(F.dm().FDBName, QStringLiteral("ZT002"));
}

void TestLogOn::backupRuns()
{
    bool ran = false;

    QVERIFY(RunLogOn(Choose(), &ran));

    QVERIFY(ran);
    QCOMPARE(F.messages().shown.size(), 1);
    QCOMPARE(F.messages().shown.first().caption, NoticeCaption);
    const QStringList files = Files(FFolder.path());
    QCOMPARE(files.size(), 1);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^ZT002-\\d{8}-\\d{6}\\.ZIP$")).match(files.first()).hasMatch(),
        qPrintable(files.first()));
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), { QStringLiteral("-tq"), FFolder.filePath(files.first()) });
    QVERIFY(unzip.waitForFinished(60000));
    QCOMPARE(unzip.exitCode(), 0);
}

// The server goes away while the notice is up: the backup reports it and the program must end.
void TestLogOn::failedBackupEndsLogOn()
{
    HookedMessages messages(NoticeCaption, [this] { F.server().kill(); });
    bool ran = false;

    const bool result = RunLogOn(Choose(), &ran);
    const auto restart = qScopeGuard([this] {
        QVERIFY(F.server().restart());
        F.setServerPort(F.server().port());
    });

    QVERIFY(ran);
    QVERIFY(!result);
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(messages.shown[1].caption, ApplicationTitle());
    QCOMPARE(messages.shown[1].icon, MessageIcon::Error);
    QVERIFY2(messages.shown[1].text.startsWith(QStringLiteral("备份到“ZT002-")),
        qPrintable(messages.shown[1].text));
    QCOMPARE(Files(FFolder.path()), QStringList());
}

QTEST_MAIN(TestLogOn)
#include "TestLogOn.moc"
