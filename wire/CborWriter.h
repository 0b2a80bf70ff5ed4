#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// A small CBOR encoder appending straight to a byte array, so a frame is built in place (header
// first, patched at the end) and a row packet can be cut back to its last whole row.
class CborWriter {
public:
    // Marks a 64-bit integer; a plain CBOR integer is always a 32-bit one. Tag 6 is unassigned
    // in the CBOR tag registry.
    static constexpr quint64 Int64Tag = 6;

    explicit CborWriter(QByteArray& out)
        : out(out)
    {
    }

    void startMap(quint64 entries) { writeHead(5, entries); }
    void startArray(quint64 items) { writeHead(4, items); }
    void startIndefiniteArray() { out.append(char(0x9f)); }
    void endIndefinite() { out.append(char(0xff)); }
    void writeNull() { out.append(char(0xf6)); }
    void writeBool(bool value) { out.append(char(value ? 0xf5 : 0xf4)); }
    void writeInt32(qint32 value);
    void writeInt64(qint64 value);
    void writeDouble(double value);
    void writeText(const QString& text);
    void writeAscii(const char* text); // keys and other fixed ASCII texts, without conversion
    void writeBytes(const QByteArray& bytes);

    // null (invalid QVariant or nullptr), bool, int (and narrower), qlonglong/uint, double/float,
    // QString, QByteArray, QVariantList, QStringList. Anything else: false and *error.
    bool writeValue(const QVariant& value, QString* error, int depth = 0);

private:
    void writeHead(quint8 major, quint64 value);
    void writeInteger(qint64 value);

    QByteArray& out;
};
