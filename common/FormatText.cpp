#include "common/FormatText.h"

#include "common/Exception.h"
#include "common/VariantText.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>

namespace {

class Formatter {
public:
    Formatter(const QString& format, const QVariantList& args)
        : FFormat(format)
        , FArgs(args)
    {
    }

    QString run()
    {
        QString out;
        out.reserve(FFormat.size() + 16);
        while (FPos < FFormat.size()) {
            const QChar c = FFormat[FPos++];
            if (c != u'%') {
                out += c;
            } else if (peek() == u'%') {
                ++FPos;
                out += u'%';
            } else {
                out += specifier();
            }
        }
        return out;
    }

private:
    QChar peek() const { return FPos < FFormat.size() ? FFormat[FPos] : QChar(); }

    [[noreturn]] void invalid() const
    {
        throw Exception(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(FFormat));
    }

    const QVariant& nextArg()
    {
        if (FArg >= FArgs.size())
            throw Exception(QStringLiteral("No argument for format '%1'").arg(FFormat));
        return FArgs[FArg++];
    }

    // digits, "*" (taken from the arguments) or nothing (-1)
    int number()
    {
        if (peek() == u'*') {
            ++FPos;
            const QVariant& v = nextArg();
            if (!isInteger(v))
                invalid();
            return int(v.toLongLong());
        }
        int value = -1;
        while (peek().isDigit() && peek().unicode() < 128) {
            value = (value < 0 ? 0 : value * 10) + (FFormat[FPos++].unicode() - u'0');
            if (value > 1000000)
                invalid();
        }
        return value;
    }

    QString specifier()
    {
        int width = number();
        if (peek() == u':') {
            ++FPos;
            FArg = width < 0 ? 0 : width;
            width = -1;
        }
        bool left = false;
        if (width < 0 && peek() == u'-') {
            ++FPos;
            left = true;
        }
        if (width < 0)
            width = number();
        int precision = -1;
        if (peek() == u'.') {
            ++FPos;
            precision = std::max(number(), 0);
        }
        if (FPos >= FFormat.size())
            invalid();
        const char16_t type = FFormat[FPos++].toLower().unicode();
        QString text = convert(type, precision, nextArg());
        if (width > text.size())
            text = left ? text.leftJustified(width) : text.rightJustified(width);
        return text;
    }

    static bool isInteger(const QVariant& v)
    {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return true;
        default:
            return false;
        }
    }

    static bool isNumber(const QVariant& v)
    {
        return isInteger(v) || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
    }

    QString integer(qint64 value, int precision, bool unsignedForm, int base) const
    {
        QString digits;
        bool negative = false;
        if (unsignedForm || base == 16)
            digits = QString::number(quint64(value < 0 && value >= INT32_MIN ? quint32(value) : value), base);
        else {
            negative = value < 0;
            digits = QString::number(negative ? -quint64(value) : quint64(value));
        }
        if (precision > digits.size())
            digits = digits.rightJustified(precision, u'0');
        return (negative ? QStringLiteral("-") : QString()) + digits.toUpper();
    }

    QString convert(char16_t type, int precision, const QVariant& arg) const
    {
        switch (type) {
        case u's': {
            const QString text = VarToStr(arg);
            return precision >= 0 ? text.left(precision) : text;
        }
        case u'd':
        case u'u':
        case u'x':
            if (!isInteger(arg))
                invalid();
            return integer(arg.toLongLong(), precision, type == u'u', type == u'x' ? 16 : 10);
        case u'f':
        case u'n':
        case u'e':
        case u'g':
            if (!isNumber(arg))
                invalid();
            return floating(type, precision, arg.toDouble());
        default:
            invalid();
        }
    }

    static QString floating(char16_t type, int precision, double value)
    {
        if (type == u'g')
            return precision < 0 || precision >= 15
                ? FloatToStr(value)
                : QString::number(value, 'g', std::max(precision, 1)).replace(u'e', u'E');
        if (type == u'e') {
            // -d.ddd…E+ddd with precision significant digits
            const int digits = precision < 0 ? 15 : std::clamp(precision, 1, 18);
            QString text = QString::number(value, 'e', digits - 1);
            const qsizetype e = text.indexOf(u'e');
            const int exponent = text.mid(e + 1).toInt();
            return text.left(e) + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+"))
                + QString::number(std::abs(exponent)).rightJustified(3, u'0');
        }
        const int decimals = precision < 0 ? 2 : std::min(precision, 18);
        if (type == u'f')
            return QString::number(value, 'f', decimals);
        QLocale locale = QLocale::c();
        locale.setNumberOptions(QLocale::DefaultNumberOptions);
        return locale.toString(value, 'f', decimals);
    }

    const QString& FFormat;
    const QVariantList& FArgs;
    qsizetype FPos = 0;
    qsizetype FArg = 0;
};

} // namespace

QString Format(const QString& format, const QVariantList& args)
{
    return Formatter(format, args).run();
}
