#include "common/VariantText.h"

#include "common/Exception.h"
#include "common/Helpers.h"

#include <cmath>
#include <limits>

QString DateToStr(const QDate& date)
{
    return date.toString(ShortDateFormat);
}

QString TimeToStr(const QTime& time)
{
    return time.toString(LongTimeFormat);
}

QString DateTimeToStr(const QDateTime& dateTime)
{
    const QString date = DateToStr(dateTime.date());
    const QTime time = dateTime.time();
    return time == QTime(0, 0) ? date : date + u' ' + TimeToStr(time);
}

QString FloatToStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    // 15 significant digits: "d.dddddddddddddde±x"
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    const int exponent10 = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    const int pointAt = exponent10 + 1; // digits before the decimal point
    if (pointAt > 15 || pointAt < -3) {
        QString mantissa = digits.left(1);
        if (digits.size() > 1)
            mantissa += u'.' + digits.mid(1);
        return sign + mantissa + u'E' + QString::number(exponent10);
    }
    if (pointAt <= 0)
        return sign + QStringLiteral("0.") + QString(-pointAt, u'0') + digits;
    if (pointAt >= digits.size())
        return sign + digits + QString(pointAt - digits.size(), u'0');
    return sign + digits.left(pointAt) + u'.' + digits.mid(pointAt);
}

QString VarToStr(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return DateToStr(value.toDate());
    case QMetaType::QTime:
        return TimeToStr(value.toTime());
    case QMetaType::QDateTime:
        return DateTimeToStr(value.toDateTime());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(value.toDouble());
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

int VarToInt(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::QString:
        return StrToInt(value.toString());
    case QMetaType::Double:
    case QMetaType::Float: {
        // rounded half to even, as the platform converts
        const double rounded = std::nearbyint(value.toDouble());
        if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
            throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(VarToStr(value)));
        return int(rounded);
    }
    default: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(VarToStr(value)));
        return int(number);
    }
    }
}
