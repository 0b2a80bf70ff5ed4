#include "common/Helpers.h"
#include "common/TfmStatus.h"
#include "tests/shell/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QtTest>

namespace {

const QString Text = QStringLiteral("正在备份数据 ...");

Qt::CursorShape ScreenCursor()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

qint64 ScreenCursorPicture()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->pixmap().cacheKey() : 0;
}

} // namespace

class TestStatus : public QObject {
    Q_OBJECT

private slots:
    void busyCursorFallsBackUntilTheFileIsGood();
    void popupLooksAsItShould();
    void secondShowKeepsTheFirstText();
    void hideTwice();
    void hideEndsAWaitCursorTurnedOnBefore();
    void cleanup();

private:
    const QString FData = GetExeFolder() + QStringLiteral("data");
};

void TestStatus::cleanup()
{
    TfmStatus::HideStatus();
}

// First of all: once the busy cursor has loaded it stays for the rest of the run.
void TestStatus::busyCursorFallsBackUntilTheFileIsGood()
{
    const QString file = FData + QStringLiteral("/ktBusy.ani");
    QDir(FData).removeRecursively();
    QFile::remove(FData);

    // The folder cannot be made: hourglass, popup all the same.
    QVERIFY(WriteAll(FData, "in the way"));
    TfmStatus::ShowStatus(Text);
    QVERIFY(TfmStatus::Current() && TfmStatus::Current()->isVisible());
    QCOMPARE(ScreenCursor(), Qt::WaitCursor);
    TfmStatus::HideStatus();
    QVERIFY(!QGuiApplication::overrideCursor());

    // A file that is no cursor: hourglass, and the file is left alone.
    QVERIFY(QFile::remove(FData) && QDir().mkdir(FData));
    QVERIFY(WriteAll(file, "not a cursor"));
    TfmStatus::ShowStatus(Text);
    QVERIFY(TfmStatus::Current());
    QCOMPARE(ScreenCursor(), Qt::WaitCursor);
    TfmStatus::HideStatus();
    QCOMPARE(ReadAll(file), QByteArray("not a cursor"));

    // No file: written from the resource, and the animation runs in place.
    QVERIFY(QFile::remove(file));
    TfmStatus::ShowStatus(Text);
    QCOMPARE(ReadAll(file), ReadAll(QStringLiteral(NS_BUSYCURSOR_FILE)));
    QCOMPARE(ScreenCursor(), Qt::BitmapCursor);
    QCOMPARE(QGuiApplication::overrideCursor()->hotSpot(), QPoint(16, 16));
    const qint64 first = ScreenCursorPicture();
    QTRY_VERIFY_WITH_TIMEOUT(ScreenCursorPicture() != first, 1000);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenCursorPicture() == first, 2000); // all the way round
    TfmStatus::HideStatus();
    QVERIFY(!QGuiApplication::overrideCursor());
    QTest::qWait(300);
    QVERIFY2(!QGuiApplication::overrideCursor(), "the animation stopped with the popup");

    // Later in the run the loaded cursor serves, whatever became of the file; it is never rewritten.
    QVERIFY(WriteAll(file, "spoilt meanwhile"));
    TfmStatus::ShowStatus(Text);
    QCOMPARE(ScreenCursor(), Qt::BitmapCursor);
    QCOMPARE(ReadAll(file), QByteArray("spoilt meanwhile"));

    // Someone else's cursor wins over the animation, which never stacks its frames.
    WaitCursorOn();
    QTest::qWait(300);
    QCOMPARE(ScreenCursor(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestStatus::popupLooksAsItShould()
{
    TfmStatus::ShowStatus(Text);
    TfmStatus* popup = TfmStatus::Current();
    QVERIFY(popup && popup->isVisible());
    QCOMPARE(popup->size(), QSize(421, 33));
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(qFuzzyCompare(popup->windowOpacity(), 200 / 255.0));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY((popup->geometry().center() - screen.center()).manhattanLength() <= 1);

    const QLabel* label = popup->findChild<QLabel*>(QStringLiteral("lbStatus"));
    QVERIFY(label);
    QCOMPARE(label->text(), Text);
    QCOMPARE(popup->StatusText(), Text);
    QCOMPARE(label->geometry(), QRect(8, 10, 400, 12));
    const QFontInfo font(label->font());
    QCOMPARE(font.pixelSize(), 12);
    QVERIFY2(font.family() == QStringLiteral("宋体") || font.family() == QStringLiteral("SimSun")
            || QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(font.family()),
        qPrintable(font.family()));

    const QImage picture = popup->grab().toImage();
    const QRgb outline = qRgb(0, 128, 0);
    for (const QPoint corner :
        { QPoint(0, 0), QPoint(420, 0), QPoint(0, 32), QPoint(420, 32), QPoint(210, 0) })
        QCOMPARE(picture.pixel(corner), outline);
    QCOMPARE(picture.pixel(1, 1), qRgb(0, 0, 0));
    QCOMPARE(picture.pixel(210, 30), qRgb(0, 0, 0));
    // Lime text, centred under the label.
    int left = picture.width(), right = -1, lime = 0;
    for (int y = 1; y < 32; ++y)
        for (int x = 1; x < 420; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 60 && c.blue() < 60) {
                ++lime;
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    QVERIFY2(lime > 60, qPrintable(QString::number(lime)));
    QVERIFY2(
        qAbs((left + right) / 2 - (8 + 200)) <= 3, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
}

void TestStatus::secondShowKeepsTheFirstText()
{
    TfmStatus::ShowStatus(Text);
    TfmStatus* first = TfmStatus::Current();
    TfmStatus::ShowStatus(QStringLiteral("别的"));
    QCOMPARE(TfmStatus::Current(), first);
    QCOMPARE(first->StatusText(), Text);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                 [](const QWidget* w) { return qobject_cast<const TfmStatus*>(w) != nullptr; }),
        1);
}

void TestStatus::hideTwice()
{
    TfmStatus::ShowStatus(Text);
    QPointer<TfmStatus> popup = TfmStatus::Current();
    TfmStatus::HideStatus();
    QVERIFY(!popup);
    QVERIFY(!TfmStatus::Current());
    QVERIFY(!QGuiApplication::overrideCursor());
    TfmStatus::HideStatus();
    QVERIFY(!TfmStatus::Current());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestStatus::hideEndsAWaitCursorTurnedOnBefore()
{
    WaitCursorOn();
    TfmStatus::ShowStatus(Text);
    TfmStatus::HideStatus();
    QVERIFY(!QGuiApplication::overrideCursor());
    WaitCursorOff(); // the caller's own pairing does no harm afterwards
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestStatus)
#include "TestStatus.moc"
