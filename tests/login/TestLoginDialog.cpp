#include "common/Helpers.h"
#include "controls/TSupGrids.h"
#include "tests/login/LoginFixture.h"
#include "ui/login/SystemDrive.h"
#include "ui/login/TfmLogin.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace NS = NodeShiftSettings;

namespace {

const QString EmptyFolderText = QStringLiteral("【数据备份目录】为空，请输入！");
const QString MissingFolderText = QStringLiteral("【数据备份目录】找不到,请确认路径输入正确!");
const QString SystemDriveText = QStringLiteral("【数据备份目录】为系统盘。建议备份到非系统盘!\r\n\r\n"
                                               " 选 【是】修改备份路径，备份到非系统盘！\r\n"
                                               " 选 【否】不修改备份路径，继续备份到系统盘！");

// The grid's data rows as "number|account set|database".
QStringList GridRows(const TSupGrids& grid)
{
    QStringList rows;
    for (int row = 1; row < grid.RowCount(); ++row)
        rows.append(grid.Cells(0, row) + u'|' + grid.Cells(1, row) + u'|' + grid.Cells(2, row));
    return rows;
}

QStringList ListedRows(int accountSets, int rowCount)
{
    QStringList rows;
    for (int n = 1; n < rowCount; ++n) {
        rows.append(n > accountSets
                ? QStringLiteral("||")
                : QStringLiteral("%1|%2|%3").arg(n).arg(LoginFixture::fullName(n), LoginFixture::dbName(n)));
    }
    return rows;
}

QString FocusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

bool IsAqua(const QLineEdit* edit)
{
    return edit->palette().color(QPalette::Base) == QColor(0, 255, 255);
}

} // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsCollapsedWithTheStoredValues_data();
    void startsCollapsedWithTheStoredValues();
    void tabOrderAndEditColours();
    void enterInServerNameMovesToCancelThenCancels();
    void isIPAddress_data();
    void isIPAddress();

    void connectListsAccountSets_data();
    void connectListsAccountSets();
    void secondConnectReusesTheConnection();
    void blankServerNameDoesNothing();
    void unreachableServer();
    void refusedLogOnIsNotBypassedBySecondConnect();
    void unreadableListIsShown();

    void chooseAccountSet_data();
    void chooseAccountSet();
    void backupFolderRefusals_data();
    void backupFolderRefusals();
    void systemDriveAnsweredNoAcceptsTheFolder();
    void nothingToChoose();
    void failedDatabaseCheck();

private:
    // A shown, active dialog on this test's fixture.
    TfmLogin& ShowDialog();
    void Connect(const QString& serverName = QStringLiteral("127.0.0.1"));
    // A folder outside the system drive; empty when this machine has none to offer.
    QString NonSystemFolder();

    LoginFixture F;
    std::unique_ptr<TfmLogin> FDialog;
    std::unique_ptr<QTemporaryDir> FFolder;
};

void TestLoginDialog::initTestCase()
{
    // Nothing may reach the real user's settings, even by mistake.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(F.workDir() + QStringLiteral("/xdg")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(F.workDir() + QStringLiteral("/xdg-system")));
    QString error;
    QVERIFY2(F.start({}, &error), qPrintable(error));
}

void TestLoginDialog::init()
{
    F.reset();
    QString error;
    QVERIFY2(F.setAccountSets(3, {}, &error), qPrintable(error));
}

void TestLoginDialog::cleanup()
{
    FDialog.reset();
    FFolder.reset();
    F.clear();
    F.setServerPort(F.server().port());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

TfmLogin& TestLoginDialog::ShowDialog()
{
    FDialog = std::make_unique<TfmLogin>();
    FDialog->show();
    if (!QTest::qWaitForWindowActive(FDialog.get()))
        qWarning("the log-on dialog did not become active");
    return *FDialog;
}

void TestLoginDialog::Connect(const QString& serverName)
{
    FDialog->edServerName->setText(serverName);
    FDialog->btnConn->click();
}

QString TestLoginDialog::NonSystemFolder()
{
    FFolder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/nodeshift-login-XXXXXX"));
    if (!FFolder->isValid() || IsOnSystemDrive(FFolder->path()))
        return QString();
    return FFolder->path();
}

void TestLoginDialog::startsCollapsedWithTheStoredValues_data()
{
    QTest::addColumn<QString>("storedServer");
    QTest::addColumn<QString>("storedFolder");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("folder");
    QTest::newRow("nothing stored: the defaults") << QString() << QString() << "127.0.0.1"
                                                  << "d:\\";
    QTest::newRow("stored choices") << "srv01"
                                    << "/srv/备份"
                                    << "srv01"
                                    << "/srv/备份";
}

void TestLoginDialog::startsCollapsedWithTheStoredValues()
{
    QFETCH(QString, storedServer);
    QFETCH(QString, storedFolder);
    if (!storedServer.isEmpty()) {
        F.settings().WriteString(NS::Section, NS::ServerName, storedServer);
        F.settings().WriteString(NS::Section, NS::BackupDir, storedFolder);
    }
    TfmLogin& d = ShowDialog();

    QTEST(d.edServerName->text(), "server");
    QTEST(d.edBackupDir->text(), "folder");
    QCOMPARE(d.windowTitle(), QStringLiteral("登录数据库服务器"));
    QCOMPARE(d.size(), QSize(384, 92));
    QCOMPARE(d.FullHeight(), 318);
    QCOMPARE(d.lbHint->text(),
        QStringLiteral("（注意！基本信息搬移前请退出所有Ledgerine应用软件，搬移后再进入）"));
    QCOMPARE(GridRows(*d.gProfile).size(), 9);
    QCOMPARE(d.gProfile->Cells(1, 0), QStringLiteral("账套名称"));
    QVERIFY(!d.gProfile->SortEnabled);
    QCOMPARE(FocusName(), QStringLiteral("edServerName"));
    QVERIFY(IsAqua(d.edServerName));
    // Chinese text needs a font that has it.
    const QString family = QFontInfo(d.font()).family();
    QVERIFY2(
        QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese), qPrintable(family));
}

void TestLoginDialog::tabOrderAndEditColours()
{
    TfmLogin& d = ShowDialog();
    const QStringList expected { QStringLiteral("btnCancel"), QStringLiteral("btnConn"),
        QStringLiteral("btnSelect"), QStringLiteral("gProfile"), QStringLiteral("edBackupDir"),
        QStringLiteral("edServerName") };
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(FocusName());
        if (visited.last() == u"btnCancel")
            QVERIFY(!IsAqua(d.edServerName));
        if (visited.last() == u"edBackupDir")
            QVERIFY(IsAqua(d.edBackupDir));
    }
    QCOMPARE(visited, expected);
    QVERIFY(!IsAqua(d.edBackupDir));
    QVERIFY(IsAqua(d.edServerName));
}

void TestLoginDialog::enterInServerNameMovesToCancelThenCancels()
{
    TfmLogin& d = ShowDialog();
    QTest::keyClick(d.edServerName, Qt::Key_Return);
    QCOMPARE(FocusName(), QStringLiteral("btnCancel"));
    QCOMPARE(d.edServerName->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(d.isVisible());
    QTest::keyClick(d.btnCancel, Qt::Key_Return);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(!F.dm().cnNet->Connected());
}

void TestLoginDialog::isIPAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("address");
    QTest::newRow("four dotted numbers") << "192.168.0.10" << true;
    QTest::newRow("loopback") << "127.0.0.1" << true;
    QTest::newRow("numbers out of range still count") << "999.1.1.1" << true;
    QTest::newRow("three full stops alone") << "..." << true;
    QTest::newRow("host name") << "srv01" << false;
    QTest::newRow("two full stops") << "192.168.0" << false;
    QTest::newRow("four full stops") << "1.2.3.4." << false;
    QTest::newRow("a letter") << "192.168.0.1a" << false;
    QTest::newRow("a blank") << "192.168.0. 1" << false;
    QTest::newRow("full-width digits") << "１９２.１６８.０.１" << false;
    QTest::newRow("instance name") << "10.0.0.1\\SQL" << false;
    QTest::newRow("empty") << "" << false;
}

void TestLoginDialog::isIPAddress()
{
    QFETCH(QString, text);
    QTEST(TfmLogin::IsIPAddress(text), "address");
}

void TestLoginDialog::connectListsAccountSets_data()
{
    QTest::addColumn<int>("accountSets");
    QTest::addColumn<QString>("storedDb");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("currentRow"); // 0: where it was before
    QTest::newRow("three account sets, three blank rows") << 3 << "" << 7 << 0;
    QTest::newRow("six fill the seven rows") << 6 << "" << 7 << 0;
    QTest::newRow("nine give ten rows") << 9 << "" << 10 << 0;
    QTest::newRow("none: six blank rows") << 0 << "" << 7 << 0;
    QTest::newRow("stored name chosen ignoring case") << 3 << "zt002" << 7 << 2;
    QTest::newRow("stored name in the last row") << 9 << "Zt009" << 10 << 9;
    QTest::newRow("stored name not listed") << 3 << "ZT404" << 7 << 0;
}

void TestLoginDialog::connectListsAccountSets()
{
    QFETCH(int, accountSets);
    QFETCH(QString, storedDb);
    QFETCH(int, rowCount);
    QFETCH(int, currentRow);
    QVERIFY(F.setAccountSets(accountSets));
    if (!storedDb.isEmpty())
        F.settings().WriteString(NS::Section, NS::DatabaseName, storedDb);
    TfmLogin& d = ShowDialog();
    const int rowBefore = d.gProfile->Row();

    Connect(QStringLiteral(" 127.0.0.1 "));

    QCOMPARE(F.messages().shown.size(), 0);
    QCOMPARE(d.gProfile->RowCount(), rowCount);
    QCOMPARE(GridRows(*d.gProfile), ListedRows(accountSets, rowCount));
    QCOMPARE(d.gProfile->Row(), currentRow ? currentRow : rowBefore);
    QCOMPARE(d.height(), 318);
    QCOMPARE(FocusName(), QStringLiteral("gProfile"));
    QVERIFY(d.btnConn->isEnabled());
    QCOMPARE(d.edServerName->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(F.setting(NS::ServerName), QStringLiteral("127.0.0.1"));
    QCOMPARE(F.dm().FServerName, QStringLiteral("127.0.0.1"));
    QCOMPARE(F.dm().cnNet->Address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(F.dm().cnNet->Host(), QString());
}

void TestLoginDialog::secondConnectReusesTheConnection()
{
    TfmLogin& d = ShowDialog();
    Connect();
    QCOMPARE(d.gProfile->RowCount(), 7);
    QVERIFY(F.setAccountSets(9));

    Connect(QStringLiteral("localhost"));

    QCOMPARE(GridRows(*d.gProfile), ListedRows(9, 10));
    QCOMPARE(F.setting(NS::ServerName), QStringLiteral("localhost"));
    QCOMPARE(F.dm().FServerName, QStringLiteral("127.0.0.1"));
    QCOMPARE(F.dm().cnNet->Address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(F.dm().cnNet->Host(), QString());
    QCOMPARE(F.messages().shown.size(), 0);
}

void TestLoginDialog::blankServerNameDoesNothing()
{
    TfmLogin& d = ShowDialog();
    d.btnConn->setFocus();
    Connect(QStringLiteral("  \t "));
    QCOMPARE(d.edServerName->text(), QString());
    QCOMPARE(FocusName(), QStringLiteral("edServerName"));
    QCOMPARE(d.height(), 92);
    QVERIFY(!F.dm().cnNet->Connected());
    QCOMPARE(F.setting(NS::ServerName), QStringLiteral("<missing>"));
    QCOMPARE(F.messages().shown.size(), 0);
}

void TestLoginDialog::unreachableServer()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 deadPort = probe.serverPort();
    probe.close();
    F.setServerPort(deadPort);
    TfmLogin& d = ShowDialog();

    Connect();

    QCOMPARE(F.messages().shown.size(), 1);
    const MessageRequest& shown = F.messages().shown.first();
    QCOMPARE(shown.caption, ApplicationTitle());
    QCOMPARE(shown.icon, MessageIcon::Error);
    QVERIFY2(shown.text.startsWith(QStringLiteral("未能连接到后台服务器，请检查网络或后台服务器设置！")),
        qPrintable(shown.text));
    QCOMPARE(d.height(), 92);
    QVERIFY(d.btnConn->isEnabled());
    QVERIFY(!F.dm().cnNet->Connected());
    QCOMPARE(F.dm().FServerName, QString());
    QCOMPARE(F.setting(NS::ServerName), QStringLiteral("<missing>"));
}

// The server turns this workstation away at ConnectDb: a second "连接" on the still open
// connection must not pass as logged on.
void TestLoginDialog::refusedLogOnIsNotBypassedBySecondConnect()
{
    BksvrProcess refusing;
    QString error;
    QVERIFY2(
        refusing.start({ QStringLiteral("--allow"), QStringLiteral("10.0.0.1") }, &error), qPrintable(error));
    F.setServerPort(refusing.port());
    TfmLogin& d = ShowDialog();

    for (int attempt = 1; attempt <= 2; ++attempt) {
        Connect();
        QCOMPARE(F.messages().shown.size(), 0);
        QCOMPARE(d.height(), 92);
        QVERIFY(d.btnConn->isEnabled());
        QVERIFY(F.dm().cnNet->Connected());
        QCOMPARE(F.setting(NS::ServerName), QStringLiteral("<missing>"));
        QCOMPARE(GridRows(*d.gProfile), ListedRows(0, 10));
    }
}

void TestLoginDialog::unreadableListIsShown()
{
    const QString catalogue = F.server().dataDir() + QStringLiteral("/master.db");
    const QString away = catalogue + QStringLiteral(".away");
    QVERIFY(QFile::rename(catalogue, away));
    const auto restore = qScopeGuard([&] { QFile::rename(away, catalogue); });
    TfmLogin& d = ShowDialog();

    Connect();

    QCOMPARE(F.messages().shown.size(), 1);
    QCOMPARE(F.messages().shown.first().caption, ApplicationTitle());
    QCOMPARE(F.messages().shown.first().icon, MessageIcon::Error);
    QVERIFY(!F.messages().shown.first().text.isEmpty());
    QCOMPARE(d.height(), 92);
    QVERIFY(d.btnConn->isEnabled());
    QVERIFY(F.dm().cnNet->Connected());
    QCOMPARE(F.setting(NS::ServerName), QStringLiteral("127.0.0.1"));
}

void TestLoginDialog::chooseAccountSet_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("选择账套 button") << "button";
    QTest::newRow("double click in the list") << "double click";
    QTest::newRow("Enter in the list") << "enter";
}

void TestLoginDialog::chooseAccountSet()
{
    QFETCH(QString, how);
    const QString folder = NonSystemFolder();
    if (folder.isEmpty())
        QSKIP("no writable folder outside the system drive");
    TfmLogin& d = ShowDialog();
    Connect();
    d.gProfile->SetRow(2);
    d.edBackupDir->setText(u' ' + folder + QStringLiteral(" \t"));

    if (how == u"button")
        d.btnSelect->click();
    else if (how == u"double click")
        emit d.gProfile->OnDblClick();
    else
        QTest::keyClick(d.gProfile, Qt::Key_Return);

    QCOMPARE(F.messages().shown.size(), 0);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.edBackupDir->text(), folder);
    QCOMPARE(F.setting(NS::DatabaseName), QStringLiteral("ZT002"));
    QCOMPARE(F.setting(NS::BackupDir), folder);
    QCOMPARE(F.dm().FDBName, QStringLiteral("ZT002"));
}

void TestLoginDialog::backupFolderRefusals_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    QTest::newRow("empty") << " \t "
                           << "错误" << int(MessageIcon::Error) << EmptyFolderText << "";
    QTest::newRow("missing") << "/nonexistent/备份"
                             << "错误" << int(MessageIcon::Error) << MissingFolderText << "";
    QTest::newRow("system drive, answered Yes")
        << "/"
        << "警告" << int(MessageIcon::Question) << SystemDriveText << "edBackupDir";
}

void TestLoginDialog::backupFolderRefusals()
{
    QFETCH(QString, folder);
    QFETCH(int, icon);
    QFETCH(QString, focus);
    TfmLogin& d = ShowDialog();
    Connect();
    d.gProfile->SetRow(3);
    d.edBackupDir->setText(folder);
    d.gProfile->setFocus();

    d.btnSelect->click();

    QCOMPARE(F.messages().shown.size(), 1);
    const MessageRequest& shown = F.messages().shown.first();
    QTEST(shown.caption, "caption");
    QCOMPARE(int(shown.icon), icon);
    QCOMPARE(shown.buttons, icon == int(MessageIcon::Question) ? MessageButtons::YesNo : MessageButtons::Ok);
    QTEST(shown.text, "text");
    QVERIFY(d.isVisible());
    QCOMPARE(d.edBackupDir->text(), Trim(folder));
    if (!focus.isEmpty())
        QCOMPARE(FocusName(), focus);
    // The account set was checked and stored before the folder was looked at.
    QCOMPARE(F.dm().FDBName, QStringLiteral("ZT003"));
    QCOMPARE(F.setting(NS::DatabaseName), QStringLiteral("ZT003"));
    QCOMPARE(F.setting(NS::BackupDir), QStringLiteral("<missing>"));
}

void TestLoginDialog::systemDriveAnsweredNoAcceptsTheFolder()
{
    F.reset({ false });
    QVERIFY(IsOnSystemDrive(QStringLiteral("/")));
    TfmLogin& d = ShowDialog();
    Connect();
    d.gProfile->SetRow(1);
    d.edBackupDir->setText(QStringLiteral("/"));

    d.btnSelect->click();

    QCOMPARE(F.messages().shown.size(), 1);
    QCOMPARE(F.messages().shown.first().text, SystemDriveText);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(F.setting(NS::BackupDir), QStringLiteral("/"));
}

void TestLoginDialog::nothingToChoose()
{
    QVERIFY(F.setAccountSets(0));
    TfmLogin& d = ShowDialog();
    Connect();
    d.gProfile->SetRow(4);
    d.btnSelect->setFocus();

    d.btnSelect->click();

    QCOMPARE(F.messages().shown.size(), 0);
    QCOMPARE(FocusName(), QStringLiteral("gProfile"));
    QVERIFY(d.isVisible());
    QCOMPARE(F.setting(NS::DatabaseName), QStringLiteral("<missing>"));
}

void TestLoginDialog::failedDatabaseCheck()
{
    QVERIFY(F.setAccountSets(3, { QStringLiteral("ZT404") }));
    F.settings().WriteString(NS::Section, NS::DatabaseName, QStringLiteral("ZT001"));
    TfmLogin& d = ShowDialog();
    Connect();
    QCOMPARE(d.gProfile->Cells(2, 4), QStringLiteral("ZT404"));
    d.gProfile->SetRow(4);
    d.btnSelect->setFocus();

    d.btnSelect->click();

    QCOMPARE(F.messages().shown.size(), 1);
    QCOMPARE(F.messages().shown.first().caption, ApplicationTitle());
    QCOMPARE(F.messages().shown.first().icon, MessageIcon::Error);
    QCOMPARE(F.messages().shown.first().text, QStringLiteral("账套数据库“ZT404”不存在"));
    QCOMPARE(FocusName(), QStringLiteral("gProfile"));
    QVERIFY(d.isVisible());
    QCOMPARE(F.dm().FDBName, QString());
    QCOMPARE(F.setting(NS::DatabaseName), QStringLiteral("ZT001"));
}

QTEST_MAIN(TestLoginDialog)
#include "TestLoginDialog.moc"
