#include "data/TField.h"

#include "data/TClientDataSet.h"
#include "data/TRecordStore.h"

namespace {

bool OnRecord(const TClientDataSet* ds)
{
    return ds->RecordCount() > 0;
}

} // namespace

QString TField::FieldName() const
{
    return FDataSet->Store().FieldNames().value(FIndex);
}

bool TField::IsNull() const
{
    return !OnRecord(FDataSet)
        || FDataSet->Store().KindAt(FDataSet->RecNo(), FIndex) == TRecordStore::Kind::Null;
}

QVariant TField::AsVariant() const
{
    return OnRecord(FDataSet) ? FDataSet->Store().Value(FDataSet->RecNo(), FIndex) : QVariant();
}

QString TField::AsString() const
{
    return OnRecord(FDataSet) ? FDataSet->Store().Text(FDataSet->RecNo(), FIndex) : QString();
}

int TField::AsInteger() const
{
    return OnRecord(FDataSet) ? FDataSet->Store().Integer(FDataSet->RecNo(), FIndex) : 0;
}
