#include "server/PackedProcParams.h"

#include "wire/PackedParamEntry.h"

using PackedParamEntry::Items;

bool PackedProcParams::unpack(const QVariant& packed, ProcParams* params, QString* error)
{
    params->clear();
    if (!packed.isValid())
        return true;
    if (packed.typeId() != QMetaType::QVariantList) {
        *error = QStringLiteral("the parameter list must be null or a list of parameters");
        return false;
    }
    const QVariantList list = packed.toList();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QVariant& item = list[i];
        const QVariantList fields = item.toList();
        if (item.typeId() != QMetaType::QVariantList || fields.size() != Items
            || fields[0].typeId() != QMetaType::QString) {
            *error = QStringLiteral("parameter %1 is not a list of %2 items beginning with its name")
                         .arg(i + 1)
                         .arg(Items);
            return false;
        }
        params->append({ fields[0].toString(), fields[1] });
    }
    return true;
}

QVariant PackedProcParams::pack(const ProcParams& params)
{
    if (params.isEmpty())
        return {};
    QVariantList packed;
    packed.reserve(params.size());
    for (const ProcParam& p : params)
        packed.append(PackedParamEntry::Make(p.name, p.value, PackedParamEntry::ptOutput));
    return packed;
}
