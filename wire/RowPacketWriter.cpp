#include "wire/RowPacketWriter.h"

#include "wire/CborWriter.h"
#include "wire/WireCodec.h"

RowPacketWriter::RowPacketWriter(qint32 id)
    : id(id)
{
    start();
}

// {"type": "rows", "id": id, "rows": [ ... ]} with the rows array open-ended, so rows can be added
// until the packet is taken.
void RowPacketWriter::start()
{
    frame.clear();
    frame.reserve(TargetSize + TargetSize / 4);
    rows = 0;
    WireCodec::beginFrame(frame, WireCodec::FrameKind::Message);
    CborWriter w(frame);
    w.startMap(3);
    w.writeAscii("type");
    w.writeText(WireMessage::typeName(WireMessage::Type::Rows));
    w.writeAscii("id");
    w.writeInt32(id);
    w.writeAscii("rows");
    w.startIndefiniteArray();
}

RowPacketWriter::Append RowPacketWriter::append(const QVariantList& row, QString* error)
{
    const qsizetype before = frame.size();
    CborWriter w(frame);
    if (!w.writeValue(row, error)) {
        frame.truncate(before);
        return Append::Failed;
    }
    // One byte closes the rows array.
    if (frame.size() + 1 - WireCodec::HeaderSize <= WireCodec::MaxFrameSize) {
        ++rows;
        return Append::Added;
    }
    frame.truncate(before);
    if (rows == 0) {
        *error = QStringLiteral("a row is too large for the wire (more than %1 bytes)")
                     .arg(WireCodec::MaxFrameSize);
        return Append::Failed;
    }
    return Append::Full;
}

QByteArray RowPacketWriter::takeFrame()
{
    CborWriter(frame).endIndefinite();
    QString ignored; // append() kept the frame within the limit
    WireCodec::endFrame(frame, 0, &ignored);
    QByteArray done = std::move(frame);
    start();
    return done;
}
