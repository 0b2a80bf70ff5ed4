#pragma once

#include <QByteArray>
#include <QStringView>
#include <optional>
#include <vector>

// How the grid orders cell texts: two numbers in the strict syntax by value; otherwise the
// unsigned bytes of the texts' GBK encoding, a text that begins the other one first.
// The keys of a column are made once (number parsed, bytes encoded) and then compared many times.
// The order is not transitive across a column that mixes numbers and texts (10 < "1a" < 9 < 10).
class TSortKeys {
public:
    // Adds the key of text; keys are numbered from 0 in the order added.
    void Add(QStringView text);
    void AddAll(const std::vector<QStringView>& texts);
    int Count() const { return int(FKeys.size()); }

    // < 0, 0 or > 0 as key a stands to key b.
    int Compare(int a, int b) const;
    // The key numbers in sorted order; equal keys keep the order they were added in.
    std::vector<int> StableOrder(bool ascending) const;

    // Optional leading blanks, optional sign, digits with an optional decimal point (at least one
    // digit), an optional exponent (e or E, optional sign, digits), nothing after. The decimal
    // point is '.' whatever the locale. The value is the nearest 80-bit extended one; values beyond
    // its range read as ±infinity or 0.
    static std::optional<long double> ParseNumber(QStringView text);
    // The text in code page 936 bytes; a character it lacks becomes '?'.
    static QByteArray GbkBytes(QStringView text);

private:
    struct Key {
        long double number;
        quint64 prefix; // the first 8 bytes, big-endian, zero-padded: most comparisons end here
        quint32 offset; // of the bytes in FBytes
        quint32 length;
        int index;
        bool isNumber;
    };
    static int CompareKeys(const Key& a, const Key& b, const char* bytes);

    std::vector<Key> FKeys;
    QByteArray FBytes;
};
