#include "common/CjkFont.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

QFont CjkFont(int pixelSize)
{
    QStringList families { QStringLiteral("宋体"), QStringLiteral("SimSun") };
    // A proportional font before a monospaced one: the forms are laid out for 宋体's widths.
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    const auto proportional = std::find_if(chinese.begin(), chinese.end(),
        [](const QString& family) { return !QFontDatabase::isFixedPitch(family); });
    if (proportional != chinese.end())
        families.append(*proportional);
    else if (!chinese.isEmpty())
        families.append(chinese.first());
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    return font;
}
