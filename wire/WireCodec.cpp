#include "wire/WireCodec.h"

#include "wire/CborWriter.h"
#include "wire/WireRowCollector.h"

#include <QCborStreamReader>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <limits>

namespace {

using Type = WireMessage::Type;

enum Key : quint16 {
    KeyType = 1 << 0,
    KeyId = 1 << 1,
    KeyGuid = 1 << 2,
    KeyOp = 1 << 3,
    KeyMessage = 1 << 4,
    KeyArgs = 1 << 5,
    KeyResult = 1 << 6,
    KeyRows = 1 << 7,
    KeyFields = 1 << 8,
    KeyCount = 1 << 9,
    KeySize = 1 << 10,
};

struct KeyName {
    Key key;
    const char* name;
};

constexpr KeyName KeyNames[] = {
    { KeyType, "type" },
    { KeyId, "id" },
    { KeyGuid, "guid" },
    { KeyOp, "op" },
    { KeyMessage, "message" },
    { KeyArgs, "args" },
    { KeyResult, "result" },
    { KeyRows, "rows" },
    { KeyFields, "fields" },
    { KeyCount, "count" },
    { KeySize, "size" },
};

constexpr Type AllTypes[] = { Type::Hello, Type::Welcome, Type::Refused, Type::Call, Type::Result,
    Type::Error, Type::Rows, Type::Table, Type::Stream };

// Every key a type has; all of them are required.
quint16 keysOf(Type type)
{
    switch (type) {
    case Type::Hello:
        return KeyType | KeyGuid;
    case Type::Welcome:
        return KeyType;
    case Type::Refused:
        return KeyType | KeyMessage;
    case Type::Call:
        return KeyType | KeyId | KeyOp | KeyArgs;
    case Type::Result:
        return KeyType | KeyId | KeyResult | KeyArgs;
    case Type::Error:
        return KeyType | KeyId | KeyMessage;
    case Type::Rows:
        return KeyType | KeyId | KeyRows;
    case Type::Table:
        return KeyType | KeyId | KeyFields | KeyCount;
    case Type::Stream:
        return KeyType | KeyId | KeySize;
    }
    return 0;
}

// Takes one decoded value into a variant: the values of calls and results.
struct VariantTarget {
    QVariant* out;

    void addNull() { *out = QVariant(); }
    void addInt(qint32 value) { *out = value; }
    void addLongLong(qint64 value) { *out = qlonglong(value); }
    void addReal(double value) { *out = value; }
    void addBool(bool value) { *out = value; }
    void addText(QString&& value) { *out = std::move(value); }
    void addBytes(QByteArray&& value) { *out = std::move(value); }
    void addList(QVariantList&& value) { *out = std::move(value); }
};

// Reads one message map from a CBOR payload, checking each item as it goes. A Rows message's
// rows go to the sink when there is one.
class MessageReader {
public:
    MessageReader(QByteArrayView payload, WireRowSink* sink)
        : r(payload.data(), payload.size())
        , size(payload.size())
        , sink(sink)
    {
    }

    bool read(WireMessage* m)
    {
        if (r.type() != QCborStreamReader::Map)
            return fail(QStringLiteral("a message must be a map"));
        if (!r.enterContainer())
            return failCbor();
        quint16 seen = 0;
        QString typeName;
        QString keyText;
        while (r.hasNext()) {
            const qint64 at = r.currentOffset();
            if (!readText(&keyText))
                return false;
            const Key key = keyOf(keyText);
            if (!key)
                return fail(QStringLiteral("unknown key \"%1\"").arg(keyText));
            if (seen & key)
                return fail(QStringLiteral("duplicate key \"%1\"").arg(keyText));
            seen |= key;
            if (!readEntry(key, m, &typeName) || !advanced(at))
                return false;
        }
        if (r.lastError() != QCborError::NoError)
            return failCbor();
        if (!r.leaveContainer())
            return failCbor();
        if (r.currentOffset() != size)
            return fail(QStringLiteral("bytes after the message"));
        if (!(seen & KeyType))
            return fail(QStringLiteral("message without a type"));
        if (seen != keysOf(m->type))
            return fail(QStringLiteral("a \"%1\" message with the wrong keys").arg(typeName));
        return true;
    }

    QString error;
    qsizetype rowCount = 0;
    qsizetype rowWidth = -1;

private:
    bool fail(const QString& message)
    {
        if (error.isEmpty())
            error = message;
        return false;
    }

    bool failCbor()
    {
        const QCborError e = r.lastError();
        return fail(e == QCborError::NoError ? QStringLiteral("malformed CBOR") : e.toString());
    }

    static Key keyOf(const QString& text)
    {
        for (const KeyName& k : KeyNames) {
            if (text == QLatin1StringView(k.name))
                return k.key;
        }
        return Key(0);
    }

    bool readEntry(Key key, WireMessage* m, QString* typeName)
    {
        switch (key) {
        case KeyType:
            if (!readText(typeName))
                return false;
            for (Type t : AllTypes) {
                if (*typeName == WireMessage::typeName(t)) {
                    m->type = t;
                    return true;
                }
            }
            return fail(QStringLiteral("unknown message type \"%1\"").arg(*typeName));
        case KeyId:
            return readId(&m->id);
        case KeyGuid:
        case KeyOp:
        case KeyMessage:
            return readText(&m->text);
        case KeyArgs:
            return readList(&m->args, 1);
        case KeyResult: {
            VariantTarget result { &m->result };
            return readValue(result, 0);
        }
        case KeyRows:
            return readRows(&m->rows);
        case KeyFields:
            return readFields(&m->fields);
        case KeyCount:
        case KeySize:
            return readCount(&m->count);
        }
        return fail(QStringLiteral("unknown key"));
    }

    bool readText(QString* out)
    {
        if (r.type() != QCborStreamReader::String)
            return fail(QStringLiteral("text expected"));
        out->clear();
        auto chunk = r.readString();
        while (chunk.status == QCborStreamReader::Ok) {
            if (out->isEmpty())
                *out = std::move(chunk.data);
            else
                out->append(chunk.data);
            chunk = r.readString();
        }
        return ended(chunk.status);
    }

    // Qt 6.4 reports the end of a string even when the item after it is broken (a stray break
    // code, say), and then stays on the string for ever: only lastError() tells.
    bool ended(QCborStreamReader::StringResultCode status)
    {
        return (status == QCborStreamReader::EndOfString && r.lastError() == QCborError::NoError)
            || failCbor();
    }

    bool readBytes(QByteArray* out)
    {
        out->clear();
        auto chunk = r.readByteArray();
        while (chunk.status == QCborStreamReader::Ok) {
            if (out->isEmpty())
                *out = std::move(chunk.data);
            else
                out->append(chunk.data);
            chunk = r.readByteArray();
        }
        return ended(chunk.status);
    }

    bool readId(qint32* out)
    {
        if (r.type() != QCborStreamReader::UnsignedInteger)
            return fail(QStringLiteral("an id must be a non-negative integer"));
        const quint64 value = r.toUnsignedInteger();
        if (value > quint64(std::numeric_limits<qint32>::max()))
            return fail(QStringLiteral("id out of range"));
        *out = qint32(value);
        return next();
    }

    bool readCount(qint64* out)
    {
        if (r.type() == QCborStreamReader::Tag) {
            if (r.toTag() != QCborTag(CborWriter::Int64Tag))
                return fail(QStringLiteral("unknown tag"));
            if (!next())
                return false;
        }
        if (r.type() != QCborStreamReader::UnsignedInteger)
            return fail(QStringLiteral("a count must be a non-negative integer"));
        const quint64 value = r.toUnsignedInteger();
        if (value > quint64(std::numeric_limits<qint64>::max()))
            return fail(QStringLiteral("count out of range"));
        *out = qint64(value);
        return next();
    }

    // A plain integer must fit 32 bits; with our tag, 64 bits.
    template <class Target> bool readInteger(Target& out, bool wide)
    {
        const quint64 limit = wide ? quint64(std::numeric_limits<qint64>::max())
                                   : quint64(std::numeric_limits<qint32>::max());
        qint64 value;
        if (r.type() == QCborStreamReader::UnsignedInteger) {
            const quint64 u = r.toUnsignedInteger();
            if (u > limit)
                return fail(QStringLiteral("integer out of range"));
            value = qint64(u);
        } else if (r.type() == QCborStreamReader::NegativeInteger) {
            // The absolute value; 0 stands for -2^64.
            const quint64 magnitude = quint64(r.toNegativeInteger());
            if (magnitude == 0 || magnitude > limit + 1)
                return fail(QStringLiteral("integer out of range"));
            value = qint64(~magnitude + 1);
        } else {
            return fail(QStringLiteral("integer expected"));
        }
        if (wide)
            out.addLongLong(value);
        else
            out.addInt(qint32(value));
        return next();
    }

    // Target: VariantTarget or a row sink.
    template <class Target> bool readValue(Target& out, int depth)
    {
        if (++values > WireCodec::MaxValues)
            return fail(QStringLiteral("more than %1 values in one message").arg(WireCodec::MaxValues));
        switch (r.type()) {
        case QCborStreamReader::UnsignedInteger:
        case QCborStreamReader::NegativeInteger:
            return readInteger(out, false);
        case QCborStreamReader::Tag:
            if (r.toTag() != QCborTag(CborWriter::Int64Tag))
                return fail(QStringLiteral("unknown tag"));
            return next() && readInteger(out, true);
        case QCborStreamReader::ByteArray: {
            QByteArray bytes;
            if (!readBytes(&bytes))
                return false;
            out.addBytes(std::move(bytes));
            return true;
        }
        case QCborStreamReader::String: {
            QString text;
            if (!readText(&text))
                return false;
            out.addText(std::move(text));
            return true;
        }
        case QCborStreamReader::Array: {
            QVariantList list;
            if (!readList(&list, depth + 1))
                return false;
            out.addList(std::move(list));
            return true;
        }
        case QCborStreamReader::SimpleType:
            if (r.isNull())
                out.addNull();
            else if (r.isBool())
                out.addBool(r.toBool());
            else
                return fail(QStringLiteral("unsupported simple value"));
            return next();
        case QCborStreamReader::Float16:
            out.addReal(double(r.toFloat16()));
            return next();
        case QCborStreamReader::Float:
            out.addReal(double(r.toFloat()));
            return next();
        case QCborStreamReader::Double:
            out.addReal(r.toDouble());
            return next();
        case QCborStreamReader::Map:
            return fail(QStringLiteral("a value cannot be a map"));
        case QCborStreamReader::Invalid:
            return failCbor();
        }
        return fail(QStringLiteral("unsupported value"));
    }

    bool enterArray(int depth)
    {
        if (r.type() != QCborStreamReader::Array)
            return fail(QStringLiteral("array expected"));
        if (depth > WireCodec::MaxValueDepth)
            return fail(QStringLiteral("values nested too deeply"));
        return r.enterContainer() || failCbor();
    }

    bool leaveArray() { return (r.lastError() == QCborError::NoError && r.leaveContainer()) || failCbor(); }

    // Never trusts a length header further than the bytes that could hold its items.
    qsizetype reserveFor() const
    {
        if (!r.isLengthKnown())
            return 0;
        return qsizetype(std::min<quint64>(r.length(), quint64(size - r.currentOffset())));
    }

    bool readList(QVariantList* out, int depth)
    {
        if (r.type() == QCborStreamReader::Array)
            out->reserve(reserveFor());
        if (!enterArray(depth))
            return false;
        while (r.hasNext()) {
            QVariant item;
            VariantTarget target { &item };
            const qint64 at = r.currentOffset();
            if (!readValue(target, depth) || !advanced(at))
                return false;
            out->append(std::move(item));
        }
        return leaveArray();
    }

    bool readRows(QList<QVariantList>* out)
    {
        if (sink)
            return readRowsInto(*sink);
        WireRowCollector rows;
        if (r.type() == QCborStreamReader::Array)
            rows.rows.reserve(reserveFor());
        if (!readRowsInto(rows))
            return false;
        *out = std::move(rows.rows);
        return true;
    }

    // Rows are arrays of values, all of the same length.
    bool readRowsInto(WireRowSink& out)
    {
        if (!enterArray(1))
            return false;
        while (r.hasNext()) {
            const qint64 rowAt = r.currentOffset();
            if (!enterArray(2))
                return false;
            out.startRow();
            qsizetype width = 0;
            while (r.hasNext()) {
                const qint64 at = r.currentOffset();
                if (!readValue(out, 2) || !advanced(at))
                    return false;
                ++width;
            }
            if (!leaveArray() || !advanced(rowAt))
                return false;
            if (rowWidth >= 0 && width != rowWidth)
                return fail(QStringLiteral("rows of different lengths"));
            rowWidth = width;
            ++rowCount;
        }
        return leaveArray();
    }

    bool readFields(QStringList* out)
    {
        if (!enterArray(1))
            return false;
        while (r.hasNext()) {
            QString name;
            const qint64 at = r.currentOffset();
            if (!readText(&name) || !advanced(at))
                return false;
            out->append(name);
        }
        return leaveArray();
    }

    bool next() { return (r.next() && r.lastError() == QCborError::NoError) || failCbor(); }

    // Every item takes at least one byte; a reader that stands still would loop for ever.
    bool advanced(qint64 before)
    {
        return (r.lastError() == QCborError::NoError && r.currentOffset() > before) || failCbor();
    }

    QCborStreamReader r;
    qint64 size;
    WireRowSink* sink;
    qsizetype values = 0;
};

bool decode(QByteArrayView payload, WireRowSink* sink, WireCodec::Parsed* p)
{
    p->message = WireMessage();
    MessageReader reader(payload, sink);
    if (reader.read(&p->message)) {
        p->rowCount = reader.rowCount;
        p->rowWidth = reader.rowWidth;
        return true;
    }
    p->error = reader.error;
    p->message = WireMessage(); // a refused message is never half used
    return false;
}

bool writeBody(CborWriter& w, const WireMessage& m, QString* error)
{
    const quint16 keys = keysOf(m.type);
    w.startMap(quint64(std::popcount(keys)));
    w.writeAscii("type");
    w.writeText(WireMessage::typeName(m.type));
    if (keys & KeyId) {
        w.writeAscii("id");
        w.writeInt32(m.id);
    }
    for (Key textKey : { KeyGuid, KeyOp, KeyMessage }) {
        if (keys & textKey) {
            w.writeAscii(textKey == KeyGuid ? "guid" : textKey == KeyOp ? "op" : "message");
            w.writeText(m.text);
        }
    }
    if (keys & KeyResult) {
        w.writeAscii("result");
        if (!w.writeValue(m.result, error))
            return false;
    }
    if (keys & KeyArgs) {
        w.writeAscii("args");
        if (!w.writeValue(m.args, error))
            return false;
    }
    if (keys & KeyRows) {
        w.writeAscii("rows");
        w.startArray(quint64(m.rows.size()));
        for (const QVariantList& row : m.rows) {
            if (!w.writeValue(row, error))
                return false;
        }
    }
    if (keys & KeyFields) {
        w.writeAscii("fields");
        w.writeValue(m.fields, error);
    }
    if (keys & (KeyCount | KeySize)) {
        w.writeAscii(keys & KeyCount ? "count" : "size");
        w.writeInt64(m.count);
    }
    return true;
}

} // namespace

WireCodec::Parsed WireCodec::parse(QByteArrayView data, WireRowSink* rows)
{
    Parsed p;
    if (data.size() < HeaderSize + 1)
        return p;
    const quint32 length = qFromBigEndian<quint32>(data.data());
    if (length < 1 || length > quint32(MaxFrameSize)) {
        p.status = Parsed::Status::BadFrame;
        p.error = QStringLiteral("frame length %1 outside 1..%2").arg(length).arg(MaxFrameSize);
        return p;
    }
    const quint8 kind = quint8(data[HeaderSize]);
    if (kind != quint8(FrameKind::Message) && kind != quint8(FrameKind::Chunk)) {
        p.status = Parsed::Status::BadFrame;
        p.error = QStringLiteral("unknown frame kind %1").arg(kind);
        return p;
    }
    if (data.size() < HeaderSize + qsizetype(length))
        return p;
    p.kind = FrameKind(kind);
    p.consumed = HeaderSize + qsizetype(length);
    const QByteArrayView payload = data.sliced(HeaderSize + 1, qsizetype(length) - 1);
    if (p.kind == FrameKind::Chunk) {
        p.chunk = payload.toByteArray();
        p.status = Parsed::Status::Complete;
    } else if (decode(payload, rows, &p)) {
        p.status = Parsed::Status::Complete;
    } else {
        p.status = Parsed::Status::BadMessage;
    }
    return p;
}

bool WireCodec::decodeMessage(QByteArrayView payload, WireMessage* message, QString* error)
{
    Parsed p;
    const bool ok = decode(payload, nullptr, &p);
    *message = std::move(p.message);
    *error = std::move(p.error);
    return ok;
}

bool WireCodec::encodeMessage(const WireMessage& message, QByteArray* frame, QString* error)
{
    frame->clear();
    beginFrame(*frame, FrameKind::Message);
    CborWriter writer(*frame);
    return writeBody(writer, message, error) && endFrame(*frame, 0, error);
}

QByteArray WireCodec::encodeChunk(QByteArrayView bytes)
{
    QByteArray frame;
    frame.reserve(HeaderSize + 1 + bytes.size());
    beginFrame(frame, FrameKind::Chunk);
    frame.append(bytes);
    QString ignored;
    endFrame(frame, 0, &ignored);
    return frame;
}

QByteArray WireCodec::errorFrame(qint32 id, const QString& message)
{
    WireMessage m;
    m.type = Type::Error;
    m.id = id;
    m.text = message.left(64 * 1024);
    QByteArray frame;
    QString ignored;
    encodeMessage(m, &frame, &ignored);
    return frame;
}

void WireCodec::beginFrame(QByteArray& out, FrameKind kind)
{
    const char header[HeaderSize + 1] = { 0, 0, 0, 0, char(kind) };
    out.append(header, sizeof header);
}

bool WireCodec::endFrame(QByteArray& out, qsizetype frameStart, QString* error)
{
    const qsizetype length = out.size() - frameStart - HeaderSize;
    if (length > MaxFrameSize) {
        *error = QStringLiteral("message of %1 bytes exceeds the frame limit").arg(length);
        return false;
    }
    qToBigEndian(quint32(length), out.data() + frameStart);
    return true;
}
