#include "config/TCfgFileReader.h"
#include "tests/config/CfgFiles.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestCfgFileReader : public QObject {
    Q_OBJECT

private slots:
    void value_data();
    void value();
    void sectionValuesInFileOrder();
    void invalidBytesDoNotStopTheReader();
};

void TestCfgFileReader::value_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expected");
    const QString ascii3000 = QString(3000, u'x');
    const QString chinese1500 = QString(1500, u'数');
    QTest::newRow("GBK") << u"[S]\nK=基本信息搬移\n"_s << int(CfgFiles::Gbk) << u"基本信息搬移"_s;
    QTest::newRow("UTF-8 with byte-order mark")
        << u"[S]\nK=基本信息搬移\n"_s << int(CfgFiles::Utf8WithBom) << u"基本信息搬移"_s;
    QTest::newRow("3000 bytes seen as 2047")
        << u"[S]\nK="_s + ascii3000 << int(CfgFiles::Gbk) << ascii3000.left(2047);
    QTest::newRow("GBK cut before a character it would split")
        << u"[S]\nK="_s + chinese1500 << int(CfgFiles::Gbk) << chinese1500.left(1023);
    QTest::newRow("GBK cut after a whole character")
        << u"[S]\nK=a"_s + chinese1500 << int(CfgFiles::Gbk) << u"a"_s + chinese1500.left(1023);
    QTest::newRow("UTF-8 cut in bytes of UTF-8")
        << u"[S]\nK=ab"_s + chinese1500 << int(CfgFiles::Utf8WithBom) << u"ab"_s + chinese1500.left(681);
    QTest::newRow("limit counted after trimming")
        << u"[S]\nK=     "_s + ascii3000 << int(CfgFiles::Gbk) << ascii3000.left(2047);
    QTest::newRow("blanks around the key") << u"[S]\n  K \t= v\n"_s << int(CfgFiles::Gbk) << u"v"_s;
    QTest::newRow("blanks around the section name") << u"[ S ]\nK=v\n"_s << int(CfgFiles::Gbk) << u"v"_s;
    QTest::newRow("key before any section ignored") << u"K=v\n[S]\n"_s << int(CfgFiles::Gbk) << u"absent"_s;
    QTest::newRow("line without equals sign ignored") << u"[S]\nK\n"_s << int(CfgFiles::Gbk) << u"absent"_s;
    QTest::newRow("last line without line end") << u"[S]\nK=v"_s << int(CfgFiles::Gbk) << u"v"_s;
    QTest::newRow("other section") << u"[T]\nK=v\n"_s << int(CfgFiles::Gbk) << u"absent"_s;
    QTest::newRow("ideographic space is no blank")
        << u"[S]\nK=\u3000v\u3000\n"_s << int(CfgFiles::Gbk) << u"\u3000v\u3000"_s;
    QTest::newRow("empty value is present") << u"[S]\nK=\n"_s << int(CfgFiles::Gbk) << QString();
}

void TestCfgFileReader::value()
{
    QFETCH(QString, file);
    QFETCH(int, encoding);
    QFETCH(QString, expected);
    CfgFiles files;
    TCfgFileReader reader(files.Write(file, CfgFiles::Encoding(encoding)));
    QCOMPARE(reader.ReadString(u"s"_s, u"k"_s, u"absent"_s), expected);
}

void TestCfgFileReader::sectionValuesInFileOrder()
{
    CfgFiles files;
    TCfgFileReader reader(files.Write(u"[S]\nB=2\nA=1\n[T]\nC=3\n[s]\nD=\n"_s));
    reader.Refresh();
    QStringList pairs;
    for (const TCfgFileReader::Entry& entry : reader.SectionValues(u"S"_s))
        pairs << entry.key + u'=' + entry.value;
    QCOMPARE(pairs, QStringList({ u"B=2"_s, u"A=1"_s, u"D="_s }));
}

void TestCfgFileReader::invalidBytesDoNotStopTheReader()
{
    CfgFiles files;
    QFile file(files.Path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[S]\r\nBad=\x81\x7F\xFF\r\nK=ok\r\n");
    file.close();
    TCfgFileReader reader(files.Path());
    QCOMPARE(reader.ReadString(u"S"_s, u"K"_s, QString()), u"ok"_s);
    QVERIFY(reader.ReadString(u"S"_s, u"Bad"_s, QString()).contains(QChar::ReplacementCharacter));
}

QTEST_GUILESS_MAIN(TestCfgFileReader)
#include "tst_cfgfilereader.moc"
