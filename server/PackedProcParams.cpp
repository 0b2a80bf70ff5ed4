#include "server/PackedProcParams.h"

namespace {

// The codes of the client's platform, so its parameter lists read them as it wrote them.
constexpr int ftUnknown = 0;
constexpr int ftString = 1;
constexpr int ftInteger = 3;
constexpr int ftBoolean = 5;
constexpr int ftFloat = 6;
constexpr int ftLargeint = 25;
constexpr int ptOutput = 2;
constexpr int PackedItems = 7;

int dataTypeCode(const QVariant& value)
{
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
        if (item.typeId() != QMetaType::QVariantList || fields.size() != PackedItems
            || fields[0].typeId() != QMetaType::QString) {
            *error = QStringLiteral("parameter %1 is not a list of %2 items beginning with its name")
                         .arg(i + 1)
                         .arg(PackedItems);
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
        packed.append(QVariant(QVariantList { p.name, p.value, dataTypeCode(p.value), ptOutput, 0, 0, 0 }));
    return packed;
}
