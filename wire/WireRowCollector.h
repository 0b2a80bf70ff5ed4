#pragma once

#include "wire/WireRowSink.h"

#include <QList>

// Keeps a data set as variants, a list per row: for small results and for tests.
class WireRowCollector final : public WireRowSink {
public:
    QStringList fields;
    QList<QVariantList> rows;

    void startRow() override;
    void addNull() override { current->append(QVariant()); }
    void addInt(qint32 value) override { current->append(QVariant(value)); }
    void addLongLong(qint64 value) override { current->append(QVariant(qlonglong(value))); }
    void addReal(double value) override { current->append(QVariant(value)); }
    void addBool(bool value) override { current->append(QVariant(value)); }
    void addText(QString&& value) override { current->append(QVariant(std::move(value))); }
    void addBytes(QByteArray&& value) override { current->append(QVariant(std::move(value))); }
    void addList(QVariantList&& value) override { current->append(QVariant(std::move(value))); }
    void setFields(const QStringList& names) override { fields = names; }

private:
    QVariantList* current = nullptr;
};
