// Pictures of the main window for a reviewer; not a test. Run under xvfb-run with NS_BKSVR set:
//   main_screenshots <folder>   saves main-category.png, main-confirm.png and main-moved.png there.
#include "controls/TSupGrids.h"
#include "tests/main/DemoGoods.h"
#include "tests/main/MainFixture.h"
#include "ui/main/TBaseInfoTree.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace DemoGoods;

namespace {

bool SaveScreen(const QString& file)
{
    return QGuiApplication::primaryScreen()->grabWindow(0).save(file);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: main_screenshots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    MainFixture f;
    QString error;
    if (!f.Start({}, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TfmMain& w = f.Window();
    // Without a window manager nobody maximizes the window: give it the screen.
    w.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    f.ChooseCategory(0);
    f.ShowPath(OpenEnd);
    f.ClickRow(2, true);
    f.ClickRow(3, true);
    f.ClickRow(5, true);
    f.ClickRow(1);
    f.ShowPath(HandTools);
    f.ClickRow(2, true);
    f.ClickRow(1);
    QTest::qWait(300);
    bool saved = SaveScreen(folder + QStringLiteral("main-category.png"));

    // The confirmation, in a real message box, answered Yes once it has been pictured.
    f.ShowPath(OpenEnd);
    f.ClickRow(2, true);
    f.ClickRow(4, true);
    f.ClickRow(1);
    f.PressShortcut(w.gBaseInfo, Qt::Key_C);
    f.ShowPath(Screwdrivers);
    SetMessagePresenter(nullptr);
    QTimer::singleShot(500, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        saved = box && SaveScreen(folder + QStringLiteral("main-confirm.png")) && saved;
        if (box)
            box->button(QMessageBox::Yes)->click();
    });
    f.PressShortcut(w.tvBaseInfo, Qt::Key_S);
    SetMessagePresenter(&f.Messages());
    QTest::qWait(300);
    saved = SaveScreen(folder + QStringLiteral("main-moved.png")) && saved;
    std::printf("status bar: \"%s\" \"%s\" \"%s\"\n", qPrintable(w.StatusText(0)),
        qPrintable(w.StatusText(1)), qPrintable(w.StatusText(2)));
    return saved && f.Messages().shown.isEmpty() ? 0 : 1;
}
