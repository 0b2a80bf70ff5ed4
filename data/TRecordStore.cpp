#include "data/TRecordStore.h"

#include "common/Exception.h"
#include "common/VariantText.h"

#include <cstring>
#include <limits>

void TRecordStore::Reset(const QStringList& fieldNames)
{
    FFieldNames = fieldNames;
    FKinds.clear();
    FSlots.clear();
    FText.clear();
    FBytes.clear();
    FKinds.shrink_to_fit();
    FSlots.shrink_to_fit();
    FText.shrink_to_fit();
    FBytes.shrink_to_fit();
}

void TRecordStore::setFields(const QStringList& names)
{
    FFieldNames = names;
    FKinds.shrink_to_fit();
    FSlots.shrink_to_fit();
    FText.shrink_to_fit();
}

void TRecordStore::AppendNull()
{
    FKinds.push_back(quint8(Kind::Null));
    FSlots.push_back(0);
}

void TRecordStore::AppendInteger(qint64 value)
{
    FKinds.push_back(quint8(Kind::Integer));
    FSlots.push_back(quint64(value));
}

void TRecordStore::AppendReal(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    FKinds.push_back(quint8(Kind::Real));
    FSlots.push_back(bits);
}

void TRecordStore::AppendBoolean(bool value)
{
    FKinds.push_back(quint8(Kind::Boolean));
    FSlots.push_back(value ? 1 : 0);
}

void TRecordStore::AppendText(QStringView value)
{
    const size_t offset = FText.size();
    if (offset + size_t(value.size()) > std::numeric_limits<quint32>::max())
        throw Exception(QStringLiteral("查询结果过大，无法装入数据集"));
    FText.insert(FText.end(), value.utf16(), value.utf16() + value.size());
    FKinds.push_back(quint8(Kind::Text));
    FSlots.push_back(quint64(offset) << 32 | quint64(value.size()));
}

void TRecordStore::AppendBytes(const QByteArray& value)
{
    FKinds.push_back(quint8(Kind::Bytes));
    FSlots.push_back(FBytes.size());
    FBytes.push_back(value);
}

void TRecordStore::AppendValue(const QVariant& value)
{
    if (value.isNull()) {
        AppendNull();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        AppendInteger(value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        AppendReal(value.toDouble());
        break;
    case QMetaType::Bool:
        AppendBoolean(value.toBool());
        break;
    case QMetaType::QByteArray:
        AppendBytes(value.toByteArray());
        break;
    case QMetaType::QString:
        AppendText(value.toString());
        break;
    default:
        AppendText(VarToStr(value));
        break;
    }
}

int TRecordStore::RowCount() const
{
    return FFieldNames.isEmpty() ? 0 : int(FKinds.size() / size_t(FFieldNames.size()));
}

bool TRecordStore::Complete() const
{
    return FFieldNames.isEmpty() ? FKinds.empty() : FKinds.size() % size_t(FFieldNames.size()) == 0;
}

QVariant TRecordStore::Value(int row, int field) const
{
    const qsizetype cell = Cell(row, field);
    const quint64 slot = FSlots[cell];
    switch (Kind(FKinds[cell])) {
    case Kind::Null:
        return {};
    case Kind::Integer: {
        const auto v = qint64(slot);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return int(v);
        return v;
    }
    case Kind::Real: {
        double d;
        std::memcpy(&d, &slot, sizeof d);
        return d;
    }
    case Kind::Boolean:
        return slot != 0;
    case Kind::Text:
        return Text(row, field);
    case Kind::Bytes:
        return FBytes[slot];
    }
    return {};
}

QString TRecordStore::Text(int row, int field) const
{
    const qsizetype cell = Cell(row, field);
    const quint64 slot = FSlots[cell];
    switch (Kind(FKinds[cell])) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QString::number(qint64(slot));
    case Kind::Text:
        return QString(
            reinterpret_cast<const QChar*>(FText.data() + (slot >> 32)), qsizetype(slot & 0xFFFFFFFFu));
    default:
        return VarToStr(Value(row, field));
    }
}

int TRecordStore::Integer(int row, int field) const
{
    const qsizetype cell = Cell(row, field);
    const Kind kind = Kind(FKinds[cell]);
    if (kind == Kind::Null)
        return 0;
    if (kind == Kind::Integer) {
        const auto v = qint64(FSlots[cell]);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return int(v);
    }
    return VarToInt(Value(row, field));
}

qsizetype TRecordStore::BytesUsed() const
{
    qsizetype bytes = qsizetype(
        FKinds.capacity() + FSlots.capacity() * sizeof(quint64) + FText.capacity() * sizeof(char16_t));
    for (const QByteArray& b : FBytes)
        bytes += b.size();
    return bytes;
}
