#include "controls/TSortKeys.h"

#include <QTest>
#include <clocale>
#include <cmath>

using namespace Qt::StringLiterals;

// The cell order of the grid: strict numbers by value, everything else by GBK bytes.
class TestSortKeys : public QObject {
    Q_OBJECT

private slots:
    void parseNumber_data();
    void parseNumber();
    void parseNumberIgnoresLocale();
    void compare_data();
    void compare();
    void gbkBytes_data();
    void gbkBytes();
};

void TestSortKeys::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << u"10"_s << true << 10.0;
    QTest::newRow("leading blanks") << u"   7"_s << true << 7.0;
    QTest::newRow("plus sign") << u"+3"_s << true << 3.0;
    QTest::newRow("minus sign after blanks") << u"  -2.5"_s << true << -2.5;
    QTest::newRow("no integer digits") << u".5"_s << true << 0.5;
    QTest::newRow("no fraction digits") << u"5."_s << true << 5.0;
    QTest::newRow("exponent") << u"1.5e3"_s << true << 1500.0;
    QTest::newRow("upper-case exponent with sign") << u"25E-1"_s << true << 2.5;
    QTest::newRow("leading zeros") << u"007"_s << true << 7.0;
    QTest::newRow("beyond double range still a number") << u"1e400"_s << true << qInf();
    QTest::newRow("beyond range, negative") << u"-1e99999"_s << true << -qInf();
    QTest::newRow("too small reads as zero") << u"1e-99999"_s << true << 0.0;

    QTest::newRow("empty") << u""_s << false << 0.0;
    QTest::newRow("blanks only") << u"   "_s << false << 0.0;
    QTest::newRow("sign only") << u"-"_s << false << 0.0;
    QTest::newRow("point only") << u"."_s << false << 0.0;
    QTest::newRow("trailing blank") << u"10 "_s << false << 0.0;
    QTest::newRow("trailing letters") << u"1a"_s << false << 0.0;
    QTest::newRow("comma decimal") << u"1,5"_s << false << 0.0;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0;
    QTest::newRow("exponent sign without digits") << u"1e+"_s << false << 0.0;
    QTest::newRow("two signs") << u"+-1"_s << false << 0.0;
    QTest::newRow("blank after sign") << u"- 1"_s << false << 0.0;
    QTest::newRow("tab is no blank") << u"\t1"_s << false << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_s << false << 0.0;
    QTest::newRow("infinity word") << u"inf"_s << false << 0.0;
    QTest::newRow("nan word") << u"nan"_s << false << 0.0;
    QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false << 0.0;
    QTest::newRow("two points") << u"1.2.3"_s << false << 0.0;
}

void TestSortKeys::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<long double> number = TSortKeys::ParseNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(double(*number), value);
}

void TestSortKeys::parseNumberIgnoresLocale()
{
    const QByteArray previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("no German locale installed to compare against");
    const bool comma = TSortKeys::ParseNumber(u"1,5").has_value();
    const std::optional<long double> point = TSortKeys::ParseNumber(u"1.5");
    std::setlocale(LC_NUMERIC, previous.constData());
    QVERIFY(!comma);
    QVERIFY(point.has_value());
    QCOMPARE(double(*point), 1.5);
}

void TestSortKeys::compare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");

    QTest::newRow("numbers by value, not by text") << u"9"_s << u"10"_s << -1;
    QTest::newRow("1.5 equals 1.50") << u"1.5"_s << u"1.50"_s << 0;
    QTest::newRow("negative below positive") << u"-3"_s << u"2"_s << -1;
    QTest::newRow("exponent by value") << u"2e1"_s << u"19"_s << 1;
    QTest::newRow("blank-led number by value") << u" 8"_s << u"10"_s << -1;
    QTest::newRow("18 digits, beyond double precision")
        << u"123456789012345678"_s << u"123456789012345679"_s << -1;
    QTest::newRow("20 digits, read the long way")
        << u"12345678901234567890"_s << u"12345678901234567891"_s << -1;
    QTest::newRow("short and long forms rounded alike") << u"0.1"_s << u"0.10000000000000000001"_s << -1;
    QTest::newRow("same value, different digits") << u"120e-1"_s << u"12.000000000000000000000"_s << 0;
    QTest::newRow("number against text compares texts") << u"10"_s << u"abc"_s << -1;
    QTest::newRow("text against number compares texts") << u"9"_s << u"1a"_s << 1;
    QTest::newRow("empty before any text") << u""_s << u"a"_s << -1;
    QTest::newRow("empty before a number") << u""_s << u"0"_s << -1;
    QTest::newRow("empty equals empty") << u""_s << u""_s << 0;
    QTest::newRow("prefix before longer text") << u"ab"_s << u"abc"_s << -1;
    QTest::newRow("upper case before lower case") << u"Zebra"_s << u"apple"_s << -1;
    QTest::newRow("case sensitive") << u"a"_s << u"A"_s << 1;
    QTest::newRow("ASCII before Chinese") << u"z"_s << QString::fromUtf8("中") << -1;
    // 国 is B9FA, 中 is D6D0 in GBK, though U+56FD follows U+4E2D.
    QTest::newRow("Chinese by GBK, not by Unicode")
        << QString::fromUtf8("国") << QString::fromUtf8("中") << -1;
    QTest::newRow("same Chinese texts") << QString::fromUtf8("商品") << QString::fromUtf8("商品") << 0;
}

void TestSortKeys::compare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);

    TSortKeys keys;
    keys.Add(a);
    keys.Add(b);
    const auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    QCOMPARE(sign(keys.Compare(0, 1)), order);
    QCOMPARE(sign(keys.Compare(1, 0)), -order);
}

void TestSortKeys::gbkBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ASCII as is") << u"Ab 1"_s << QByteArray("Ab 1");
    QTest::newRow("Chinese two bytes each") << QString::fromUtf8("中国") << QByteArray("\xD6\xD0\xB9\xFA");
    QTest::newRow("mixed") << QString::fromUtf8("A中") << QByteArray("A\xD6\xD0");
    QTest::newRow("full-width colon") << QString::fromUtf8("：") << QByteArray("\xA3\xBA");
    QTest::newRow("outside the code page") << QString::fromUtf8("😀") << QByteArray("??");
}

void TestSortKeys::gbkBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(TSortKeys::GbkBytes(text), bytes);
}

QTEST_GUILESS_MAIN(TestSortKeys)
#include "TestSortKeys.moc"
