#include "controls/TSupGrids.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList Column(const TSupGrids& grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid.RowCount(); ++row)
        texts << grid.Cells(col, row);
    return texts;
}

void FillColumn(TSupGrids& grid, int col, const QStringList& texts)
{
    grid.SetRowCount(int(texts.size()) + 1);
    for (int i = 0; i < texts.size(); ++i)
        grid.SetCells(col, i + 1, texts[i]);
}

QPoint HeaderCellCenter(TSupGrids& grid, int col)
{
    QHeaderView* header = grid.horizontalHeader();
    return QPoint(
        header->sectionViewportPosition(col - 1) + header->sectionSize(col - 1) / 2, header->height() / 2);
}

void ClickHeader(TSupGrids& grid, int col, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(grid.horizontalHeader()->viewport(), button, {}, HeaderCellCenter(grid, col));
}

// Widths of the runs of pure-blue pixels, row by row, inside rect of image.
QList<int> BlueRows(const QImage& image, const QRect& rect)
{
    QList<int> rows;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        int count = 0;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60)
                ++count;
        }
        if (count > 0)
            rows << count;
    }
    return rows;
}

QRect HeaderCellRect(TSupGrids& grid, int col)
{
    QHeaderView* header = grid.horizontalHeader();
    return QRect(header->sectionViewportPosition(col - 1), 0, header->sectionSize(col - 1), header->height());
}

} // namespace

class TestSupGrids : public QObject {
    Q_OBJECT

private slots:
    void constructionDefaults();
    void headerClicks_data();
    void headerClicks();
    void otherColumnKeepsDirection();
    void sortOrder_data();
    void sortOrder();
    void sortMovesWholeRowsAndKeepsEqualOrder();
    void sortByFixedColumnFromCorner();
    void mixedColumnSortFinishes();
    void headerClickIgnored_data();
    void headerClickIgnored();
    void headerClickWhileSizing();
    void resort();
    void clearRows();
    void deleteRow_data();
    void deleteRow();
    void compareCellsCodes();
    void arrowKeys_data();
    void arrowKeys();
    void arrowKeysRaiseNoKeyDown();
};

void TestSupGrids::constructionDefaults()
{
    TSupGrids grid;
    QCOMPARE(grid.Options(),
        TStringGrid::goFixedVertLine | TStringGrid::goFixedHorzLine | TStringGrid::goVertLine
            | TStringGrid::goHorzLine | TStringGrid::goRangeSelect | TStringGrid::goRowMoving
            | TStringGrid::goColMoving | TStringGrid::goEditing | TStringGrid::goTabs);
    QCOMPARE(grid.DefaultRowHeight(), 20);
    QCOMPARE(grid.ColWidths(0), 30);
    QCOMPARE(grid.ColWidths(1), grid.DefaultColWidth());
    QVERIFY(grid.SortEnabled);
    QCOMPARE(grid.SortCol(), -1);
    QCOMPARE(grid.SortAscending(), false);
    QCOMPARE(grid.RowCount(), 5);
    QCOMPARE(grid.ColCount(), 5);
}

void TestSupGrids::headerClicks_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<bool>("ascending");

    QTest::newRow("first click sorts descending") << 1 << QStringList { u"10"_s, u"9"_s, u"2"_s } << false;
    QTest::newRow("second click sorts ascending") << 2 << QStringList { u"2"_s, u"9"_s, u"10"_s } << true;
    QTest::newRow("third click descending again") << 3 << QStringList { u"10"_s, u"9"_s, u"2"_s } << false;
}

void TestSupGrids::headerClicks()
{
    QFETCH(int, clicks);
    QFETCH(QStringList, order);
    QFETCH(bool, ascending);

    TSupGrids grid;
    grid.resize(400, 200);
    grid.SetCells(1, 0, u"Qty"_s);
    FillColumn(grid, 1, { u"9"_s, u"10"_s, u"2"_s });
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy sorted(&grid, &TSupGrids::OnColumnSorted);

    for (int i = 0; i < clicks; ++i)
        ClickHeader(grid, 1);

    QCOMPARE(Column(grid, 1), order);
    QCOMPARE(grid.SortCol(), 1);
    QCOMPARE(grid.SortAscending(), ascending);
    QCOMPARE(sorted.count(), clicks);
    QCOMPARE(sorted.last().at(0).value<TSupGrids*>(), &grid);
    QCOMPARE(grid.Cells(1, 0), QString(u"Qty"_s));

    // The glyph: blue in the sort column only, pointing up when ascending.
    const QImage header = grid.horizontalHeader()->grab().toImage();
    const QList<int> glyph = BlueRows(header, HeaderCellRect(grid, 1));
    QVERIFY2(glyph.size() >= 3, "no blue glyph in the sort column");
    QCOMPARE(glyph.first() < glyph.last(), ascending);
    QVERIFY(BlueRows(header, HeaderCellRect(grid, 2)).isEmpty());
}

void TestSupGrids::otherColumnKeepsDirection()
{
    TSupGrids grid;
    grid.SetRowCount(4);
    const QStringList first { u"b"_s, u"a"_s, u"c"_s };
    const QStringList second { u"2"_s, u"3"_s, u"1"_s };
    for (int i = 0; i < 3; ++i) {
        grid.SetCells(1, i + 1, first[i]);
        grid.SetCells(2, i + 1, second[i]);
    }
    grid.HeaderClick(1);
    grid.HeaderClick(1); // column 1 ascending
    grid.HeaderClick(2);
    QCOMPARE(grid.SortCol(), 2);
    QCOMPARE(grid.SortAscending(), true);
    QCOMPARE(Column(grid, 2), QStringList({ u"1"_s, u"2"_s, u"3"_s }));
}

void TestSupGrids::sortOrder_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("ascending");

    QTest::newRow("numbers by value") << QStringList { u"10"_s, u"9"_s, u"-1"_s, u"2.5"_s }
                                      << QStringList { u"-1"_s, u"2.5"_s, u"9"_s, u"10"_s };
    QTest::newRow("1.5 and 1.50 equal, kept in order")
        << QStringList { u"1.50"_s, u"2"_s, u"1.5"_s } << QStringList { u"1.50"_s, u"1.5"_s, u"2"_s };
    QTest::newRow("empty text first")
        << QStringList { u"b"_s, u""_s, u"a"_s } << QStringList { u""_s, u"a"_s, u"b"_s };
    QTest::newRow("text after number when it sorts after its bytes")
        << QStringList { u"abc"_s, u"10"_s } << QStringList { u"10"_s, u"abc"_s };
    QTest::newRow("upper case before lower case") << QStringList { u"apple"_s, u"Banana"_s, u"banana"_s,
        u"Apple"_s } << QStringList { u"Apple"_s, u"Banana"_s, u"apple"_s, u"banana"_s };
    QTest::newRow("Chinese by GBK bytes")
        << QString::fromUtf8("中,国,啊,A").split(u',') << QString::fromUtf8("A,啊,国,中").split(u',');
}

void TestSupGrids::sortOrder()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, ascending);

    TSupGrids grid;
    FillColumn(grid, 1, texts);
    grid.HeaderClick(1);
    grid.HeaderClick(1);
    QCOMPARE(Column(grid, 1), ascending);
}

void TestSupGrids::sortMovesWholeRowsAndKeepsEqualOrder()
{
    TSupGrids grid;
    grid.SetColCount(4);
    grid.SetRowCount(5);
    const QStringList keys { u"2"_s, u"1"_s, u"2"_s, u"1"_s };
    const QList<QColor> colors { Qt::red, Qt::green, Qt::blue, Qt::yellow };
    for (int i = 0; i < 4; ++i) {
        const int row = i + 1;
        grid.SetCells(0, row, QString::number(row));
        grid.SetCells(2, row, keys[i]);
        grid.SetCells(3, row, QString(u"row %1"_s).arg(row));
        grid.SetRowColor(row, colors[i]);
        grid.SetRowFontColor(row, colors[3 - i]);
    }
    grid.SetRow(2);

    grid.HeaderClick(2); // descending: rows 1 and 3, then 2 and 4, each pair in its old order

    const QList<int> from { 1, 3, 2, 4 };
    for (int i = 0; i < 4; ++i) {
        const int row = i + 1;
        const int old = from[i];
        QCOMPARE(grid.Cells(0, row), QString::number(old));
        QCOMPARE(grid.Cells(2, row), keys[old - 1]);
        QCOMPARE(grid.Cells(3, row), QString(u"row %1"_s).arg(old));
        QCOMPARE(grid.RowColor(row), colors[old - 1]);
        QCOMPARE(grid.RowFontColor(row), colors[3 - (old - 1)]);
    }
    QCOMPARE(grid.Row(), 2); // the current row stays where it was; the data moved under it
}

void TestSupGrids::sortByFixedColumnFromCorner()
{
    TSupGrids grid;
    grid.resize(400, 200);
    grid.SetCells(0, 0, u"No"_s);
    FillColumn(grid, 0, { u"3"_s, u"1"_s, u"2"_s });
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    auto* corner = grid.findChild<QAbstractButton*>();
    QVERIFY(corner);
    QTest::mouseClick(corner, Qt::LeftButton);
    QCOMPARE(grid.SortCol(), 0);
    QCOMPARE(Column(grid, 0), QStringList({ u"3"_s, u"2"_s, u"1"_s }));
    QVERIFY(!BlueRows(corner->grab().toImage(), corner->rect()).isEmpty());
    QCOMPARE(grid.SelectionBottom() - grid.SelectionTop(), 0); // no "select all"
}

// 10 < "1a" < 9 < 10: the comparison is not transitive; the sort must finish within bounds.
void TestSupGrids::mixedColumnSortFinishes()
{
    const int rows = 50000;
    TSupGrids grid;
    grid.SetRowCount(rows + 1);
    QRandomGenerator random(7);
    const QStringList pool { u"10"_s, u"1a"_s, u"9"_s, u""_s, u"abc"_s, u"1.5"_s, u"-3"_s, u"x9"_s, u"100"_s,
        u"1e2"_s };
    QMap<QString, int> counts;
    for (int row = 1; row <= rows; ++row) {
        const QString text = random.bounded(2) ? pool[random.bounded(int(pool.size()))]
                                               : QString::number(random.bounded(1000));
        grid.SetCells(1, row, text);
        grid.SetCells(2, row, text);
        ++counts[text];
    }
    grid.HeaderClick(1);
    grid.HeaderClick(1);

    QCOMPARE(grid.RowCount(), rows + 1);
    QMap<QString, int> after;
    for (int row = 1; row <= rows; ++row) {
        QCOMPARE(grid.Cells(2, row), grid.Cells(1, row));
        ++after[grid.Cells(1, row)];
    }
    QCOMPARE(after, counts);
}

void TestSupGrids::headerClickIgnored_data()
{
    QTest::addColumn<bool>("sortEnabled");
    QTest::addColumn<int>("button");

    QTest::newRow("sorting switched off") << false << int(Qt::LeftButton);
    QTest::newRow("right button") << true << int(Qt::RightButton);
}

void TestSupGrids::headerClickIgnored()
{
    QFETCH(bool, sortEnabled);
    QFETCH(int, button);

    TSupGrids grid;
    grid.resize(400, 200);
    FillColumn(grid, 1, { u"9"_s, u"10"_s, u"2"_s });
    grid.SortEnabled = sortEnabled;
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy sorted(&grid, &TSupGrids::OnColumnSorted);

    ClickHeader(grid, 1, Qt::MouseButton(button));

    QCOMPARE(Column(grid, 1), QStringList({ u"9"_s, u"10"_s, u"2"_s }));
    QCOMPARE(grid.SortCol(), -1);
    QCOMPARE(sorted.count(), 0);
}

void TestSupGrids::headerClickWhileSizing()
{
    TSupGrids grid;
    grid.resize(400, 200);
    grid.SetOptions(grid.Options() | TStringGrid::goColSizing);
    FillColumn(grid, 1, { u"9"_s, u"10"_s, u"2"_s });
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy sorted(&grid, &TSupGrids::OnColumnSorted);
    QWidget* header = grid.horizontalHeader()->viewport();
    const int before = grid.ColWidths(1);

    const QPoint edge(HeaderCellRect(grid, 1).right() - 1, grid.horizontalHeader()->height() / 2);
    const QPoint wider = edge + QPoint(30, 0);
    QTest::mousePress(header, Qt::LeftButton, {}, edge);
    QMouseEvent drag(
        QEvent::MouseMove, wider, header->mapToGlobal(wider), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header, &drag);
    QTest::mouseRelease(header, Qt::LeftButton, {}, wider);

    QCOMPARE(grid.ColWidths(1), before + 30);
    QCOMPARE(grid.SortCol(), -1);
    QCOMPARE(sorted.count(), 0);
    QCOMPARE(Column(grid, 1), QStringList({ u"9"_s, u"10"_s, u"2"_s }));

    // Without column sizing the same spot is just part of the header cell.
    grid.SetOptions(grid.Options() & ~TStringGrid::goColSizing);
    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(HeaderCellRect(grid, 1).right() - 1, 5));
    QCOMPARE(grid.SortCol(), 1);
}

void TestSupGrids::resort()
{
    TSupGrids grid;
    FillColumn(grid, 1, { u"1"_s, u"3"_s, u"2"_s });
    QSignalSpy sorted(&grid, &TSupGrids::OnColumnSorted);

    grid.Resort(); // no column chosen yet
    QCOMPARE(sorted.count(), 0);
    QCOMPARE(Column(grid, 1), QStringList({ u"1"_s, u"3"_s, u"2"_s }));

    grid.HeaderClick(1);
    QCOMPARE(sorted.count(), 1);
    FillColumn(grid, 1, { u"5"_s, u"7"_s, u"6"_s });
    grid.Resort();
    QCOMPARE(Column(grid, 1), QStringList({ u"7"_s, u"6"_s, u"5"_s }));
    QCOMPARE(sorted.count(), 2);

    grid.ResetSort();
    QCOMPARE(grid.SortCol(), -1);
    QCOMPARE(grid.SortAscending(), false);
    FillColumn(grid, 1, { u"1"_s, u"3"_s, u"2"_s });
    grid.Resort();
    QCOMPARE(sorted.count(), 2);
    QCOMPARE(Column(grid, 1), QStringList({ u"1"_s, u"3"_s, u"2"_s }));
}

void TestSupGrids::clearRows()
{
    TSupGrids grid;
    for (int col = 0; col < 5; ++col) {
        for (int row = 0; row < 5; ++row)
            grid.SetCells(col, row, QString(u"%1,%2"_s).arg(col).arg(row));
    }
    grid.SetRowColor(2, Qt::cyan);

    grid.ClearRows();

    QCOMPARE(grid.RowCount(), 5);
    for (int col = 0; col < 5; ++col) {
        QCOMPARE(grid.Cells(col, 0), QString(u"%1,0"_s).arg(col));
        for (int row = 1; row < 5; ++row)
            QVERIFY(grid.Cells(col, row).isEmpty());
    }
    QCOMPARE(grid.RowColor(2), QColor(Qt::cyan));
}

void TestSupGrids::deleteRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("left");

    QTest::newRow("last row") << 4 << QStringList { u"r1"_s, u"r2"_s, u"r3"_s, u""_s };
    QTest::newRow("middle row") << 2 << QStringList { u"r1"_s, u"r3"_s, u"r4"_s, u""_s };
    QTest::newRow("first data row") << 1 << QStringList { u"r2"_s, u"r3"_s, u"r4"_s, u""_s };
}

void TestSupGrids::deleteRow()
{
    QFETCH(int, row);
    QFETCH(QStringList, left);

    TSupGrids grid;
    grid.SetCells(1, 0, u"Head"_s);
    for (int r = 1; r < 5; ++r) {
        grid.SetCells(1, r, QString(u"r%1"_s).arg(r));
        grid.SetCells(4, r, QString(u"x%1"_s).arg(r));
        grid.SetRowColor(r, QColor(r * 40, 0, 0));
    }

    grid.DeleteRow(row);
    QCOMPARE(grid.RowCount(), 4);
    grid.SetRowCount(5); // the removed row must not come back

    QCOMPARE(Column(grid, 1), left);
    QCOMPARE(grid.Cells(1, 0), QString(u"Head"_s));
    QVERIFY(grid.Cells(4, 4).isEmpty());
    for (int r = 1; r < 4; ++r) {
        const int old = left[r - 1].mid(1).toInt();
        QCOMPARE(grid.Cells(4, r), QString(u"x%1"_s).arg(old));
        QCOMPARE(grid.RowColor(r), QColor(old * 40, 0, 0));
    }
}

void TestSupGrids::compareCellsCodes()
{
    TSupGrids grid;
    FillColumn(grid, 1, { u"10"_s, u"9"_s, u"9.0"_s });
    QCOMPARE(grid.CompareCells(1, 1, 2), TSupGrids::crGreater);
    QCOMPARE(int(grid.CompareCells(1, 1, 2)), 0);
    QCOMPARE(grid.CompareCells(1, 2, 3), TSupGrids::crEqual);
    QCOMPARE(int(grid.CompareCells(1, 2, 3)), 1);
    QCOMPARE(grid.CompareCells(1, 2, 1), TSupGrids::crLess);
    QCOMPARE(int(grid.CompareCells(1, 2, 1)), 2);
}

// Six columns: column 0 of width 30, columns 1 to 5 of colWidth.
void TestSupGrids::arrowKeys_data()
{
    QTest::addColumn<bool>("rowSelect");
    QTest::addColumn<int>("colWidth");
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<int>("leftCol");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("newLeftCol");
    QTest::addColumn<int>("newCol");
    QTest::addColumn<int>("modifiers");

    const int L = Qt::Key_Left;
    const int R = Qt::Key_Right;
    // clang-format off
    QTest::newRow("row select: Left with column 1 leftmost does nothing") << true << 80 << 250 << 1 << 1 << L << 1 << 1 << 0;
    QTest::newRow("row select: Left scrolls one column back")             << true << 80 << 250 << 3 << 1 << L << 2 << 1 << 0;
    QTest::newRow("row select: Right when all columns fit does nothing")  << true << 80 << 600 << 1 << 1 << R << 1 << 1 << 0;
    QTest::newRow("row select: Right scrolls while the rest overflows")   << true << 80 << 250 << 1 << 1 << R << 2 << 1 << 0;
    QTest::newRow("row select: Right stops once the rest fits")          << true << 80 << 250 << 4 << 1 << R << 4 << 1 << 0;
    QTest::newRow("cells: Left in column 1 does nothing")                << false << 80 << 250 << 1 << 1 << L << 1 << 1 << 0;
    QTest::newRow("cells: Left moves one column")                        << false << 80 << 600 << 1 << 3 << L << 1 << 2 << 0;
    QTest::newRow("cells: Left at the left edge scrolls and moves")      << false << 80 << 250 << 3 << 3 << L << 2 << 2 << 0;
    QTest::newRow("cells: Right moves one column")                       << false << 80 << 600 << 1 << 1 << R << 1 << 2 << 0;
    QTest::newRow("cells: Right in the last column stays")               << false << 80 << 600 << 1 << 5 << R << 1 << 5 << 0;
    QTest::newRow("cells: Right in the last column stays, scrolled")     << false << 80 << 250 << 4 << 5 << R << 4 << 5 << 0;
    QTest::newRow("cells: Right at the edge scrolls and moves")          << false << 80 << 250 << 1 << 3 << R << 3 << 4 << 0;
    QTest::newRow("cells: Right with columns wider than the grid")       << false << 300 << 250 << 1 << 1 << R << 2 << 2 << 0;
    QTest::newRow("row select: Shift+Right scrolls like Right")          << true << 80 << 250 << 1 << 1 << R << 2 << 1 << int(Qt::ShiftModifier);
    QTest::newRow("cells: Ctrl+Left moves like Left")                    << false << 80 << 600 << 1 << 3 << L << 1 << 2 << int(Qt::ControlModifier);
    QTest::newRow("cells: Shift+Right moves like Right")                 << false << 80 << 600 << 1 << 1 << R << 1 << 2 << int(Qt::ShiftModifier);
    // clang-format on
}

void TestSupGrids::arrowKeys()
{
    QFETCH(bool, rowSelect);
    QFETCH(int, colWidth);
    QFETCH(int, gridWidth);
    QFETCH(int, leftCol);
    QFETCH(int, col);
    QFETCH(int, key);
    QFETCH(int, newLeftCol);
    QFETCH(int, newCol);
    QFETCH(int, modifiers);

    TSupGrids grid;
    grid.SetColCount(6);
    grid.SetRowCount(3);
    grid.SetDefaultColWidth(colWidth);
    grid.SetColWidths(0, 30);
    if (rowSelect)
        grid.SetOptions(grid.Options() | TStringGrid::goRowSelect);
    grid.resize(gridWidth, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.SetCol(col);
    grid.SetLeftCol(leftCol);
    QCOMPARE(grid.LeftCol(), leftCol);
    QCOMPARE(grid.Col(), col);

    QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(grid.LeftCol(), newLeftCol);
    QCOMPARE(grid.Col(), newCol);
}

void TestSupGrids::arrowKeysRaiseNoKeyDown()
{
    TSupGrids grid;
    grid.resize(600, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    int down = 0;
    int up = 0;
    connect(&grid, &TStringGrid::OnKeyDown, &grid, [&down](int&, Qt::KeyboardModifiers) { ++down; });
    connect(&grid, &TStringGrid::OnKeyUp, &grid, [&up](int&, Qt::KeyboardModifiers) { ++up; });
    QSignalSpy click(&grid, &TStringGrid::OnClick);

    QTest::keyClick(&grid, Qt::Key_Right);
    QCOMPARE(down, 0);
    QCOMPARE(up, 1);
    QCOMPARE(grid.Col(), 2);
    QCOMPARE(click.count(), 1);

    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(down, 1);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(click.count(), 2);
}

QTEST_MAIN(TestSupGrids)
#include "TestSupGrids.moc"
