#pragma once

#include "wire/WireMessage.h"
#include "wire/WireRowSink.h"

#include <QByteArray>
#include <QByteArrayView>

// Frames on the wire: a 4-byte big-endian length (of what follows), a kind byte, then either one
// CBOR message (always a map) or a raw chunk of a byte stream. Socket-free: parse() takes the
// bytes received so far and says whether they begin with a whole frame.
class WireCodec {
public:
    static constexpr qsizetype HeaderSize = 4;
    static constexpr qsizetype MaxFrameSize = 4 * 1024 * 1024; // kind byte + payload
    static constexpr int MaxValueDepth = 16; // arrays within a value
    // Values in one message: bounds what a frame of tiny items (one byte each, 32 as a QVariant)
    // can make the reader allocate. A row packet holds far fewer.
    static constexpr qsizetype MaxValues = 1 << 20;

    enum class FrameKind : quint8 { Message = 1, Chunk = 2 };

    struct Parsed {
        enum class Status {
            Complete, // a frame: message or chunk; drop `consumed` bytes
            Incomplete, // wait for more bytes
            BadFrame, // length or kind is wrong: the stream cannot be followed any further
            BadMessage // a whole frame whose message is garbled or of the wrong shape; drop `consumed`
        };
        Status status = Status::Incomplete;
        FrameKind kind = FrameKind::Message;
        WireMessage message;
        QByteArray chunk;
        qsizetype consumed = 0;
        QString error;
        // A Rows message's rows (in message.rows or handed to the sink) and their common width.
        qsizetype rowCount = 0;
        qsizetype rowWidth = -1; // -1: no rows
    };

    // With a sink, a Rows message's rows go to it as they are decoded instead of into
    // message.rows; a message refused later may have handed some of them over already.
    static Parsed parse(QByteArrayView data, WireRowSink* rows = nullptr);

    // Checks a message's CBOR and shape: unique known keys, the keys its type needs and no others,
    // integers in range, valid UTF-8, no trailing bytes, rows of one width.
    static bool decodeMessage(QByteArrayView payload, WireMessage* message, QString* error);

    // A whole frame, ready for one write. false (and *error) for a value that cannot travel or a
    // message beyond MaxFrameSize.
    static bool encodeMessage(const WireMessage& message, QByteArray* frame, QString* error);
    static QByteArray encodeChunk(QByteArrayView bytes); // bytes.size() < MaxFrameSize
    // An Error message; a message too long for a frame is shortened.
    static QByteArray errorFrame(qint32 id, const QString& message);

    // Building a frame in place: begin appends the header; end fills in the length of everything
    // appended since and fails when the frame is too large.
    static void beginFrame(QByteArray& out, FrameKind kind);
    static bool endFrame(QByteArray& out, qsizetype frameStart, QString* error);
};
