#include "data/TParamObject.h"

#include "common/Helpers.h"
#include "common/VariantText.h"

namespace {

bool SameNameAscii(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

TParamObject::~TParamObject()
{
    Params.clear();
    Count = 0;
}

int TParamObject::IndexOf(const QString& name) const
{
    for (int i = 0; i < Params.size(); ++i) {
        if (SameNameAscii(Params[i].Name, name))
            return i;
    }
    return -1;
}

void TParamObject::SetParam(const QString& name, const QVariant& value, quint8 kind)
{
    int i = IndexOf(name);
    if (i >= 0) {
        Params[i].Value = value;
        return;
    }
    for (TGParam& p : Params) {
        if (p.Name.isEmpty()) {
            p = { name, value, kind };
            return;
        }
    }
    Params.append({ name, value, kind });
    Count = Params.size();
}

QVariant TParamObject::AsVariant(const QString& name) const
{
    if (name.isEmpty())
        DevHint(false, QStringLiteral("TParamObject.AsVariant参数名为空。"));
    int i = IndexOf(name);
    return i >= 0 ? Params[i].Value : QVariant();
}

QString TParamObject::AsString(const QString& name) const
{
    return VarToStr(AsVariant(name));
}
