// The data module's parts that need no server: parameter objects, the packed parameter
// list, the record store's conversions and the reading of CONFIG.CFG.
#include "common/Exception.h"
#include "data/IniValue.h"
#include "data/ProcParamPacking.h"
#include "data/TParamObject.h"
#include "data/TRecordStore.h"
#include "tests/support/ScriptedMessages.h"

#include <QTemporaryDir>
#include <QtTest>

class TestDataUnits : public QObject {
    Q_OBJECT

private slots:
    void setParamReplacesCaseInsensitively();
    void setParamFillsAnEmptyEntry();
    void lookups();
    void emptyNameShowsTheHint();
    void packing_data();
    void packing();
    void packingRefusesUnequalLengths();
    void unpacking();
    void storeConversions_data();
    void storeConversions();
    void storeRejectsNonIntegerText();
    void iniValue_data();
    void iniValue();
};

void TestDataUnits::setParamReplacesCaseInsensitively()
{
    TGParamObject p;
    p.SetParam(QStringLiteral("@szDBName"), QStringLiteral("Goods"), 7);
    p.SetParam(QStringLiteral("@SZDBNAME"), QStringLiteral("Partners"), 0);
    QCOMPARE(p.Count, 1);
    QCOMPARE(p.Params.size(), 1);
    QCOMPARE(p.Params[0].Name, QStringLiteral("@szDBName")); // the first spelling stays
    QCOMPARE(p.Params[0].Value, QVariant(QStringLiteral("Partners")));
    QCOMPARE(p.Params[0].Kind, quint8(7)); // a replacement keeps Kind
}

void TestDataUnits::setParamFillsAnEmptyEntry()
{
    TParamObject p;
    p.SetParam(QStringLiteral("@a"), 1);
    p.Params.append({ QString(), QVariant(), 0 });
    p.Count = p.Params.size();
    p.SetParam(QStringLiteral("@b"), 2, 3);
    QCOMPARE(p.Count, 2);
    QCOMPARE(p.Params[1].Name, QStringLiteral("@b"));
    QCOMPARE(p.Params[1].Kind, quint8(3));
}

void TestDataUnits::lookups()
{
    TParamObject p;
    p.SetParam(QStringLiteral("@sznewid"), QStringLiteral("0001"));
    p.SetParam(QStringLiteral("@NewLeveal"), 3);
    p.SetParam(QStringLiteral("@Null"), QVariant());
    QCOMPARE(p.AsVariant(QStringLiteral("@SZNEWID")), QVariant(QStringLiteral("0001")));
    QCOMPARE(p.AsString(QStringLiteral("@newleveal")), QStringLiteral("3"));
    QCOMPARE(p.AsString(QStringLiteral("@Null")), QString());
    QVERIFY(p.AsVariant(QStringLiteral("@missing")).isNull());
    QCOMPARE(p.AsString(QStringLiteral("@missing")), QString());
    // Only ASCII letters fold: a full-width Ａ is not an a.
    p.SetParam(QStringLiteral("@ａ"), 1);
    QVERIFY(p.AsVariant(QStringLiteral("@Ａ")).isNull());
}

void TestDataUnits::emptyNameShowsTheHint()
{
    ScriptedMessages messages;
    TParamObject p;
    p.Params.append({ QString(), QStringLiteral("unnamed"), 0 });
    p.Count = 1;
    QCOMPARE(p.AsVariant(QString()), QVariant(QStringLiteral("unnamed"))); // the lookup still runs
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].caption, QStringLiteral("开发提示"));
    QCOMPARE(messages.shown[0].text, QStringLiteral("TParamObject.AsVariant参数名为空。"));
    QCOMPARE(messages.shown[0].icon, MessageIcon::Information);
}

void TestDataUnits::packing_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QVariant>("packed");
    const auto item = [](const QString& name, const QVariant& value, int type) {
        return QVariant(QVariantList { name, value, type, 0, 0, 0, 0 });
    };
    QTest::newRow("@@ alone: no parameters")
        << QStringList { QStringLiteral("@@") } << QVariantList { 5 } << QVariant();
    QTest::newRow("@@ with blanks") << QStringList { QStringLiteral(" @@ ") } << QVariantList { 5 }
                                    << QVariant();
    QTest::newRow("no names: no parameters") << QStringList() << QVariantList() << QVariant();
    QTest::newRow("text and integer")
        << QStringList { QStringLiteral("@szOldId"), QStringLiteral("@NewLeveal") }
        << QVariantList { QStringLiteral("0001"), 2 }
        << QVariant(QVariantList { item(QStringLiteral("@szOldId"), QStringLiteral("0001"), 1),
               item(QStringLiteral("@NewLeveal"), 2, 3) });
    QTest::newRow("empty text stays text")
        << QStringList { QStringLiteral("@szNewID") } << QVariantList { QStringLiteral("") }
        << QVariant(QVariantList { item(QStringLiteral("@szNewID"), QStringLiteral(""), 1) });
    QTest::newRow("null") << QStringList { QStringLiteral("@x") } << QVariantList { QVariant() }
                          << QVariant(QVariantList { item(QStringLiteral("@x"), QVariant(), 0) });
}

void TestDataUnits::packing()
{
    QFETCH(QStringList, names);
    QFETCH(QVariantList, values);
    QFETCH(QVariant, packed);
    const QVariant got = PackProcParams(names, values);
    QCOMPARE(got.isNull(), packed.isNull());
    QCOMPARE(got, packed);
    if (!packed.isNull())
        QCOMPARE(got.toList()[0].toList()[1].typeId(), packed.toList()[0].toList()[1].typeId());
}

void TestDataUnits::packingRefusesUnequalLengths()
{
    QVERIFY_THROWS_EXCEPTION(
        Exception, PackProcParams({ QStringLiteral("@a"), QStringLiteral("@b") }, { 1 }));
}

void TestDataUnits::unpacking()
{
    TGParams params;
    UnpackProcParams(QVariant(), params);
    QVERIFY(params.isEmpty());
    UnpackProcParams(QStringLiteral("not a list"), params);
    QVERIFY(params.isEmpty());
    const QVariant packed
        = QVariantList { QVariantList { QStringLiteral("@szNewID"), QStringLiteral("0042"), 1, 2, 0, 0, 0 },
              QStringLiteral("garbage"), QVariantList { QStringLiteral("@short") },
              QVariantList { QStringLiteral("@extra"), 7, 3, 2, 0, 0, 0 } };
    UnpackProcParams(packed, params);
    QCOMPARE(params.size(), 2);
    QCOMPARE(params[0].Name, QStringLiteral("@szNewID"));
    QCOMPARE(params[0].Value, QVariant(QStringLiteral("0042")));
    QCOMPARE(params[1].Name, QStringLiteral("@extra"));
    QCOMPARE(params[1].Value, QVariant(7));
}

void TestDataUnits::storeConversions_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("integer"); // invalid: AsInteger raises
    QTest::newRow("null") << QVariant() << QString() << QVariant(0);
    QTest::newRow("integer") << QVariant(-42) << QStringLiteral("-42") << QVariant(-42);
    QTest::newRow("64-bit in range") << QVariant(qlonglong(7)) << QStringLiteral("7") << QVariant(7);
    QTest::newRow("integer text") << QVariant(QStringLiteral("123")) << QStringLiteral("123")
                                  << QVariant(123);
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << QString() << QVariant();
    QTest::newRow("chinese text") << QVariant(QStringLiteral("全部商品")) << QStringLiteral("全部商品")
                                  << QVariant();
}

void TestDataUnits::storeConversions()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(QVariant, integer);
    TRecordStore store;
    store.Reset({ QStringLiteral("A"), QStringLiteral("B") });
    store.AppendText(QStringLiteral("before"));
    store.AppendValue(value);
    store.AppendInteger(1);
    store.AppendText(QStringLiteral("after"));
    QVERIFY(store.Complete());
    QCOMPARE(store.RowCount(), 2);
    QCOMPARE(store.Text(0, 1), text);
    QCOMPARE(store.Text(0, 1).isNull(), text.isNull() && value.isNull());
    QCOMPARE(
        store.Value(0, 1), value.typeId() == QMetaType::LongLong ? QVariant(int(value.toLongLong())) : value);
    if (integer.isValid())
        QCOMPARE(store.Integer(0, 1), integer.toInt());
    else
        QVERIFY_THROWS_EXCEPTION(Exception, store.Integer(0, 1));
    QCOMPARE(store.Text(0, 0), QStringLiteral("before"));
    QCOMPARE(store.Text(1, 1), QStringLiteral("after"));
}

void TestDataUnits::storeRejectsNonIntegerText()
{
    TRecordStore store;
    store.Reset({ QStringLiteral("A") });
    store.AppendText(QStringLiteral("abc"));
    try {
        store.Integer(0, 0);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
}

void TestDataUnits::iniValue_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("[SERVER]\r\nSOCKETPORT=215\r\nUseMutiSvr=YES\r\n")
                           << QStringLiteral("SOCKETPORT") << QStringLiteral("215");
    QTest::newRow("case-insensitive section and key")
        << QByteArray("[server]\nsocketport=216\n") << QStringLiteral("SOCKETPORT") << QStringLiteral("216");
    QTest::newRow("blanks trimmed") << QByteArray("  [ SERVER ]  \n  SOCKETPORT =  217  \n")
                                    << QStringLiteral("SOCKETPORT") << QStringLiteral("217");
    QTest::newRow("quotes removed") << QByteArray("[SERVER]\nUseMutiSvr=\"YES\"\n")
                                    << QStringLiteral("UseMutiSvr") << QStringLiteral("YES");
    QTest::newRow("other section only") << QByteArray("[CLIENT]\nSOCKETPORT=218\n")
                                        << QStringLiteral("SOCKETPORT") << QStringLiteral("default");
    QTest::newRow("key after the section ends") << QByteArray("[SERVER]\nA=1\n[OTHER]\nSOCKETPORT=219\n")
                                                << QStringLiteral("SOCKETPORT") << QStringLiteral("default");
    QTest::newRow("first occurrence wins") << QByteArray("[SERVER]\nSOCKETPORT=220\nSOCKETPORT=221\n")
                                           << QStringLiteral("SOCKETPORT") << QStringLiteral("220");
    QTest::newRow("comment line") << QByteArray("[SERVER]\n;SOCKETPORT=222\n") << QStringLiteral("SOCKETPORT")
                                  << QStringLiteral("default");
    QTest::newRow("empty value") << QByteArray("[SERVER]\nSOCKETPORT=\n") << QStringLiteral("SOCKETPORT")
                                 << QString();
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF[SERVER]\nSOCKETPORT=223\n")
                                    << QStringLiteral("SOCKETPORT") << QStringLiteral("223");
}

void TestDataUnits::iniValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CONFIG.CFG"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    QCOMPARE(ReadIniValue(path, QStringLiteral("SERVER"), key, QStringLiteral("default")), expected);
}

QTEST_MAIN(TestDataUnits)
#include "TestDataUnits.moc"
