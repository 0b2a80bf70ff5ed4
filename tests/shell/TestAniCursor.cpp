#include "common/AniCursor.h"
#include "common/Exception.h"
#include "common/TfmStatus.h"
#include "tests/shell/FileBytes.h"

#include <QBuffer>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using Steps = QList<QPair<int, int>>; // frame, jiffies

namespace {

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const char* id, const QByteArray& data)
{
    QByteArray chunk = QByteArray(id, 4) + Le32(quint32(data.size())) + data;
    if (data.size() % 2)
        chunk += '\0';
    return chunk;
}

QByteArray Anih(quint32 frames, quint32 steps, quint32 rate, quint32 flags = 1)
{
    QByteArray header = Le32(36) + Le32(frames) + Le32(steps);
    for (int i = 0; i < 4; ++i)
        header += Le32(0);
    return Chunk("anih", header + Le32(rate) + Le32(flags));
}

// A one-colour frame: an .ico file, or a .cur file with its hotspot.
QByteArray Icon(int size = 32, std::optional<QPoint> hotSpot = QPoint(3, 4))
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ico").write(image);
    QByteArray bytes = buffer.data();
    if (hotSpot) {
        qToLittleEndian<quint16>(2, bytes.data() + 2);
        qToLittleEndian<quint16>(quint16(hotSpot->x()), bytes.data() + 10);
        qToLittleEndian<quint16>(quint16(hotSpot->y()), bytes.data() + 12);
    }
    return bytes;
}

QByteArray Fram(int count, const QByteArray& icon = Icon())
{
    QByteArray list = "fram";
    for (int i = 0; i < count; ++i)
        list += Chunk("icon", icon);
    return Chunk("LIST", list);
}

QByteArray Ani(const QByteArray& chunks)
{
    return Chunk("RIFF", "ACON" + chunks);
}

const QString Committed = QStringLiteral(NS_BUSYCURSOR_FILE);

} // namespace

class TestAniCursor : public QObject {
    Q_OBJECT

private slots:
    void committedCursorIsTheGeneratorsOutput();
    void programWritesItsOwnCursor();
    void fileCommandSeesAnAnimatedCursor();
    void loadBusyCursor_data();
    void loadBusyCursor();
    void parsesVariants_data();
    void parsesVariants();
    void refusesMalformed_data();
    void refusesMalformed();
};

void TestAniCursor::committedCursorIsTheGeneratorsOutput()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("gen.ani"));
    QCOMPARE(QProcess::execute(QStringLiteral(NS_MAKEBUSYCURSOR), { out }), 0);
    QCOMPARE(ReadAll(out), ReadAll(Committed));
}

void TestAniCursor::programWritesItsOwnCursor()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("exe/data/"));
    const AniCursor cursor = TfmStatus::LoadBusyCursor(folder);
    QCOMPARE(ReadAll(folder + QStringLiteral("ktBusy.ani")), ReadAll(Committed));

    QCOMPARE(cursor.Frames().size(), 6);
    for (int i = 0; i < 6; ++i) {
        const AniCursor::Frame& frame = cursor.Frames()[i];
        QCOMPARE(frame.image.size(), QSize(32, 32));
        QCOMPARE(frame.hotSpot, QPoint(16, 16));
        QCOMPARE(qAlpha(frame.image.pixel(0, 0)), 0); // transparent around the spinner
        QCOMPARE(qAlpha(frame.image.pixel(16, 6)), 255); // the top dot
        QVERIFY2(frame.image != cursor.Frames()[(i + 1) % 6].image, "each frame moves the spinner on");
    }
    QCOMPARE(cursor.Steps().size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(cursor.Steps()[i].frame, i);
        QCOMPARE(cursor.Steps()[i].jiffies, 8);
    }
}

void TestAniCursor::fileCommandSeesAnAnimatedCursor()
{
    const QString file = QStandardPaths::findExecutable(QStringLiteral("file"));
    if (file.isEmpty())
        QSKIP("the file command is not installed");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/"));
    TfmStatus::LoadBusyCursor(folder);
    QProcess process;
    process.start(file, { QStringLiteral("-b"), folder + QStringLiteral("ktBusy.ani") });
    QVERIFY(process.waitForFinished());
    const QString said = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(said.contains(QStringLiteral("animated cursor")), qPrintable(said));
}

void TestAniCursor::loadBusyCursor_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("frames"); // 0: refused
    QTest::addColumn<bool>("writesResource");

    QTest::newRow("folder missing: created and written") << "none" << 6 << true;
    QTest::newRow("file missing: written") << "empty folder" << 6 << true;
    QTest::newRow("other valid cursor: used, not rewritten") << "two-frame cursor" << 2 << false;
    QTest::newRow("invalid file: refused, left alone") << "garbage" << 0 << false;
    QTest::newRow("directory in the file's place: refused") << "directory" << 0 << false;
    QTest::newRow("data is a file: refused") << "data is a file" << 0 << false;
    QTest::newRow("read-only folder: refused") << "read-only" << 0 << false;
    QTest::newRow("folder cannot be created: refused") << "uncreatable" << 0 << false;
}

void TestAniCursor::loadBusyCursor()
{
    QFETCH(QString, setup);
    QFETCH(int, frames);
    QFETCH(bool, writesResource);

    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("data/"));
    const QString fileName = folder + QStringLiteral("ktBusy.ani");
    QByteArray before;
    if (setup == QStringLiteral("uncreatable"))
        folder = QStringLiteral("/proc/nodeshift-none/data/");
    else if (setup == QStringLiteral("data is a file"))
        QVERIFY(WriteAll(dir.filePath(QStringLiteral("data")), "x"));
    else if (setup != QStringLiteral("none"))
        QVERIFY(QDir().mkpath(folder));
    if (setup == QStringLiteral("two-frame cursor"))
        before = Ani(Anih(2, 2, 8) + Fram(2));
    else if (setup == QStringLiteral("garbage"))
        before = "RIFF\x04\0\0\0ACOX";
    if (!before.isEmpty())
        QVERIFY(WriteAll(fileName, before));
    if (setup == QStringLiteral("directory"))
        QVERIFY(QDir().mkpath(fileName));
    if (setup == QStringLiteral("read-only")) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (WriteAll(folder + QStringLiteral("probe"), "x"))
            QSKIP("this user writes into read-only folders");
    }

    try {
        const AniCursor cursor = TfmStatus::LoadBusyCursor(folder);
        QCOMPARE(cursor.Frames().size(), frames);
    } catch (const Exception& e) {
        QVERIFY2(frames == 0, qPrintable(e.message()));
    }
    if (writesResource)
        QCOMPARE(ReadAll(fileName), ReadAll(Committed));
    else if (!before.isEmpty())
        QCOMPARE(ReadAll(fileName), before);
    else if (setup != QStringLiteral("directory"))
        QVERIFY(!QFileInfo::exists(fileName));
}

void TestAniCursor::parsesVariants_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("frames");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QPoint>("hotSpot");

    const QPoint hot(3, 4);
    QTest::newRow("plain") << Ani(Anih(2, 2, 8) + Fram(2)) << 2 << Steps { { 0, 8 }, { 1, 8 } } << hot;
    QTest::newRow("INFO list with an odd-sized entry first")
        << Ani(Chunk("LIST", "INFO" + Chunk("INAM", "busy")) + Anih(1, 1, 8) + Fram(1)) << 1
        << Steps { { 0, 8 } } << hot;
    QTest::newRow("seq orders the frames")
        << Ani(Anih(3, 4, 5, 3) + Chunk("seq ", Le32(2) + Le32(0) + Le32(2) + Le32(1)) + Fram(3)) << 3
        << Steps { { 2, 5 }, { 0, 5 }, { 2, 5 }, { 1, 5 } } << hot;
    QTest::newRow("rate per step") << Ani(Anih(2, 2, 8) + Chunk("rate", Le32(3) + Le32(30)) + Fram(2)) << 2
                                   << Steps { { 0, 3 }, { 1, 30 } } << hot;
    QTest::newRow("zero rate runs at one jiffy")
        << Ani(Anih(1, 1, 0) + Fram(1)) << 1 << Steps { { 0, 1 } } << hot;
    QTest::newRow("icon frames point with their centre")
        << Ani(Anih(1, 1, 8) + Fram(1, Icon(16, std::nullopt))) << 1 << Steps { { 0, 8 } } << QPoint(8, 8);
    QTest::newRow("hotspot beyond the picture is clamped")
        << Ani(Anih(1, 1, 8) + Fram(1, Icon(32, QPoint(40, 99)))) << 1 << Steps { { 0, 8 } }
        << QPoint(31, 31);
    QTest::newRow("bytes after the RIFF chunk ignored")
        << Ani(Anih(1, 1, 8) + Fram(1)) + "trailing" << 1 << Steps { { 0, 8 } } << hot;
}

void TestAniCursor::parsesVariants()
{
    QFETCH(QByteArray, data);
    QFETCH(int, frames);
    QFETCH(Steps, steps);
    QFETCH(QPoint, hotSpot);

    QString error;
    const std::optional<AniCursor> cursor = AniCursor::Parse(data, &error);
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->Frames().size(), frames);
    QCOMPARE(cursor->Frames().first().hotSpot, hotSpot);
    Steps got;
    for (const AniCursor::Step& step : cursor->Steps())
        got.append({ step.frame, step.jiffies });
    QCOMPARE(got, steps);
}

void TestAniCursor::refusesMalformed_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("why");

    const QByteArray good = Ani(Anih(2, 2, 8) + Fram(2));
    const QByteArray frameless = Ani(Anih(1, 1, 8) + QByteArray("LIST") + Le32(0x7fffffff) + "fram");
    const QByteArray badType = QByteArray::fromHex("000003000100") + Icon().mid(6);
    auto row = [](const char* name, const QByteArray& data, const char* why) {
        QTest::newRow(name) << data << QString::fromLatin1(why);
    };
    row("empty", QByteArray(), "not a RIFF ACON file");
    row("a wave file", Chunk("RIFF", "WAVE" + Chunk("fmt ", QByteArray(16, '\0'))), "not a RIFF ACON file");
    row("cut off in the frames", good.left(good.size() / 2), "truncated chunk");
    row("RIFF size beyond the file", good.left(4) + Le32(quint32(good.size())) + good.mid(8),
        "truncated chunk");
    row("chunk size past the end", frameless, "truncated chunk");
    row("frame chunk past its list",
        Ani(Anih(1, 1, 8) + Chunk("LIST", "fram" + Chunk("icon", Icon()).left(40))), "truncated frame");
    row("no anih", Ani(Fram(2)), "anih");
    row("short anih", Ani(Chunk("anih", Le32(36) + Le32(2)) + Fram(2)), "anih");
    row("no frames", Ani(Anih(2, 2, 8)), "does not hold 2 icons");
    row("fewer icons than announced", Ani(Anih(3, 3, 8) + Fram(2)), "does not hold 3 icons");
    row("zero frames", Ani(Anih(0, 1, 8) + Fram(0)), "out of range");
    row("millions of steps", Ani(Anih(2, 5000000, 8) + Fram(2)), "out of range");
    row("raw bitmap frames", Ani(Anih(2, 2, 8, 0) + Fram(2)), "raw bitmap");
    row("more steps than frames, no seq", Ani(Anih(2, 3, 8) + Fram(2)), "step 2 names a missing frame");
    row("seq names a missing frame", Ani(Anih(2, 2, 8, 3) + Chunk("seq ", Le32(0) + Le32(2)) + Fram(2)),
        "step 1 names a missing frame");
    row("rate shorter than the steps", Ani(Anih(2, 2, 8) + Chunk("rate", Le32(8)) + Fram(2)), "shorter");
    row("icon holding no picture", Ani(Anih(1, 1, 8) + Fram(1, Icon().left(30))), "frame 0 is no icon");
    row("icon of a wrong type", Ani(Anih(1, 1, 8) + Fram(1, badType)), "frame 0 is no icon");
}

void TestAniCursor::refusesMalformed()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, why);
    QString error;
    QVERIFY(!AniCursor::Parse(data, &error));
    QVERIFY2(error.contains(why), qPrintable(error));
}

QTEST_MAIN(TestAniCursor)
#include "TestAniCursor.moc"
