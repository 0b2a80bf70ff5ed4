#include "controls/TCellKey.h"

#include <QStringEncoder>
#include <QVarLengthArray>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// GBK code of each BMP character met so far: 0 unknown, below 0x100 one byte, else two.
// Encoding character by character through one table is many times faster than handing every
// text to the converter, and gives the same bytes: code page 936 has no shift states.
quint16 GbkCode(char16_t c)
{
    static std::vector<quint16> table(0x10000, 0);
    quint16& code = table[c];
    if (code == 0) {
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        const QChar ch(c);
        const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
        if (encoder.hasError() || bytes.isEmpty() || bytes.size() > 2 || (bytes.size() == 1 && bytes[0] == 0))
            code = '?';
        else if (bytes.size() == 1)
            code = quint8(bytes[0]);
        else
            code = quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
    }
    return code;
}

} // namespace

std::optional<long double> TCellKey::ParseNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const qsizetype start = i;
    qsizetype digits = 0;
    for (; i < n && IsDigit(text[i]); ++i)
        ++digits;
    if (i < n && text[i] == u'.') {
        for (++i; i < n && IsDigit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype expStart = i;
        while (i < n && IsDigit(text[i]))
            ++i;
        if (i == expStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    // Only ASCII is left; from_chars takes no sign and ignores the locale.
    QVarLengthArray<char, 64> ascii;
    for (qsizetype k = start; k < n; ++k)
        ascii.append(char(text[k].unicode()));
    long double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Saturate as strtold does, read in the C locale whatever the process uses.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
        ascii.append('\0');
        value = strtold_l(ascii.data(), nullptr, cLocale);
    } else if (ec != std::errc() || end != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

QByteArray TCellKey::GbkBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            bytes.append(char(c));
            continue;
        }
        const quint16 code = ch.isSurrogate() ? quint16('?') : GbkCode(c);
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
    }
    return bytes;
}

TCellKey TCellKey::Make(QStringView text, bool withBytes)
{
    TCellKey key;
    if (const std::optional<long double> number = ParseNumber(text)) {
        key.isNumber = true;
        key.number = *number;
    }
    if (withBytes)
        key.bytes = GbkBytes(text);
    return key;
}

int TCellKey::Compare(const TCellKey& a, const TCellKey& b)
{
    if (a.isNumber && b.isNumber)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    const qsizetype common = std::min(a.bytes.size(), b.bytes.size());
    const int c = common ? std::memcmp(a.bytes.constData(), b.bytes.constData(), size_t(common)) : 0;
    if (c != 0)
        return c;
    return a.bytes.size() < b.bytes.size() ? -1 : (a.bytes.size() > b.bytes.size() ? 1 : 0);
}
