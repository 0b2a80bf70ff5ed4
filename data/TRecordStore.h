#pragma once

#include "wire/WireRowSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// The rows of a client dataset, kept compactly: a type byte and an 8-byte slot per cell,
// text in one UTF-16 arena. 100,000 rows x 10 fields of short text take about 10 MB
// plus the text itself, with no allocation per cell. As a row sink it is filled straight from
// the wire: cleared, the cells of every row, then the field names.
class TRecordStore final : public WireRowSink {
public:
    enum class Kind : quint8 { Null, Integer, Real, Text, Boolean, Bytes };

    // Empties the store and sets the field names.
    void Reset(const QStringList& fieldNames);
    void Clear() { Reset({}); }

    // Cells are appended row by row, field by field.
    void AppendNull();
    void AppendInteger(qint64 value);
    void AppendReal(double value);
    void AppendBoolean(bool value);
    void AppendText(QStringView value);
    void AppendBytes(const QByteArray& value);
    void AppendValue(const QVariant& value);

    void startRow() override { }
    void addNull() override { AppendNull(); }
    void addInt(qint32 value) override { AppendInteger(value); }
    void addLongLong(qint64 value) override { AppendInteger(value); }
    void addReal(double value) override { AppendReal(value); }
    void addBool(bool value) override { AppendBoolean(value); }
    void addText(QString&& value) override { AppendText(value); }
    void addBytes(QByteArray&& value) override { AppendBytes(value); }
    void addList(QVariantList&& value) override { AppendValue(value); }
    // The field names of the cells appended since the store was cleared; gives back the
    // room the growing left unused.
    void setFields(const QStringList& names) override;

    const QStringList& FieldNames() const { return FFieldNames; }
    int FieldCount() const { return int(FFieldNames.size()); }
    int RowCount() const;
    // True when every row has all its cells.
    bool Complete() const;

    Kind KindAt(int row, int field) const { return Kind(FKinds[Cell(row, field)]); }
    QVariant Value(int row, int field) const;
    // VarToStr of the value, without building a variant for text and integers.
    QString Text(int row, int field) const;
    // VarToInt of the value.
    int Integer(int row, int field) const;

    // Memory held by the cells (for the benchmark).
    qsizetype BytesUsed() const;

private:
    qsizetype Cell(int row, int field) const { return qsizetype(row) * FFieldNames.size() + field; }

    QStringList FFieldNames;
    std::vector<quint8> FKinds;
    std::vector<quint64> FSlots; // integer, real bits, or arena offset << 32 | length
    std::vector<char16_t> FText;
    std::vector<QByteArray> FBytes; // blobs are rare: one entry each, slot = index
};
