#include "data/ProcParamPacking.h"

#include "common/Exception.h"

namespace {

int DataTypeCode(const QVariant& value)
{
    using namespace ProcParamCodes;
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

} // namespace

QVariant PackProcParams(const QStringList& names, const QVariantList& values)
{
    if (names.size() != values.size())
        throw Exception(QStringLiteral("存储过程参数的名称与取值个数不一致（%1 / %2）")
                            .arg(names.size())
                            .arg(values.size()));
    if (names.isEmpty() || names.first().trimmed() == u"@@")
        return {};
    QVariantList packed;
    packed.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        packed.append(QVariant(QVariantList {
            names[i], values[i], DataTypeCode(values[i]), ProcParamCodes::ptUnknown, 0, 0, 0 }));
    }
    return packed;
}

void UnpackProcParams(const QVariant& packed, TGParams& params)
{
    if (packed.typeId() != QMetaType::QVariantList)
        return;
    for (const QVariant& item : packed.toList()) {
        const QVariantList fields = item.toList();
        if (item.typeId() == QMetaType::QVariantList && fields.size() >= 2)
            params.append({ fields[0].toString(), fields[1], 0 });
    }
}
