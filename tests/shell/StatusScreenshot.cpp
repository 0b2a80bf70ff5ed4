// Shows the status popup as the backup does and saves a picture of the whole screen:
//   xvfb-run -a -s "-screen 0 1280x800x24" status_screenshot /work/shots/status.png
#include "common/TfmStatus.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: status_screenshot OUTPUT.png");
        return 2;
    }
    // A plain desktop-coloured backdrop, so that the popup's own black shows against something.
    QWidget backdrop;
    backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop.show();
    TfmStatus::ShowStatus(QStringLiteral("正在备份数据 ..."));
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    TfmStatus::HideStatus();
    return screen.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
