#pragma once

#include "server/ReplySource.h"
#include "wire/RowPacketWriter.h"

#include <QStringList>
#include <QVariantList>
#include <functional>

// A provider's data set: "rows" packets as the source yields rows, then "table" with the field
// names and the row count; a failure half way ends it with "error" (the client drops the rows).
class RowStreamReply : public ReplySource {
public:
    // Fills row with the next row; false at the end, or on a failure with *error set.
    using NextRow = std::function<bool(QVariantList& row, QString* error)>;
    // onError is told the message of a failure half way (for the log).
    RowStreamReply(qint32 id, QStringList fields, NextRow next, std::function<void(const QString&)> onError);

    bool nextFrame(QByteArray* frame) override;

private:
    enum class State { Rows, Table, Done };

    bool fillPacket(QByteArray* frame);
    bool tableFrame(QByteArray* frame);
    bool fail(const QString& error, QByteArray* frame);

    qint32 id;
    QStringList fields;
    NextRow next;
    std::function<void(const QString&)> onError;
    RowPacketWriter packet;
    QVariantList row;
    bool rowPending = false; // row did not fit into the last packet
    qint64 sent = 0;
    State state = State::Rows;
};
