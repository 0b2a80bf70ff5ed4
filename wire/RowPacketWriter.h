#pragma once

#include <QByteArray>
#include <QVariantList>

// Builds "rows" frames one row at a time, so a data set of any size leaves in packets that each
// stay under the frame limit and nobody holds more than one packet.
class RowPacketWriter {
public:
    static constexpr qsizetype TargetSize = 256 * 1024; // a packet is sent once it reaches this

    explicit RowPacketWriter(qint32 id);

    enum class Append { Added, Full, Failed };
    // Full: the row does not fit into this packet (left unchanged; send it and append again).
    // Failed: the row holds a value that cannot travel, or is too large for any packet (*error).
    Append append(const QVariantList& row, QString* error);

    int rowCount() const { return rows; }
    bool isFull() const { return frame.size() >= TargetSize; }
    // The finished frame; the writer starts a new, empty packet.
    QByteArray takeFrame();

private:
    void start();

    qint32 id;
    QByteArray frame;
    int rows = 0;
};
