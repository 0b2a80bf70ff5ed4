#pragma once

#include <QString>
#include <QVariant>

class TClientDataSet;

// A field of a client dataset, read on the dataset's current record. Cheap to copy.
class TField {
public:
    TField(const TClientDataSet* dataSet, int index)
        : FDataSet(dataSet)
        , FIndex(index)
    {
    }

    QString FieldName() const;
    int Index() const { return FIndex; }
    bool IsNull() const;
    QVariant AsVariant() const;
    // Null gives "" (VarToStr).
    QString AsString() const;
    // Null gives 0; text that is no integer throws "'%s' is not a valid integer value" (VarToInt).
    int AsInteger() const;

private:
    const TClientDataSet* FDataSet;
    int FIndex;
};
