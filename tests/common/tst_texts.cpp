#include "common/Exception.h"
#include "common/FormatText.h"
#include "common/VariantText.h"

#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;

// The format routine and the conversion of field values to text.
class TestTexts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void format_data();
    void format();
    void formatErrors_data();
    void formatErrors();
    void varToStr_data();
    void varToStr();
    void varToInt_data();
    void varToInt();
    void varToIntRaisesForText();
};

void TestTexts::initTestCase()
{
    // Whatever the regional settings say, the process formats hold.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestTexts::format_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << u"数据搬移出错：%s"_s << QVariantList { u"无权限"_s }
                          << QStringLiteral("数据搬移出错：无权限");
    QTest::newRow("two texts") << u"select * from %s where id='%s'"_s
                               << QVariantList { u"t_goods"_s, u"0001"_s }
                               << "select * from t_goods where id='0001'";
    QTest::newRow("percent") << u"100%% %s"_s << QVariantList { u"done"_s } << u"100% done"_s;
    QTest::newRow("integer") << u"第 %d 个"_s << QVariantList { 3 } << u"第 3 个"_s;
    QTest::newRow("negative integer") << u"%d"_s << QVariantList { -42 } << u"-42"_s;
    QTest::newRow("width") << u"[%5d]"_s << QVariantList { 42 } << u"[   42]"_s;
    QTest::newRow("left justified") << u"[%-5s]"_s << QVariantList { u"ab"_s } << u"[ab   ]"_s;
    QTest::newRow("integer precision") << u"%.3d"_s << QVariantList { -7 } << u"-007"_s;
    QTest::newRow("width from argument") << u"[%*d]"_s << QVariantList { 4, 7 } << u"[   7]"_s;
    QTest::newRow("text precision") << u"%.2s"_s << QVariantList { u"abcdef"_s } << u"ab"_s;
    // an index sets where the following unindexed ones continue
    QTest::newRow("index") << u"%1:s %0:s %s"_s << QVariantList { u"a"_s, u"b"_s, u"c"_s } << u"b a b"_s;
    QTest::newRow("hexadecimal") << u"%x %.4x"_s << QVariantList { 255, 10 } << u"FF 000A"_s;
    QTest::newRow("unsigned") << u"%u"_s << QVariantList { -1 } << u"4294967295"_s;
    QTest::newRow("64-bit integer") << u"%d"_s << QVariantList { qlonglong(1) << 40 } << u"1099511627776"_s;
    QTest::newRow("fixed") << u"%f %.1f %.0f"_s << QVariantList { 1.5, 2.25, 3.0 } << u"1.50 2.3 3"_s;
    QTest::newRow("number") << u"%n"_s << QVariantList { 1234567.891 } << u"1,234,567.89"_s;
    QTest::newRow("scientific") << u"%e"_s << QVariantList { 1.5 } << u"1.50000000000000E+000"_s;
    QTest::newRow("general") << u"%g %g"_s << QVariantList { 1.5, 1e20 } << u"1.5 1E20"_s;
    QTest::newRow("integer as text") << u"%s"_s << QVariantList { 12 } << u"12"_s;
    QTest::newRow("date as text") << u"%s"_s << QVariantList { QDate(2024, 3, 9) } << u"2024-03-09"_s;
    QTest::newRow("null as text") << u"[%s]"_s << QVariantList { QVariant() } << u"[]"_s;
    QTest::newRow("upper-case type") << u"%S %D"_s << QVariantList { u"x"_s, 1 } << u"x 1"_s;
}

void TestTexts::format()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(Format(format, args), expected);
}

void TestTexts::formatErrors_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Format '%1' invalid or incompatible with argument");
    QTest::newRow("text for %d") << u"%d"_s << QVariantList { u"5"_s } << invalid.arg(u"%d"_s);
    QTest::newRow("real for %d") << u"%d"_s << QVariantList { 1.5 } << invalid.arg(u"%d"_s);
    QTest::newRow("text for %f") << u"%f"_s << QVariantList { u"x"_s } << invalid.arg(u"%f"_s);
    QTest::newRow("unknown type") << u"%q"_s << QVariantList { 1 } << invalid.arg(u"%q"_s);
    QTest::newRow("percent at the end") << u"abc%"_s << QVariantList {} << invalid.arg(u"abc%"_s);
    QTest::newRow("missing argument")
        << u"%s-%s"_s << QVariantList { u"a"_s } << u"No argument for format '%s-%s'"_s;
}

void TestTexts::formatErrors()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, message);
    try {
        Format(format, args);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), message);
    }
}

void TestTexts::varToStr_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    const QDate date(2024, 1, 2);
    QTest::newRow("invalid") << QVariant() << u""_s;
    QTest::newRow("typed null text") << QVariant(QMetaType::fromType<QString>()) << u""_s;
    QTest::newRow("typed null integer") << QVariant(QMetaType::fromType<int>()) << u""_s;
    QTest::newRow("text") << QVariant(QStringLiteral("商品")) << QStringLiteral("商品");
    QTest::newRow("integer") << QVariant(-17) << u"-17"_s;
    QTest::newRow("64-bit integer") << QVariant(qlonglong(9000000000)) << u"9000000000"_s;
    QTest::newRow("boolean") << QVariant(true) << u"True"_s;
    QTest::newRow("date") << QVariant(date) << u"2024-01-02"_s;
    QTest::newRow("time") << QVariant(QTime(9, 5, 7)) << u"09:05:07"_s;
    QTest::newRow("time with milliseconds") << QVariant(QTime(13, 0, 0, 250)) << u"13:00:00"_s;
    QTest::newRow("date and time") << QVariant(QDateTime(date, QTime(14, 3, 4))) << u"2024-01-02 14:03:04"_s;
    QTest::newRow("date and midnight") << QVariant(QDateTime(date, QTime(0, 0))) << u"2024-01-02"_s;
    QTest::newRow("real") << QVariant(-2.5) << u"-2.5"_s;
    QTest::newRow("tenth") << QVariant(0.1) << u"0.1"_s;
    QTest::newRow("third") << QVariant(1.0 / 3) << u"0.333333333333333"_s;
    QTest::newRow("whole real") << QVariant(100.0) << u"100"_s;
    QTest::newRow("fifteen digits") << QVariant(123456789012345.0) << u"123456789012345"_s;
    QTest::newRow("sixteen digits") << QVariant(1234567890123456.0) << u"1.23456789012346E15"_s;
    QTest::newRow("large") << QVariant(1e20) << u"1E20"_s;
    QTest::newRow("small fixed") << QVariant(0.0001) << u"0.0001"_s;
    QTest::newRow("small scientific") << QVariant(1.5e-7) << u"1.5E-7"_s;
    QTest::newRow("zero") << QVariant(0.0) << u"0"_s;
}

void TestTexts::varToStr()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(VarToStr(value), expected);
}

void TestTexts::varToInt_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("invalid") << QVariant() << 0;
    QTest::newRow("typed null") << QVariant(QMetaType::fromType<int>()) << 0;
    QTest::newRow("integer") << QVariant(42) << 42;
    QTest::newRow("text") << QVariant(QStringLiteral(" -12")) << -12;
    QTest::newRow("half rounds to even down") << QVariant(2.5) << 2;
    QTest::newRow("half rounds to even up") << QVariant(3.5) << 4;
    QTest::newRow("boolean") << QVariant(true) << 1;
}

void TestTexts::varToInt()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QCOMPARE(VarToInt(value), expected);
}

void TestTexts::varToIntRaisesForText()
{
    try {
        VarToInt(QVariant(QStringLiteral("abc")));
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    QVERIFY_THROWS_EXCEPTION(Exception, VarToInt(QVariant(qlonglong(1) << 40)));
}

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
