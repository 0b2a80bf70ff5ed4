#pragma once

#include <QByteArray>
#include <QStringView>
#include <optional>

// How the grid orders two cell texts: both numbers in the strict syntax → by value; otherwise by
// the unsigned bytes of their GBK encoding, a prefix before the longer text.
// A key holds what one text needs for that, so a sort parses each cell once.
class TCellKey {
public:
    // isNumber / the text's GBK bytes, filled as Make is told.
    static TCellKey Make(QStringView text, bool withBytes);

    // Optional leading blanks, optional sign, digits with an optional decimal point (at least one
    // digit), an optional exponent (e or E, optional sign, digits), nothing after. The decimal
    // point is always '.', whatever the locale. Values beyond range read as ±infinity or 0.
    static std::optional<long double> ParseNumber(QStringView text);
    // The text in code page 936 bytes; characters it lacks become '?'.
    static QByteArray GbkBytes(QStringView text);

    // < 0, 0 or > 0 as a stands to b. Not transitive across a column mixing numbers and texts.
    static int Compare(const TCellKey& a, const TCellKey& b);

    bool isNumber = false;
    long double number = 0;
    QByteArray bytes;
};
