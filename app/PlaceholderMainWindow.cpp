#include "app/PlaceholderMainWindow.h"

#include "common/EventGuard.h"
#include "common/Helpers.h"
#include "config/TSysConfig.h"

#include <QLabel>

PlaceholderMainWindow::PlaceholderMainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    // A failed creation handler still leaves a window to show.
    Guarded([] { SetApplicationTitle(SysConfig()->GetApplicationTitle()); });
    setWindowTitle(ApplicationTitle());
    setCentralWidget(new QLabel(ApplicationTitle(), this));
    resize(800, 600);
}
