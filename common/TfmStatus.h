#pragma once

#include <QString>
#include <QWidget>

class AniCursor;
class QLabel;

// The status popup: one line of lime text on black, borderless and half transparent, centred on the
// screen, with the animated busy cursor while a long operation blocks the main thread.
class TfmStatus : public QWidget {
    Q_OBJECT

public:
    // Shows the popup with text and switches the busy cursor on; while a popup is shown it does
    // nothing. The popup has painted when this returns.
    static void ShowStatus(const QString& text);
    // Removes the popup, if any, and puts the default cursor back. Never fails.
    static void HideStatus();
    // The popup being shown, or nullptr.
    static TfmStatus* Current();

    // The busy cursor file "ktBusy.ani" in folder: written from the resource "MyCursor" when
    // missing (creating the folder), never rewritten, then read back. Throws Exception on any failure.
    static AniCursor LoadBusyCursor(const QString& folder);

    QString StatusText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TfmStatus();
    QLabel* lbStatus;
};
