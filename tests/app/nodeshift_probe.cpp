// nodeshift_probe [--config FILE] [--quit]
// Prints "shown <title>", "minimized", "restored" and "box <icon>|<caption>|<text>" lines.
#include "app/RunNodeShift.h"
#include "common/EventGuard.h"
#include "common/Helpers.h"
#include "common/MessagePresenter.h"
#include "config/TSysConfig.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <cstdio>

namespace {

void print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

class PrintedMessages : public MessagePresenter {
public:
    bool present(const MessageRequest& request) override
    {
        static const char* icons[] = { "Information", "Warning", "Error", "Question" };
        QString text = request.text;
        text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
        print(QStringLiteral("box %1|%2|%3")
                  .arg(QString::fromLatin1(icons[int(request.icon)]), request.caption, text));
        return true;
    }
};

// Minimizes itself once shown and again after every restore, so that each activation shows.
class ProbeWindow : public QWidget {
public:
    explicit ProbeWindow(bool quitWhenShown)
        : FQuit(quitWhenShown)
    {
        Guarded([] { SetApplicationTitle(SysConfig()->GetApplicationTitle()); });
        setWindowTitle(ApplicationTitle());
    }

protected:
    void showEvent(QShowEvent*) override
    {
        if (FShown)
            return;
        FShown = true;
        print(QStringLiteral("shown ") + windowTitle());
        QTimer::singleShot(0, this, [this] { FQuit ? QApplication::quit() : showMinimized(); });
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() != QEvent::WindowStateChange)
            return;
        const bool wasMinimized
            = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
        if (isMinimized() && !wasMinimized) {
            print(QStringLiteral("minimized"));
        } else if (!isMinimized() && wasMinimized) {
            print(QStringLiteral("restored"));
            // after the activation that follows the restore has been handled
            QTimer::singleShot(300, this, [this] { showMinimized(); });
        }
    }

private:
    bool FQuit;
    bool FShown = false;
};

} // namespace

int main(int argc, char* argv[])
{
    bool quit = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--config" && i + 1 < argc)
            SetSysConfigFileName(QString::fromLocal8Bit(argv[++i]));
        else if (arg == "--quit")
            quit = true;
    }
    PrintedMessages boxes;
    SetMessagePresenter(&boxes);
    AppParts parts = NodeShiftParts();
    parts.createMainWindow = [quit] { return std::make_unique<ProbeWindow>(quit); };
    return RunNodeShift(argc, argv, parts);
}
