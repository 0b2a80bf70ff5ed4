#include "common/TfmStatus.h"

#include "common/AniCursor.h"
#include "common/AniCursorPlayer.h"
#include "common/CjkFont.h"
#include "common/Exception.h"
#include "common/Helpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

QPointer<TfmStatus> fmStatus;
// Once loaded, the busy cursor serves the rest of the run.
QPointer<AniCursorPlayer> BusyCursor;

const QString BusyCursorFile = QStringLiteral("ktBusy.ani");
// Our cursor is under 5 KB; a larger file is no cursor of ours and is not read whole.
constexpr qint64 MaxCursorFileBytes = 1 << 20;

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE requires. The resource lives in a static library, where
// nothing would register it by itself.
static void InitResources()
{
    Q_INIT_RESOURCE(MyCursor);
}

TfmStatus::TfmStatus()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , lbStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("fmStatus"));
    setWindowTitle(QStringLiteral("fmStatus"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(200 / 255.0);
    setFixedSize(421, 33);
    setFont(CjkFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(palette);

    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setGeometry(8, 10, 400, 12);
    lbStatus->setAlignment(Qt::AlignCenter);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfmStatus::ShowStatus(const QString& text)
{
    if (fmStatus)
        return;
    try {
        if (!BusyCursor)
            BusyCursor = new AniCursorPlayer(LoadBusyCursor(GetExeFolder() + QStringLiteral("data/")), qApp);
    } catch (...) {
        // Any trouble with the cursor file: the hourglass does the job.
    }
    if (BusyCursor)
        BusyCursor->Start();
    else
        WaitCursorOn();

    fmStatus = new TfmStatus;
    fmStatus->lbStatus->setText(text);
    fmStatus->show();
    QCoreApplication::processEvents();
    // A window system may map the window only after a round trip: give it a moment, then paint,
    // so that the popup shows before the caller's long work blocks the thread.
    QElapsedTimer waited;
    waited.start();
    while (fmStatus && fmStatus->windowHandle() && !fmStatus->windowHandle()->isExposed()
        && waited.elapsed() < 500) {
        QThread::msleep(5);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (fmStatus)
        fmStatus->repaint();
}

void TfmStatus::HideStatus()
{
    delete fmStatus;
    if (BusyCursor)
        BusyCursor->Stop();
    WaitCursorOff();
}

TfmStatus* TfmStatus::Current()
{
    return fmStatus;
}

AniCursor TfmStatus::LoadBusyCursor(const QString& folder)
{
    const QString fileName = folder + BusyCursorFile;
    if (!QFileInfo::exists(fileName)) {
        ForceFolder(folder);
        InitResources();
        QFile resource(QStringLiteral(":/MyCursor"));
        if (!resource.open(QIODevice::ReadOnly))
            throw Exception(QStringLiteral("The resource MyCursor is missing"));
        // Written under a temporary name and renamed: a file cut short would never be rewritten.
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(resource.readAll()) != resource.size()
            || !file.commit())
            throw Exception(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()));
    if (file.size() > MaxCursorFileBytes)
        throw Exception(QStringLiteral("%1 is no animated cursor").arg(fileName));
    QString error;
    std::optional<AniCursor> cursor = AniCursor::Parse(file.readAll(), &error);
    if (!cursor)
        throw Exception(QStringLiteral("%1 is no animated cursor: %2").arg(fileName, error));
    return *std::move(cursor);
}

QString TfmStatus::StatusText() const
{
    return lbStatus->text();
}

void TfmStatus::paintEvent(QPaintEvent*)
{
    // Shape1: black fill, one-pixel green outline.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QColor(0, 128, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
