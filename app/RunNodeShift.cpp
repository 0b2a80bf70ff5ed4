#include "app/RunNodeShift.h"

#include "app/SingleInstanceGuard.h"
#include "common/EventGuard.h"
#include "common/Exception.h"
#include "common/Helpers.h"
#include "config/TSysConfig.h"

#include <QApplication>
#include <QWidget>

namespace {

// The second copy could not read its title: there is no window yet, so the error gets a box
// of its own, and the copy ends with a failure code.
int ShowStartupFailure(int argc, char* argv[], const QString& message)
{
    QApplication app(argc, argv);
    ShowError(message);
    return 1;
}

} // namespace

void ActivateMainWindow(QWidget* window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

int RunNodeShift(int argc, char* argv[], const AppParts& parts)
{
    // Date and time formats are fixed constants of the helpers (VariantText.h): nothing to set.
    SingleInstanceGuard guard;
    try {
        if (guard.IsAlreadyRunning([] { return SysConfig()->GetApplicationTitle(); }))
            return 0;
    } catch (const Exception& e) {
        return ShowStartupFailure(argc, argv, e.message());
    }

    QApplication app(argc, argv);
    guard.Listen();

    std::unique_ptr<QObject> dataModule;
    try {
        dataModule = parts.createDataModule();
    } catch (const Exception& e) {
        ShowError(e.message());
        guard.ReleaseInstanceMutex();
        return 0;
    }
    std::unique_ptr<QWidget> mainWindow = parts.createMainWindow();
    QObject::connect(
        &guard, &SingleInstanceGuard::activationRequested, mainWindow.get(), [&](const QString& title) {
            Guarded([&] {
                if (title == ApplicationTitle())
                    ActivateMainWindow(mainWindow.get());
            });
        });
    mainWindow->show();
    const int exitCode = app.exec();

    mainWindow.reset();
    dataModule.reset();
    guard.ReleaseInstanceMutex();
    return exitCode;
}
