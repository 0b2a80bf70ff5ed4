#include "wire/CborWriter.h"

#include "wire/WireCodec.h"

#include <QStringList>
#include <QtEndian>
#include <cstring>

void CborWriter::writeHead(quint8 major, quint64 value)
{
    const char type = char(major << 5);
    if (value < 24) {
        out.append(char(type | char(value)));
    } else if (value <= 0xff) {
        out.append(char(type | 24));
        out.append(char(value));
    } else if (value <= 0xffff) {
        char buf[3] = { char(type | 25) };
        qToBigEndian(quint16(value), buf + 1);
        out.append(buf, sizeof buf);
    } else if (value <= 0xffffffffu) {
        char buf[5] = { char(type | 26) };
        qToBigEndian(quint32(value), buf + 1);
        out.append(buf, sizeof buf);
    } else {
        char buf[9] = { char(type | 27) };
        qToBigEndian(value, buf + 1);
        out.append(buf, sizeof buf);
    }
}

void CborWriter::writeInteger(qint64 value)
{
    if (value >= 0)
        writeHead(0, quint64(value));
    else
        writeHead(1, quint64(-1 - value));
}

void CborWriter::writeInt32(qint32 value)
{
    writeInteger(value);
}

void CborWriter::writeInt64(qint64 value)
{
    writeHead(6, Int64Tag);
    writeInteger(value);
}

void CborWriter::writeDouble(double value)
{
    char buf[9] = { char(0xfb) };
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToBigEndian(bits, buf + 1);
    out.append(buf, sizeof buf);
}

void CborWriter::writeText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    writeHead(3, quint64(utf8.size()));
    out.append(utf8);
}

void CborWriter::writeAscii(const char* text)
{
    const size_t length = std::strlen(text);
    writeHead(3, length);
    out.append(text, qsizetype(length));
}

void CborWriter::writeBytes(const QByteArray& bytes)
{
    writeHead(2, quint64(bytes.size()));
    out.append(bytes);
}

bool CborWriter::writeValue(const QVariant& value, QString* error, int depth)
{
    if (depth > WireCodec::MaxValueDepth) {
        *error = QStringLiteral("value nested too deeply");
        return false;
    }
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        writeNull();
        return true;
    case QMetaType::Bool:
        writeBool(value.toBool());
        return true;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        writeInt32(value.toInt());
        return true;
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
        writeInt64(value.toLongLong());
        return true;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
            *error = QStringLiteral("integer beyond the 64-bit range");
            return false;
        }
        writeInt64(value.toLongLong());
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        writeDouble(value.toDouble());
        return true;
    case QMetaType::QString:
        writeText(value.toString());
        return true;
    case QMetaType::QByteArray:
        writeBytes(value.toByteArray());
        return true;
    case QMetaType::QStringList: {
        const QStringList list = value.toStringList();
        startArray(quint64(list.size()));
        for (const QString& item : list)
            writeText(item);
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        startArray(quint64(list.size()));
        for (const QVariant& item : list) {
            if (!writeValue(item, error, depth + 1))
                return false;
        }
        return true;
    }
    default:
        *error = QStringLiteral("a value of type %1 cannot travel").arg(QLatin1StringView(value.typeName()));
        return false;
    }
}
