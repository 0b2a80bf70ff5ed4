#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// One named value of a stored-procedure call.
struct TGParam {
    QString Name; // matched without regard to ASCII letter case
    QVariant Value; // text, 32-bit integer, or null
    quint8 Kind = 0; // stored, never read back nor sent
};

using TGParams = QVector<TGParam>;

// Ordered bag of named values; names match ignoring ASCII letter case.
class TParamObject {
public:
    TParamObject() = default;
    virtual ~TParamObject();

    // Replaces the value of an entry of that name (its Kind stays), else fills the first
    // entry without a name, else appends.
    void SetParam(const QString& name, const QVariant& value, quint8 kind = 0);
    // The value stored under name, or null.
    QVariant AsVariant(const QString& name) const;
    // AsVariant as text; null gives "".
    QString AsString(const QString& name) const;

    TGParams Params;
    int Count = 0; // always Params.size()

private:
    int IndexOf(const QString& name) const;
};

// The parameter object the stored-procedure call takes.
class TGParamObject : public TParamObject { };
