#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <optional>

// An animated cursor read from a Windows RIFF "ACON" file. Qt has no animated cursors: this holds
// the frames with their hotspots and the sequence in which to show them.
class AniCursor {
public:
    struct Frame {
        QImage image;
        QPoint hotSpot;
    };
    struct Step {
        int frame = 0;
        int jiffies = 0; // 1/60 s
    };

    // Nothing on anything that is no well-formed animated cursor; *error then says why.
    static std::optional<AniCursor> Parse(const QByteArray& data, QString* error = nullptr);

    const QList<Frame>& Frames() const { return FFrames; }
    const QList<Step>& Steps() const { return FSteps; }

private:
    bool Read(const QByteArray& data, QString* error);

    QList<Frame> FFrames;
    QList<Step> FSteps;
};
