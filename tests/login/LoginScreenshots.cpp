// Saves the log-on dialog collapsed and expanded with its account-set list:
//   login_screenshots <collapsed.png> <expanded.png>   (NS_BKSVR names the server program)
#include "tests/login/LoginFixture.h"
#include "ui/login/TfmLogin.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: login_screenshots <collapsed.png> <expanded.png>\n");
        return 2;
    }
    LoginFixture fixture;
    QString error;
    if (!fixture.start({}, &error) || !fixture.setAccountSets(3, {}, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    fixture.reset();
    fixture.settings().WriteString(
        NodeShiftSettings::Section, NodeShiftSettings::DatabaseName, QStringLiteral("ZT002"));
    fixture.settings().WriteString(
        NodeShiftSettings::Section, NodeShiftSettings::BackupDir, QStringLiteral("/srv/备份"));

    TfmLogin dialog;
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    QTest::qWait(200);
    bool saved = dialog.grab().save(QString::fromLocal8Bit(argv[1]));

    dialog.btnConn->click();
    QTest::qWait(200);
    saved = dialog.grab().save(QString::fromLocal8Bit(argv[2])) && saved;
    const bool quiet = fixture.messages().shown.isEmpty();
    fixture.clear();
    return saved && quiet ? 0 : 1;
}
