#include "server/RowStreamReply.h"

#include "wire/WireCodec.h"

RowStreamReply::RowStreamReply(
    qint32 id, QStringList fields, NextRow next, std::function<void(const QString&)> onError)
    : id(id)
    , fields(std::move(fields))
    , next(std::move(next))
    , onError(std::move(onError))
    , packet(id)
{
}

bool RowStreamReply::nextFrame(QByteArray* frame)
{
    switch (state) {
    case State::Rows:
        return fillPacket(frame);
    case State::Table:
        state = State::Done;
        return tableFrame(frame);
    case State::Done:
        break;
    }
    return false;
}

bool RowStreamReply::fillPacket(QByteArray* frame)
{
    QString error;
    while (!packet.isFull()) {
        if (!rowPending) {
            row.clear();
            if (!next(row, &error)) {
                if (!error.isEmpty())
                    return fail(error, frame);
                state = State::Table;
                break;
            }
        }
        const RowPacketWriter::Append added = packet.append(row, &error);
        if (added == RowPacketWriter::Append::Failed)
            return fail(error, frame);
        rowPending = added == RowPacketWriter::Append::Full;
        if (rowPending)
            break;
    }
    if (packet.rowCount() == 0) // the rows ended with the last packet
        return nextFrame(frame);
    sent += packet.rowCount();
    *frame = packet.takeFrame();
    return true;
}

bool RowStreamReply::tableFrame(QByteArray* frame)
{
    WireMessage table;
    table.type = WireMessage::Type::Table;
    table.id = id;
    table.fields = fields;
    table.count = sent;
    QString error;
    if (!WireCodec::encodeMessage(table, frame, &error))
        return fail(error, frame);
    return true;
}

bool RowStreamReply::fail(const QString& error, QByteArray* frame)
{
    state = State::Done;
    onError(error);
    *frame = WireCodec::errorFrame(id, error);
    return true;
}
