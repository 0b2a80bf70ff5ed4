#include "data/ProcParamPacking.h"

#include "common/Exception.h"
#include "wire/PackedParamEntry.h"

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
    for (qsizetype i = 0; i < names.size(); ++i)
        packed.append(PackedParamEntry::Make(names[i], values[i], PackedParamEntry::ptUnknown));
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
