#include "wire/PackedParamEntry.h"

#include <QVariantList>

namespace PackedParamEntry {

int DataTypeCode(const QVariant& value)
{
    if (value.isNull())
        return ftUnknown;
    switch (value.typeId()) {
    case QMetaType::QString:
        return ftString;
    case QMetaType::Int:
        return ftInteger;
    case QMetaType::LongLong:
        return ftLargeint;
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::Double:
        return ftFloat;
    default:
        return ftUnknown;
    }
}

QVariant Make(const QString& name, const QVariant& value, int paramType)
{
    return QVariantList { name, value, DataTypeCode(value), paramType, 0, 0, 0 };
}

} // namespace PackedParamEntry
