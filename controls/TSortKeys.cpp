#include "controls/TSortKeys.h"

#include <QStringEncoder>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// GBK code of each BMP character met so far: 0 unknown, below 0x100 one byte, else two.
// Looking characters up one by one is many times faster than handing each text to the
// converter, and gives the same bytes: code page 936 has no shift states.
quint16 GbkCode(char16_t c)
{
    static std::vector<quint16> table(0x10000, 0);
    quint16& code = table[c];
    if (code == 0) {
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        const QChar ch(c);
        const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
        if (encoder.hasError() || bytes.isEmpty() || bytes.size() > 2 || bytes[0] == 0)
            code = '?';
        else if (bytes.size() == 1)
            code = quint8(bytes[0]);
        else
            code = quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
    }
    return code;
}

void AppendGbk(QStringView text, QByteArray& out)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        const quint16 code = ch.isSurrogate() ? quint16('?') : GbkCode(c);
        if (code > 0xFF)
            out.append(char(code >> 8));
        out.append(char(code & 0xFF));
    }
}

// Powers of ten up to 10^27 are exact in the 64-bit mantissa of an extended value.
constexpr int MaxExactPower = 27;
const std::array<long double, MaxExactPower + 1>& PowersOfTen()
{
    static const std::array<long double, MaxExactPower + 1> powers = [] {
        std::array<long double, MaxExactPower + 1> p {};
        p[0] = 1;
        for (int k = 1; k <= MaxExactPower; ++k)
            p[size_t(k)] = p[size_t(k - 1)] * 10;
        return p;
    }();
    return powers;
}

long double ParseInCLocale(QStringView ascii)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    QVarLengthArray<char, 64> buffer;
    for (QChar ch : ascii)
        buffer.append(char(ch.unicode()));
    buffer.append('\0');
    return strtold_l(buffer.data(), nullptr, cLocale);
}

} // namespace

std::optional<long double> TSortKeys::ParseNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const qsizetype start = i;

    // value = mantissa × 10^scale while the significant digits fit in 64 bits
    quint64 mantissa = 0;
    int significant = 0;
    long scale = 0;
    bool fits = true;
    qsizetype digits = 0;
    bool fraction = false;
    for (; i < n; ++i) {
        if (text[i] == u'.' && !fraction) {
            fraction = true;
            continue;
        }
        if (!IsDigit(text[i]))
            break;
        ++digits;
        const int digit = text[i].unicode() - u'0';
        if (significant == 0 && digit == 0) {
            scale -= fraction;
        } else if (significant < 19) {
            mantissa = mantissa * 10 + quint64(digit);
            ++significant;
            scale -= fraction;
        } else {
            fits = false;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            negativeExponent = text[i++] == u'-';
        const qsizetype expStart = i;
        long exponent = 0;
        for (; i < n && IsDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 1000000L);
        if (i == expStart)
            return std::nullopt;
        scale += negativeExponent ? -exponent : exponent;
    }
    if (i != n)
        return std::nullopt;

    long double value;
    if (mantissa == 0 && fits)
        value = 0;
    else if (fits && scale >= 0 && scale <= MaxExactPower)
        value = (long double)mantissa * PowersOfTen()[size_t(scale)]; // one correctly rounded step
    else if (fits && scale < 0 && -scale <= MaxExactPower)
        value = (long double)mantissa / PowersOfTen()[size_t(-scale)];
    else
        value = ParseInCLocale(text.mid(start)); // long or extreme numbers: rare, so the slow way
    return negative ? -value : value;
}

QByteArray TSortKeys::GbkBytes(QStringView text)
{
    QByteArray bytes;
    AppendGbk(text, bytes);
    return bytes;
}

// The texts of a column lie scattered over the heap: fetch them a little ahead.
void TSortKeys::AddAll(const std::vector<QStringView>& texts)
{
    constexpr size_t ahead = 16;
    FKeys.reserve(FKeys.size() + texts.size());
    qsizetype chars = 0;
    for (QStringView text : texts)
        chars += text.size();
    FBytes.reserve(FBytes.size() + 2 * chars);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i + ahead < texts.size())
            __builtin_prefetch(texts[i + ahead].data());
        Add(texts[i]);
    }
}

void TSortKeys::Add(QStringView text)
{
    Key key {};
    key.index = Count();
    if (const std::optional<long double> number = ParseNumber(text)) {
        key.isNumber = true;
        key.number = *number;
    }
    key.offset = quint32(FBytes.size());
    AppendGbk(text, FBytes);
    key.length = quint32(FBytes.size()) - key.offset;
    for (quint32 k = 0; k < 8; ++k)
        key.prefix = key.prefix << 8 | (k < key.length ? quint8(FBytes[key.offset + k]) : 0);
    FKeys.push_back(key);
}

int TSortKeys::CompareKeys(const Key& a, const Key& b, const char* bytes)
{
    if (a.isNumber && b.isNumber)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    const quint32 common = std::min(a.length, b.length);
    if (common > 8) {
        const int c = std::memcmp(bytes + a.offset + 8, bytes + b.offset + 8, common - 8);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

int TSortKeys::Compare(int a, int b) const
{
    return CompareKeys(FKeys[size_t(a)], FKeys[size_t(b)], FBytes.constData());
}

// A merge sort only ever compares elements inside the range, so it stays in bounds even where
// the order is not transitive; std::sort may not. It moves what it sorts many times over, so it
// sorts small stand-ins that settle most comparisons and fall back to the full keys on a tie:
// rounding to double never reverses an order, and equal prefixes leave the rest of the bytes.
std::vector<int> TSortKeys::StableOrder(bool ascending) const
{
    struct Item {
        double approx;
        quint64 prefix;
        int index;
        bool isNumber;
    };
    std::vector<Item> items;
    items.reserve(FKeys.size());
    for (const Key& key : FKeys)
        items.push_back({ double(key.number), key.prefix, key.index, key.isNumber });
    const auto order = [this](const Item& a, const Item& b) {
        if (a.isNumber && b.isNumber) {
            if (a.approx != b.approx)
                return a.approx < b.approx ? -1 : 1;
        } else if (a.prefix != b.prefix) {
            return a.prefix < b.prefix ? -1 : 1;
        }
        return Compare(a.index, b.index);
    };
    if (ascending)
        std::stable_sort(
            items.begin(), items.end(), [&order](const Item& a, const Item& b) { return order(a, b) < 0; });
    else
        std::stable_sort(
            items.begin(), items.end(), [&order](const Item& a, const Item& b) { return order(a, b) > 0; });
    std::vector<int> result;
    result.reserve(items.size());
    for (const Item& item : items)
        result.push_back(item.index);
    return result;
}
