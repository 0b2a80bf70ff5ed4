#include "config/CommaList.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestCommaList : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
};

void TestCommaList::split_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("blanks around commas, trailing comma")
        << u"a, b ,c,"_s << QStringList { u"a"_s, u"b"_s, u"c"_s, QString() };
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("blanks only") << u"  \t "_s << QStringList();
    QTest::newRow("blank separates") << u"商品 编号"_s << QStringList { u"商品"_s, u"编号"_s };
    QTest::newRow("tab and control characters separate") << u"a\tb\x01"
                                                            "c"_s
                                                         << QStringList { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("leading blanks skipped") << u"   a,b"_s << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("quoted item keeps commas and blanks")
        << u"\"商品 编号, 名称\",c"_s << QStringList { u"商品 编号, 名称"_s, u"c"_s };
    QTest::newRow("doubled quote") << u"\"say \"\"hi\"\"\""_s << QStringList { u"say \"hi\""_s };
    QTest::newRow("empty quoted item") << u"\"\",a"_s << QStringList { QString(), u"a"_s };
    QTest::newRow("text after closing quote is the next item")
        << u"\"a\"b"_s << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("unclosed quote runs to the end") << u"x,\"abc"_s << QStringList { u"x"_s, u"abc"_s };
    QTest::newRow("quote inside an item") << u"a\"b,c"_s << QStringList { u"a\"b"_s, u"c"_s };
    QTest::newRow("two commas") << u"a,,b"_s << QStringList { u"a"_s, QString(), u"b"_s };
    QTest::newRow("blank comma blank comma") << u"a , , b"_s << QStringList { u"a"_s, QString(), u"b"_s };
    QTest::newRow("comma alone") << u","_s << QStringList { QString(), QString() };
    QTest::newRow("comma then blanks at the end") << u"a, "_s << QStringList { u"a"_s };
    QTest::newRow("double-byte characters stay whole")
        << u"俔乚,乕 匽"_s << QStringList { u"俔乚"_s, u"乕"_s, u"匽"_s };
    QTest::newRow("ideographic space is no separator") << u"a\u3000b"_s << QStringList { u"a\u3000b"_s };
}

void TestCommaList::split()
{
    QFETCH(QString, value);
    QFETCH(QStringList, items);
    QCOMPARE(SplitCommaList(value), items);
}

QTEST_GUILESS_MAIN(TestCommaList)
#include "tst_commalist.moc"
