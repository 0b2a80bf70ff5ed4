#include "common/AniCursor.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

// Far above any real cursor; keeps a hostile header from asking for huge allocations.
constexpr quint32 MaxFrames = 256;
constexpr quint32 MaxSteps = 4096;
constexpr quint32 IconFlag = 1;

quint32 U32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 U16(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

struct Chunk {
    QByteArray id;
    QByteArray data;
};

// The chunks in data[from, to); false when one runs past the end.
bool ReadChunks(const QByteArray& data, qsizetype from, qsizetype to, QList<Chunk>* chunks)
{
    qsizetype at = from;
    while (at < to) {
        if (to - at < 8)
            return false;
        const qint64 size = U32(data, at + 4);
        if (size > to - at - 8)
            return false;
        chunks->append({ data.mid(at, 4), data.mid(at + 8, size) });
        at += 8 + size + (size & 1); // the pad byte of the last chunk may be missing
    }
    return true;
}

std::optional<AniCursor::Frame> ReadIcon(const QByteArray& icon)
{
    constexpr qsizetype directoryBytes = 6 + 16;
    if (icon.size() < directoryBytes || U16(icon, 0) != 0 || U16(icon, 4) == 0)
        return std::nullopt;
    const quint16 type = U16(icon, 2);
    if (type != 1 && type != 2)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(icon);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, type == 2 ? "cur" : "ico");
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    // Qt's reader drops the hotspot: a cursor's first directory entry holds it where an icon's
    // holds planes and bit count. An icon used as a cursor points with its centre.
    QPoint hotSpot(image.width() / 2, image.height() / 2);
    if (type == 2)
        hotSpot = QPoint(
            qMin<int>(U16(icon, 10), image.width() - 1), qMin<int>(U16(icon, 12), image.height() - 1));
    return AniCursor::Frame { std::move(image), hotSpot };
}

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

std::optional<AniCursor> AniCursor::Parse(const QByteArray& data, QString* error)
{
    AniCursor cursor;
    if (!cursor.Read(data, error))
        return std::nullopt;
    return cursor;
}

bool AniCursor::Read(const QByteArray& data, QString* error)
{
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "ACON")
        return Fail(error, QStringLiteral("not a RIFF ACON file"));
    const qint64 riffEnd = 8 + qint64(U32(data, 4));
    QList<Chunk> chunks;
    if (riffEnd > data.size() || !ReadChunks(data, 12, riffEnd, &chunks))
        return Fail(error, QStringLiteral("truncated chunk"));

    QByteArray header, rates, sequence;
    QList<QByteArray> icons;
    bool haveFrames = false;
    for (const Chunk& chunk : std::as_const(chunks)) {
        if (chunk.id == "anih")
            header = chunk.data;
        else if (chunk.id == "rate")
            rates = chunk.data;
        else if (chunk.id == "seq ")
            sequence = chunk.data;
        else if (chunk.id == "LIST" && chunk.data.startsWith("fram")) {
            QList<Chunk> frames;
            if (!ReadChunks(chunk.data, 4, chunk.data.size(), &frames))
                return Fail(error, QStringLiteral("truncated frame"));
            for (const Chunk& frame : std::as_const(frames))
                if (frame.id == "icon")
                    icons.append(frame.data);
            haveFrames = true;
        }
    }

    if (header.size() < 36 || U32(header, 0) != 36)
        return Fail(error, QStringLiteral("missing or malformed anih header"));
    const quint32 frameCount = U32(header, 4);
    const quint32 stepCount = U32(header, 8);
    const quint32 defaultRate = U32(header, 28);
    const quint32 flags = U32(header, 32);
    if (frameCount == 0 || frameCount > MaxFrames || stepCount == 0 || stepCount > MaxSteps)
        return Fail(error, QStringLiteral("frame or step count out of range"));
    if (!(flags & IconFlag))
        return Fail(error, QStringLiteral("raw bitmap frames are not supported"));
    if (!haveFrames || quint32(icons.size()) != frameCount)
        return Fail(error, QStringLiteral("the fram list does not hold %1 icons").arg(frameCount));
    if ((!rates.isEmpty() && rates.size() < 4 * qsizetype(stepCount))
        || (!sequence.isEmpty() && sequence.size() < 4 * qsizetype(stepCount)))
        return Fail(error, QStringLiteral("rate or seq chunk shorter than the step count"));

    for (const QByteArray& icon : std::as_const(icons)) {
        std::optional<Frame> frame = ReadIcon(icon);
        if (!frame)
            return Fail(error, QStringLiteral("frame %1 is no icon or cursor").arg(FFrames.size()));
        FFrames.append(std::move(*frame));
    }
    for (quint32 step = 0; step < stepCount; ++step) {
        const quint32 frame = sequence.isEmpty() ? step : U32(sequence, 4 * step);
        if (frame >= frameCount)
            return Fail(error, QStringLiteral("step %1 names a missing frame").arg(step));
        const quint32 jiffies = rates.isEmpty() ? defaultRate : U32(rates, 4 * step);
        // A zero rate would spin the timer; one jiffy is the fastest a cursor can change.
        FSteps.append({ int(frame), int(qBound<quint32>(1, jiffies, 3600)) });
    }
    return true;
}
