#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Takes a provider's data set as the client decodes it, value by value, so that a large result
// never exists as one variant per cell. Calls come row by row: startRow(), then one add call per
// value; setFields() comes last, once every row has arrived and the row count and widths have
// been checked (the server sends the field names after the rows). Every value has passed the
// decoder's checks. When WireClient::openProvider throws, what the sink received so far is a
// partial result: discard it.
class WireRowSink {
public:
    virtual ~WireRowSink() = default;

    virtual void startRow() = 0;
    virtual void addNull() = 0;
    virtual void addInt(qint32 value) = 0;
    virtual void addLongLong(qint64 value) = 0;
    virtual void addReal(double value) = 0;
    virtual void addBool(bool value) = 0;
    virtual void addText(QString&& value) = 0;
    virtual void addBytes(QByteArray&& value) = 0;
    virtual void addList(QVariantList&& value) = 0; // nested lists are rare in data sets
    virtual void setFields(const QStringList& names) = 0;
};

// Takes the rows and keeps nothing: for draining or measuring a result; derive to count rows.
class WireRowDiscarder : public WireRowSink {
public:
    void startRow() override { }
    void addNull() override { }
    void addInt(qint32) override { }
    void addLongLong(qint64) override { }
    void addReal(double) override { }
    void addBool(bool) override { }
    void addText(QString&&) override { }
    void addBytes(QByteArray&&) override { }
    void addList(QVariantList&&) override { }
    void setFields(const QStringList&) override { }
};
