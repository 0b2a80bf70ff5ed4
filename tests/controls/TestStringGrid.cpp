#include "controls/TSupGrids.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QPoint CellCenter(TStringGrid& grid, int col, int row)
{
    const QModelIndex index = grid.model()->index(row - 1, col - 1);
    return grid.visualRect(index).center();
}

// Counts emissions of a signal whose key argument is a reference (QSignalSpy cannot hold it).
struct KeyLog {
    QList<QPair<int, Qt::KeyboardModifiers>> events;
    void Attach(TStringGrid& grid, bool down)
    {
        auto record = [this](int& key, Qt::KeyboardModifiers shift) { events.append({ key, shift }); };
        if (down)
            QObject::connect(&grid, &TStringGrid::OnKeyDown, &grid, record);
        else
            QObject::connect(&grid, &TStringGrid::OnKeyUp, &grid, record);
    }
};

} // namespace

// The string-grid layer: addressing, counts, widths, colours, selection and events.
class TestStringGrid : public QObject {
    Q_OBJECT

private slots:
    void modelStaysConsistent();
    void headerRowAndFixedColumn();
    void outsideCellsReadEmptyAndIgnoreWrites();
    void droppedRowsComeBackEmpty();
    void fillIsAnnouncedOnce();
    void columnWidths();
    void rowColours();
    void rangeSelection();
    void clickEvents();
    void ctrlClickSelectsOnlyTheRow();
    void keyEventModifiers_data();
    void keyEventModifiers();
    void keyHandlersCanSwallow();
    void noTypeAheadNorSelectAll();
    void editingHidesEditorOnClear();
};

void TestStringGrid::modelStaysConsistent()
{
    TSupGrids grid;
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    grid.SetColCount(4);
    grid.SetRowCount(50);
    for (int row = 0; row < 50; ++row) {
        for (int col = 0; col < 4; ++col)
            grid.SetCells(col, row, QString::number((row * 7 + col) % 13));
        grid.SetRowColor(row, row % 2 ? Qt::cyan : Qt::white);
        grid.SetRowFontColor(row, Qt::darkGreen);
    }
    QCoreApplication::processEvents();
    grid.HeaderClick(2);
    grid.DeleteRow(3);
    grid.DeleteRow(0);
    grid.ClearRows();
    grid.SetRowCount(10);
    grid.SetColCount(2);
    grid.SetCells(1, 5, u"x"_s);
    grid.SetColCount(6);
    grid.SetRowCount(1);
    grid.SetRowCount(3);
    QCoreApplication::processEvents();
}

void TestStringGrid::headerRowAndFixedColumn()
{
    TStringGrid grid;
    grid.SetCells(0, 0, u"No"_s);
    grid.SetCells(1, 0, u"Name"_s);
    grid.SetCells(0, 2, u"2"_s);
    grid.SetCells(1, 2, u"Tea"_s);
    QAbstractItemModel* model = grid.model();

    QCOMPARE(model->rowCount(), grid.RowCount() - 1);
    QCOMPARE(model->columnCount(), grid.ColCount() - 1);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString(u"Name"_s));
    QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QString(u"2"_s));
    QCOMPARE(model->index(1, 0).data().toString(), QString(u"Tea"_s));
    QCOMPARE(grid.Cells(0, 0), QString(u"No"_s));
}

void TestStringGrid::outsideCellsReadEmptyAndIgnoreWrites()
{
    TStringGrid grid;
    grid.SetCells(5, 1, u"beyond"_s);
    grid.SetCells(-1, 1, u"before"_s);
    grid.SetCells(1, 5, u"below"_s);
    QVERIFY(grid.Cells(5, 1).isEmpty());
    QVERIFY(grid.Cells(-1, 1).isEmpty());
    grid.SetColCount(6);
    grid.SetRowCount(6);
    QVERIFY(grid.Cells(5, 1).isEmpty());
    QVERIFY(grid.Cells(1, 5).isEmpty());
}

void TestStringGrid::droppedRowsComeBackEmpty()
{
    TStringGrid grid;
    grid.SetCells(4, 4, u"last"_s);
    grid.SetRowColor(4, Qt::red);
    grid.SetRowCount(2);
    grid.SetColCount(2);
    grid.SetRowCount(5);
    grid.SetColCount(5);
    QVERIFY(grid.Cells(4, 4).isEmpty());
    QCOMPARE(grid.RowColor(4), grid.palette().color(QPalette::Base));
}

void TestStringGrid::fillIsAnnouncedOnce()
{
    TStringGrid grid;
    grid.SetColCount(11);
    grid.SetRowCount(1001);
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    for (int row = 1; row <= 1000; ++row) {
        for (int col = 1; col <= 10; ++col)
            grid.SetCells(col, row, u"x"_s);
    }
    QCOMPARE(changed.count(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].value<QModelIndex>(), grid.model()->index(0, 0));
    QCOMPARE(changed[0][1].value<QModelIndex>(), grid.model()->index(999, 9));
}

void TestStringGrid::columnWidths()
{
    TStringGrid grid;
    grid.SetColCount(4);
    grid.SetColWidths(2, -1);
    grid.SetColWidths(0, -1);
    QCOMPARE(grid.ColWidths(2), -1);
    QVERIFY(grid.horizontalHeader()->isSectionHidden(1));
    QVERIFY(grid.verticalHeader()->isHidden());

    grid.SetDefaultColWidth(80); // every column, the fixed one too, takes the default
    QCOMPARE(grid.ColWidths(0), 80);
    QCOMPARE(grid.ColWidths(2), 80);
    QVERIFY(!grid.horizontalHeader()->isSectionHidden(1));
    QVERIFY(!grid.verticalHeader()->isHidden());

    grid.SetColWidths(1, 48);
    grid.horizontalHeader()->resizeSection(2, 101); // as a drag on the handle does
    QCOMPARE(grid.ColWidths(1), 48);
    QCOMPARE(grid.ColWidths(3), 100);
}

void TestStringGrid::rowColours()
{
    TStringGrid grid;
    QCOMPARE(grid.RowColor(1), grid.palette().color(QPalette::Base));
    QCOMPARE(grid.RowFontColor(1), grid.palette().color(QPalette::Text));
    const QColor teal(0, 128, 128);
    const QColor green(0, 150, 0);
    grid.SetRowColor(2, teal);
    grid.SetRowFontColor(2, green);
    QCOMPARE(grid.RowColor(2), teal);
    QCOMPARE(grid.RowFontColor(2), green);
    const QModelIndex cell = grid.model()->index(1, 3);
    QCOMPARE(cell.data(Qt::BackgroundRole).value<QColor>(), teal);
    QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), green);
}

void TestStringGrid::rangeSelection()
{
    TStringGrid grid;
    grid.SetOptions(grid.Options() | TStringGrid::goRowSelect);
    grid.SetRowCount(10);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(grid, 2, 3));
    QCOMPARE(grid.Row(), 3);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCenter(grid, 1, 6));
    QCOMPARE(grid.SelectionTop(), 3);
    QCOMPARE(grid.SelectionBottom(), 6);
    QCOMPARE(grid.Row(), 6);

    grid.SetRow(2);
    QCOMPARE(grid.SelectionTop(), 2);
    QCOMPARE(grid.SelectionBottom(), 2);

    grid.SetOptions(grid.Options() & ~TStringGrid::goRangeSelect);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCenter(grid, 1, 5));
    QCOMPARE(grid.SelectionTop(), 5);
    QCOMPARE(grid.SelectionBottom(), 5);
}

void TestStringGrid::clickEvents()
{
    TStringGrid grid;
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy click(&grid, &TStringGrid::OnClick);
    QSignalSpy dblClick(&grid, &TStringGrid::OnDblClick);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(grid, 2, 2));
    QCOMPARE(click.count(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(grid, 2, 2)); // same cell again
    QCOMPARE(click.count(), 2);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(grid, 2, 3));
    QCOMPARE(dblClick.count(), 1);
    QCOMPARE(grid.Row(), 3);

    grid.SetRow(4); // set by the program: no click
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, CellCenter(grid, 1, 1));
    QCOMPARE(grid.Row(), 4);
    const int clicks = int(click.count());
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(click.count(), clicks + 1);
    QTest::keyClick(&grid, Qt::Key_Shift);
    QCOMPARE(click.count(), clicks + 1);
}

void TestStringGrid::ctrlClickSelectsOnlyTheRow()
{
    TStringGrid grid;
    grid.SetOptions(grid.Options() | TStringGrid::goRowSelect);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy click(&grid, &TStringGrid::OnClick);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(grid, 1, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(grid, 1, 4));
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(grid.SelectionTop(), 4);
    QCOMPARE(grid.SelectionBottom(), 4);
    QCOMPARE(click.count(), 2);
    // A second Ctrl+click on the same row keeps it selected (the forms toggle their mark on it).
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(grid, 1, 4));
    QCOMPARE(grid.SelectionTop(), 4);
    QCOMPARE(click.count(), 3);
}

void TestStringGrid::keyEventModifiers_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("heldBefore");
    QTest::addColumn<int>("downShift");
    QTest::addColumn<int>("upShift");

    QTest::newRow("Ctrl alone: held after press, gone after release")
        << int(Qt::Key_Control) << int(Qt::NoModifier) << int(Qt::ControlModifier) << int(Qt::NoModifier);
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::NoModifier) << int(Qt::ShiftModifier)
                                 << int(Qt::NoModifier);
    QTest::newRow("Ctrl released while Shift held")
        << int(Qt::Key_Control) << int(Qt::ShiftModifier) << int(Qt::ShiftModifier | Qt::ControlModifier)
        << int(Qt::ShiftModifier);
    QTest::newRow("letter with Ctrl")
        << int(Qt::Key_C) << int(Qt::ControlModifier) << int(Qt::ControlModifier) << int(Qt::ControlModifier);
}

void TestStringGrid::keyEventModifiers()
{
    QFETCH(int, key);
    QFETCH(int, heldBefore);
    QFETCH(int, downShift);
    QFETCH(int, upShift);

    TStringGrid grid;
    KeyLog down;
    KeyLog up;
    down.Attach(grid, true);
    up.Attach(grid, false);

    // As the platform reports a modifier key: its own bit not yet set on press, still set on release.
    const auto mods = Qt::KeyboardModifiers(heldBefore);
    const Qt::KeyboardModifier own = key == Qt::Key_Control ? Qt::ControlModifier
        : key == Qt::Key_Shift                              ? Qt::ShiftModifier
                                                            : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QKeyEvent release(QEvent::KeyRelease, key, mods | own);
    QCoreApplication::sendEvent(&grid, &press);
    QCoreApplication::sendEvent(&grid, &release);

    QCOMPARE(down.events.size(), 1);
    QCOMPARE(down.events[0].first, key);
    QCOMPARE(int(down.events[0].second), downShift);
    QCOMPARE(up.events.size(), 1);
    QCOMPARE(int(up.events[0].second), upShift);
}

void TestStringGrid::keyHandlersCanSwallow()
{
    TStringGrid grid;
    grid.SetRowCount(10);
    int pressed = 0;
    QObject::connect(&grid, &TStringGrid::OnKeyPress, &grid, [&pressed](QChar& ch) {
        if (ch == QChar(u'\r')) {
            ++pressed;
            ch = QChar();
        }
    });
    QObject::connect(&grid, &TStringGrid::OnKeyDown, &grid, [](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_PageDown)
            key = 0;
    });

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QCoreApplication::sendEvent(&grid, &enter);
    QCOMPARE(pressed, 1);
    QVERIFY(enter.isAccepted()); // a swallowed Enter does not reach the dialog's default button

    QTest::keyClick(&grid, Qt::Key_PageDown);
    QCOMPARE(grid.Row(), 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.Row(), 2);
}

void TestStringGrid::noTypeAheadNorSelectAll()
{
    TStringGrid grid;
    grid.SetRowCount(6);
    for (int row = 1; row < 6; ++row)
        grid.SetCells(1, row, QString(QChar(u'a' + row)));
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy click(&grid, &TStringGrid::OnClick);

    QTest::keyClick(&grid, Qt::Key_D);
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);

    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.SelectionBottom(), 1);
    QCOMPARE(click.count(), 0);
}

void TestStringGrid::editingHidesEditorOnClear()
{
    TSupGrids grid; // editing is on by default
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.SetCells(1, 1, u"old"_s);
    grid.SetRow(1);
    grid.SetCol(1);
    QTest::keyClick(&grid, Qt::Key_F2);
    QVERIFY(grid.indexWidget(grid.currentIndex()));

    grid.ClearRows();
    QVERIFY(!grid.indexWidget(grid.currentIndex()));
    QVERIFY(grid.Cells(1, 1).isEmpty());
}

QTEST_MAIN(TestStringGrid)
#include "TestStringGrid.moc"
