#include "common/AniCursorPlayer.h"

#include "common/Helpers.h"

#include <QGuiApplication>
#include <QPixmap>

AniCursorPlayer::AniCursorPlayer(const AniCursor& cursor, QObject* parent)
    : QObject(parent)
    , FSteps(cursor.Steps())
{
    for (const AniCursor::Frame& frame : cursor.Frames())
        FCursors.append(QCursor(QPixmap::fromImage(frame.image), frame.hotSpot.x(), frame.hotSpot.y()));
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &AniCursorPlayer::Advance);
}

void AniCursorPlayer::Start()
{
    ShowStep(0);
}

void AniCursorPlayer::Stop()
{
    FTimer.stop();
}

QCursor AniCursorPlayer::CurrentCursor() const
{
    return FCursors.at(FSteps.at(FStep).frame);
}

void AniCursorPlayer::ShowStep(int step)
{
    FStep = step;
    SetScreenCursor(CurrentCursor());
    FTimer.start(FSteps.at(FStep).jiffies * 1000 / 60);
}

void AniCursorPlayer::Advance()
{
    // Whoever replaced or removed our cursor meanwhile has the last word.
    const QCursor* shown = QGuiApplication::overrideCursor();
    if (!shown || !(*shown == CurrentCursor()))
        return;
    ShowStep((FStep + 1) % FSteps.size());
}
