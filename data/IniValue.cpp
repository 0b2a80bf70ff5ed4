#include "data/IniValue.h"

#include <QFile>
#include <QStringDecoder>

namespace {

QString DecodeIniText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    return gbk.isValid() ? gbk.decode(bytes) : QString::fromLatin1(bytes);
}

QString Unquoted(const QString& value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

QString ReadIniValue(const QString& path, const QString& section, const QString& key, const QString& def)
{
    QFile file(path);
    // CONFIG.CFG is a few lines; a bound keeps a wrong path from reading a huge file.
    constexpr qint64 maxBytes = 1 << 20;
    if (!file.open(QIODevice::ReadOnly))
        return def;
    const QString text = DecodeIniText(file.read(maxBytes));
    file.close();

    bool inSection = false;
    bool sectionSeen = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (sectionSeen && inSection)
                return def; // only the first section of that name counts
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return Unquoted(line.mid(eq + 1).trimmed().toString());
    }
    return def;
}
