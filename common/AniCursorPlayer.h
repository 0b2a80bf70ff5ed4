#pragma once

#include "common/AniCursor.h"

#include <QCursor>
#include <QList>
#include <QObject>
#include <QTimer>

// Shows an animated cursor as the application's override cursor, stepping through its frames
// with a timer. The frames replace the override cursor in place: the player never stacks one.
class AniCursorPlayer : public QObject {
    Q_OBJECT

public:
    explicit AniCursorPlayer(const AniCursor& cursor, QObject* parent = nullptr);

    // Makes the first step the application's cursor and starts stepping.
    void Start();
    // Stops stepping; the cursor shown stays until someone replaces it.
    void Stop();
    bool IsRunning() const { return FTimer.isActive(); }
    // The cursor of the step being shown.
    QCursor CurrentCursor() const;

private:
    void ShowStep(int step);
    void Advance();

    QList<QCursor> FCursors;
    QList<AniCursor::Step> FSteps;
    int FStep = 0;
    QTimer FTimer;
};
