#include "tests/wire/RawCalls.h"
#include "wire/RowPacketWriter.h"
#include "wire/WireCodec.h"

#include <QtEndian>
#include <QtTest>

using Status = WireCodec::Parsed::Status;
using Type = WireMessage::Type;

namespace {

QByteArray frameOf(const QByteArray& payload, quint8 kind = 1)
{
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size() + 1), frame.data());
    frame.append(char(kind));
    return frame + payload;
}

QByteArray encoded(const WireMessage& m)
{
    QByteArray frame;
    QString error;
    if (!WireCodec::encodeMessage(m, &frame, &error))
        qFatal("cannot encode: %s", qPrintable(error));
    return frame;
}

WireMessage resultWith(const QVariant& value)
{
    WireMessage m;
    m.type = Type::Result;
    m.id = 7;
    m.result = value;
    m.args = { value };
    return m;
}

// Compares values including their types: an int must not come back as a qlonglong.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!sameValue(x[i], y[i]))
                return false;
        }
        return true;
    }
    return a == b;
}

} // namespace

class TestWireCodec : public QObject {
    Q_OBJECT
private slots:
    void valuesKeepTheirType_data();
    void valuesKeepTheirType();
    void everyMessageTypeRoundTrips();
    void splitFramesWaitForTheRest();
    void badFrames_data();
    void badFrames();
    void badMessages_data();
    void badMessages();
    void valuesThatCannotTravel();
    void oversizeMessageIsNotEncoded();
    void rowPacketsStayUnderTheLimit();
    void rowTooLargeForAnyPacket();
};

void TestWireCodec::valuesKeepTheirType_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("null") << QVariant();
    QTest::newRow("true") << QVariant(true);
    QTest::newRow("false") << QVariant(false);
    QTest::newRow("int32 zero") << QVariant(0);
    QTest::newRow("int32 min") << QVariant(std::numeric_limits<qint32>::min());
    QTest::newRow("int32 max") << QVariant(std::numeric_limits<qint32>::max());
    QTest::newRow("int64 small") << QVariant(qlonglong(5));
    QTest::newRow("int64 min") << QVariant(std::numeric_limits<qlonglong>::min());
    QTest::newRow("int64 max") << QVariant(std::numeric_limits<qlonglong>::max());
    QTest::newRow("real") << QVariant(-2.5e-300);
    QTest::newRow("empty text") << QVariant(QStringLiteral(""));
    QTest::newRow("chinese text") << QVariant(QStringLiteral("数据搬移出错：详情未知\r（错误号 -7）"));
    QTest::newRow("bytes with zeros") << QVariant(QByteArray("a\0b\xff", 4));
    QTest::newRow("empty array") << QVariant(QVariantList());
    QTest::newRow("packed parameters") << QVariant(
        QVariantList { QVariantList { QStringLiteral("@szDBName"), QStringLiteral("t_goods"), 1, 0, 0, 0, 0 },
            QVariantList { QStringLiteral("@NewLeveal"), 2, 3, 0, 0, 0, 0 } });
}

void TestWireCodec::valuesKeepTheirType()
{
    QFETCH(QVariant, value);
    const WireCodec::Parsed p = WireCodec::parse(encoded(resultWith(value)));
    QCOMPARE(p.status, Status::Complete);
    QVERIFY2(sameValue(p.message.result, value), qPrintable(p.message.result.toString()));
    QCOMPARE(p.message.args.size(), 1);
    QVERIFY(sameValue(p.message.args[0], value));
}

void TestWireCodec::everyMessageTypeRoundTrips()
{
    QList<WireMessage> messages;
    WireMessage m;
    m.type = Type::Hello;
    m.text = QStringLiteral("{E43FDAC8-B976-4530-83BF-970FD75D9C87}");
    messages << m;
    m = {};
    m.type = Type::Welcome;
    messages << m;
    m = {};
    m.type = Type::Refused;
    m.text = QStringLiteral("not served here");
    messages << m;
    m = {};
    m.type = Type::Call;
    m.id = 12;
    m.text = QStringLiteral("ChangeDb");
    m.args = { QStringLiteral("zt001") };
    messages << m;
    m = {};
    m.type = Type::Error;
    m.id = 13;
    m.text = QStringLiteral("no such table: t_x");
    messages << m;
    m = {};
    m.type = Type::Rows;
    m.id = 14;
    m.rows = { { 1, QStringLiteral("a") }, { QVariant(), QByteArray("b") } };
    messages << m;
    m = {};
    m.type = Type::Table;
    m.id = 14;
    m.fields = { QStringLiteral("DBNAME"), QStringLiteral("FULLNAME") };
    m.count = 2;
    messages << m;
    m = {};
    m.type = Type::Stream;
    m.id = 15;
    m.count = qint64(5) << 32;
    messages << m;

    for (const WireMessage& sent : std::as_const(messages)) {
        const QByteArray frame = encoded(sent);
        const WireCodec::Parsed p = WireCodec::parse(frame);
        QCOMPARE(p.status, Status::Complete);
        QCOMPARE(p.consumed, frame.size());
        QCOMPARE(p.message.type, sent.type);
        QCOMPARE(p.message.id, sent.id);
        QCOMPARE(p.message.text, sent.text);
        QCOMPARE(p.message.fields, sent.fields);
        QCOMPARE(p.message.count, sent.count);
        QCOMPARE(p.message.rows, sent.rows);
    }
}

// Every cut through two frames: nothing is taken until a whole frame is there, then exactly it.
void TestWireCodec::splitFramesWaitForTheRest()
{
    const QByteArray first = encoded(resultWith(QStringLiteral("第一")));
    const QByteArray second = WireCodec::encodeChunk("raw bytes");
    const QByteArray stream = first + second;
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        const WireCodec::Parsed p = WireCodec::parse(QByteArrayView(stream).first(cut));
        if (cut < first.size()) {
            QCOMPARE(p.status, Status::Incomplete);
            QCOMPARE(p.consumed, 0);
            continue;
        }
        QCOMPARE(p.status, Status::Complete);
        QCOMPARE(p.consumed, first.size());
        const WireCodec::Parsed rest
            = WireCodec::parse(QByteArrayView(stream).first(cut).sliced(first.size()));
        if (cut < stream.size()) {
            QCOMPARE(rest.status, Status::Incomplete);
        } else {
            QCOMPARE(rest.status, Status::Complete);
            QCOMPARE(rest.kind, WireCodec::FrameKind::Chunk);
            QCOMPARE(rest.chunk, QByteArray("raw bytes"));
        }
    }
}

void TestWireCodec::badFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero length") << QByteArray::fromHex("0000000001");
    QTest::newRow("one byte over the limit, refused from the header alone")
        << QByteArray::fromHex("0040000101");
    QTest::newRow("4 GiB length") << QByteArray::fromHex("ffffffff01");
    QTest::newRow("kind 0") << QByteArray::fromHex("0000000100");
    QTest::newRow("kind 3") << QByteArray::fromHex("00000002036a");
    QTest::newRow("text for a header") << QByteArray("GET / HTTP/1.1\r\n");
}

void TestWireCodec::badFrames()
{
    QFETCH(QByteArray, bytes);
    const WireCodec::Parsed p = WireCodec::parse(bytes);
    QCOMPARE(p.status, Status::BadFrame);
    QVERIFY(!p.error.isEmpty());
}

void TestWireCodec::badMessages_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("not a map: array") << QByteArray::fromHex("80");
    QTest::newRow("not a map: invalid UTF-8 text at the top") << QByteArray::fromHex("62c328");
    QTest::newRow("empty payload") << QByteArray();
    QTest::newRow("map without a type") << QByteArray::fromHex("a0");
    QTest::newRow("unknown type") << QByteArray::fromHex("a1"
                                                         "6474797065"
                                                         "64706f6b65");
    QTest::newRow("duplicate key") << QByteArray::fromHex("a2"
                                                          "6474797065"
                                                          "6777656c636f6d65"
                                                          "6474797065"
                                                          "6777656c636f6d65");
    QTest::newRow("unknown key") << QByteArray::fromHex("a2"
                                                        "6474797065"
                                                        "6777656c636f6d65"
                                                        "6178"
                                                        "01");
    QTest::newRow("key its type does not have") << QByteArray::fromHex("a2"
                                                                       "6474797065"
                                                                       "6777656c636f6d65"
                                                                       "626964"
                                                                       "01");
    QTest::newRow("key its type needs is missing") << QByteArray::fromHex("a3"
                                                                          "6474797065"
                                                                          "6463616c6c"
                                                                          "626964"
                                                                          "01"
                                                                          "626f70"
                                                                          "6158");
    QTest::newRow("integer key") << QByteArray::fromHex("a1"
                                                        "01"
                                                        "01");
    QTest::newRow("invalid UTF-8 key") << QByteArray::fromHex("a1"
                                                              "62c328"
                                                              "01");
    QTest::newRow("invalid UTF-8 in a value") << callWithRawArg(QByteArray::fromHex("62c328"));
    QTest::newRow("plain integer 2^31") << callWithRawArg(QByteArray::fromHex("1a80000000"));
    QTest::newRow("plain integer -2^31-1") << callWithRawArg(QByteArray::fromHex("3a80000000"));
    QTest::newRow("unsigned above 2^63") << callWithRawArg(QByteArray::fromHex("1bffffffffffffffff"));
    QTest::newRow("tagged integer above 2^63-1")
        << callWithRawArg(QByteArray::fromHex("c61b8000000000000000"));
    QTest::newRow("tagged text") << callWithRawArg(QByteArray::fromHex("c66161"));
    QTest::newRow("unknown tag") << callWithRawArg(QByteArray::fromHex("c11a5f000000"));
    QTest::newRow("map as a value") << callWithRawArg(QByteArray::fromHex("a0"));
    QTest::newRow("undefined") << callWithRawArg(QByteArray::fromHex("f7"));
    QTest::newRow("simple value 16") << callWithRawArg(QByteArray::fromHex("f0"));
    QTest::newRow("arrays nested too deeply")
        << callWithRawArg(QByteArray(40, char(0x81)) + QByteArray::fromHex("01"));
    QTest::newRow("text longer than the frame") << callWithRawArg(QByteArray::fromHex("7a7fffffff41"));
    QTest::newRow("array claiming 2^32 items") << callWithRawArg(QByteArray::fromHex("9b000000010000000001"));
    QTest::newRow("stray break after a string in a counted array")
        << callWithRawArg(QByteArray::fromHex("9b00000000100000046161ff40"));
    QTest::newRow("more values than a message may hold") << callWithRawArg(
        QByteArray::fromHex("9a00100001") + QByteArray(WireCodec::MaxValues + 1, char(0xf6)));
    QTest::newRow("truncated inside the args") << callWithRawArg(QByteArray::fromHex("82"));
    QTest::newRow("bytes after the map") << QByteArray::fromHex("a1"
                                                                "6474797065"
                                                                "6777656c636f6d65"
                                                                "00");
    QTest::newRow("negative id") << QByteArray::fromHex("a3"
                                                        "6474797065"
                                                        "656572726f72"
                                                        "626964"
                                                        "20"
                                                        "676d657373616765"
                                                        "6161");
    QTest::newRow("text id") << QByteArray::fromHex("a3"
                                                    "6474797065"
                                                    "656572726f72"
                                                    "626964"
                                                    "6131"
                                                    "676d657373616765"
                                                    "6161");
    QTest::newRow("args not an array") << callWithRawArgs(QByteArray::fromHex("01"));
    QTest::newRow("a row that is not an array") << QByteArray::fromHex("a3"
                                                                       "6474797065"
                                                                       "64726f7773"
                                                                       "626964"
                                                                       "01"
                                                                       "64726f7773"
                                                                       "8101");
    QTest::newRow("rows of different lengths") << QByteArray::fromHex("a3"
                                                                      "6474797065"
                                                                      "64726f7773"
                                                                      "626964"
                                                                      "01"
                                                                      "64726f7773"
                                                                      "82810180");
    QTest::newRow("a field name that is not text") << QByteArray::fromHex("a4"
                                                                          "6474797065"
                                                                          "657461626c65"
                                                                          "626964"
                                                                          "01"
                                                                          "666669656c6473"
                                                                          "8101"
                                                                          "65636f756e74"
                                                                          "00");
    QTest::newRow("negative count") << QByteArray::fromHex("a3"
                                                           "6474797065"
                                                           "6673747265616d"
                                                           "626964"
                                                           "01"
                                                           "6473697a65"
                                                           "20");
}

void TestWireCodec::badMessages()
{
    QFETCH(QByteArray, payload);
    const QByteArray frame = frameOf(payload);
    const WireCodec::Parsed p = WireCodec::parse(frame);
    QCOMPARE(p.status, Status::BadMessage);
    QVERIFY(!p.error.isEmpty());
    QCOMPARE(p.consumed, frame.size()); // the stream stays in step
}

void TestWireCodec::valuesThatCannotTravel()
{
    QByteArray frame;
    QString error;
    QVERIFY(!WireCodec::encodeMessage(resultWith(QDate(2024, 1, 2)), &frame, &error));
    QVERIFY(error.contains(u"QDate"));
    QVERIFY(!WireCodec::encodeMessage(
        resultWith(QVariant(std::numeric_limits<qulonglong>::max())), &frame, &error));
}

void TestWireCodec::oversizeMessageIsNotEncoded()
{
    QByteArray frame;
    QString error;
    WireMessage m;
    m.type = Type::Error;
    m.text = QString(WireCodec::MaxFrameSize, u'x');
    QVERIFY(!WireCodec::encodeMessage(m, &frame, &error));
    QVERIFY(!error.isEmpty());
    m.text.resize(WireCodec::MaxFrameSize - 100);
    QVERIFY2(WireCodec::encodeMessage(m, &frame, &error), qPrintable(error));
    QCOMPARE(WireCodec::parse(frame).status, Status::Complete);
}

// 100,000 rows of 10 fields leave in packets, each a valid frame under the limit, and come back whole.
void TestWireCodec::rowPacketsStayUnderTheLimit()
{
    RowPacketWriter writer(3);
    QList<QByteArray> frames;
    QString error;
    const int rowCount = 100000;
    for (int i = 0; i < rowCount; ++i) {
        const QVariantList row = { QStringLiteral("0101%1").arg(i, 6, 10, QLatin1Char('0')),
            QStringLiteral("商品名称 %1").arg(i), QStringLiteral("规格型号"), QStringLiteral("个"),
            qlonglong(i % 4), qlonglong(i), 12.5, QVariant(), QStringLiteral("备注"), qlonglong(0) };
        RowPacketWriter::Append added = writer.append(row, &error);
        if (added == RowPacketWriter::Append::Full) {
            frames << writer.takeFrame();
            added = writer.append(row, &error);
        }
        QCOMPARE(added, RowPacketWriter::Append::Added);
        if (writer.isFull())
            frames << writer.takeFrame();
    }
    if (writer.rowCount() > 0)
        frames << writer.takeFrame();
    QVERIFY(frames.size() > 1);
    qint64 received = 0;
    for (const QByteArray& frame : std::as_const(frames)) {
        QVERIFY(frame.size() <= WireCodec::HeaderSize + WireCodec::MaxFrameSize);
        const WireCodec::Parsed p = WireCodec::parse(frame);
        QCOMPARE(p.status, Status::Complete);
        QCOMPARE(p.message.type, Type::Rows);
        QCOMPARE(p.message.id, 3);
        for (const QVariantList& row : p.message.rows) {
            QCOMPARE(row.size(), 10);
            QCOMPARE(row[5], QVariant(qlonglong(received)));
            ++received;
        }
    }
    QCOMPARE(received, rowCount);
}

void TestWireCodec::rowTooLargeForAnyPacket()
{
    RowPacketWriter writer(1);
    QString error;
    QCOMPARE(writer.append({ QByteArray(100, 'a') }, &error), RowPacketWriter::Append::Added);
    QCOMPARE(writer.append({ QByteArray(WireCodec::MaxFrameSize - 50, 'b') }, &error),
        RowPacketWriter::Append::Full);
    writer.takeFrame();
    QCOMPARE(
        writer.append({ QByteArray(WireCodec::MaxFrameSize, 'c') }, &error), RowPacketWriter::Append::Failed);
    QVERIFY(!error.isEmpty());
    QCOMPARE(writer.rowCount(), 0);
    const WireCodec::Parsed p = WireCodec::parse(writer.takeFrame());
    QCOMPARE(p.status, Status::Complete);
    QVERIFY(p.message.rows.isEmpty());
}

QTEST_GUILESS_MAIN(TestWireCodec)
#include "TestWireCodec.moc"
