#include "config/CommaList.h"

namespace {

bool isSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= u' ';
}

} // namespace

QStringList SplitCommaList(const QString& value)
{
    QStringList items;
    // A NUL ends the value, as it ends the text the file reader hands over.
    qsizetype end = value.indexOf(QChar(0));
    if (end < 0)
        end = value.size();
    qsizetype p = 0;
    const auto at = [&](qsizetype i) { return i < end ? value[i] : QChar(0); };
    while (isSeparatorBlank(at(p)))
        ++p;
    while (p < end) {
        QString item;
        if (at(p) == u'"') {
            ++p;
            for (;;) {
                if (p >= end)
                    break; // an unclosed quote runs to the end of the value
                if (at(p) == u'"') {
                    if (at(p + 1) != u'"') {
                        ++p;
                        break;
                    }
                    ++p;
                }
                item += value[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < end && at(p).unicode() > u' ' && at(p) != u',')
                ++p;
            item = value.mid(start, p - start);
        }
        items.append(item);
        while (isSeparatorBlank(at(p)))
            ++p;
        if (at(p) == u',') {
            if (p + 1 >= end)
                items.append(QString());
            do
                ++p;
            while (isSeparatorBlank(at(p)));
        }
    }
    return items;
}
