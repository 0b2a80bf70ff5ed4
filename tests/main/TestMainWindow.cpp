#include "common/Exception.h"
#include "config/TSysConfig.h"
#include "controls/TSupGrids.h"
#include "tests/main/DemoGoods.h"
#include "tests/main/MainFixture.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

using namespace DemoGoods;

namespace {

const QColor Green(0, 150, 0);
const QColor Teal(0, 128, 128);

QStringList Strings(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

} // namespace

// The tree and the record list against the demo account set: what a category shows, how nodes
// are shown and rebuilt, the tree's and the grid's events.
class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        f.reset();
    }
    void logsOnWithoutCategory();
    void failedCreationStillOpens();
    void categoryLayout();
    void classAndRecordNodes();
    void treeKeysAndRightClick();
    void ctrlMarking();
    void sortThenDoubleClickGreenRow();
    void categoryDropsPendingCut();
    void fieldErrorRestoresWindow();
    void refusedLogOnEndsProgram_data();
    void refusedLogOnEndsProgram();

private:
    bool start(const MainFixture::Options& options = {});
    // Lets the event loop wait for events once, as it does when the operator is idle.
    static void idle()
    {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    TfmMain& w() { return f->Window(); }
    TSupGrids* grid() { return w().gBaseInfo; }
    TTreeNode* selected() { return w().tvBaseInfo->Selected(); }
    QStringList dbChildren(const QString& parId) const
    {
        return f->Db().Column(QStringLiteral("SELECT TypeId FROM Goods WHERE ParId = '%1'"
                                             " ORDER BY HasChild DESC, UserCode")
                                  .arg(parId));
    }
    QStringList gridIds()
    {
        QStringList ids;
        for (int row = 1; row < grid()->RowCount(); ++row)
            ids.append(f->GridId(row));
        return ids;
    }

    std::unique_ptr<MainFixture> f;
};

bool TestMainWindow::start(const MainFixture::Options& options)
{
    f = std::make_unique<MainFixture>();
    QString error;
    if (!f->Start(options, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    return true;
}

void TestMainWindow::logsOnWithoutCategory()
{
    QVERIFY(start());
    QCOMPARE(w().windowTitle(), QStringLiteral("Ledgerine基本信息搬移工具"));
    QCOMPARE(w().StatusText(0), w().windowTitle());
    QVERIFY(w().pbMain->isHidden());
    QStringList entries;
    for (QAction* entry : w().miBaseInfo->actions()) {
        entries.append(entry->text());
        QVERIFY(!entry->icon().isNull());
    }
    QCOMPARE(entries, Strings({ "商品", "往来单位", "职员", "仓库" }));
    QVERIFY(w().tvBaseInfoItems->IsEmpty());
    QVERIFY(w().TableName().isEmpty());
    w().UpdateActions();
    QVERIFY(!w().acCut->isEnabled());
    QVERIFY(!w().acAddChild->isEnabled());
    QVERIFY(f->TakeMessages().isEmpty());
}

// A required key that is missing stops the creation handler with its message; the window opens.
void TestMainWindow::failedCreationStillOpens()
{
    MainFixture::Options options;
    options.configEdits = { { "\nBaseInfoMenuItems=", "\nMenuItemsMissing=" } };
    QVERIFY(start(options));
    const QStringList shown = f->TakeMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(
        shown.first().contains(QStringLiteral("“BaseInfoMenuItems”的值不能为空")), qPrintable(shown.first()));
    QVERIFY(shown.first().endsWith(u'.'));
    QVERIFY(w().isVisible());
    QVERIFY(w().miBaseInfo->actions().isEmpty());
}

void TestMainWindow::categoryLayout()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    QCOMPARE(w().TableName(), Table);
    QCOMPARE(grid()->ColCount(), 10);
    const QStringList headers
        = Strings({ "序号", "商品编号", "商品名称", "规格", "型号", "单位", "零售价", "条码" });
    for (int col = 0; col < headers.size(); ++col)
        QCOMPARE(grid()->Cells(col, 0), headers[col]);
    QCOMPARE(grid()->ColWidths(0), 48);
    QCOMPARE(grid()->ColWidths(1), 80);
    QCOMPARE(grid()->ColWidths(8), -1);
    QCOMPARE(grid()->ColWidths(9), -1);

    // The one root is selected, shown and open; its sub-nodes were loaded with it.
    QCOMPARE(w().tvBaseInfoItems->RootCount(), 1);
    TTreeNode* root = w().tvBaseInfoItems->Root(0);
    QCOMPARE(selected(), root);
    QCOMPARE(root->Text(), Root);
    QCOMPARE(w().ShownId(), RootId);
    QVERIFY(w().tvBaseInfo->IsExpanded(root));
    QCOMPARE(root->ImageIndex, int(TTreeNode::OpenClass));
    const QStringList children = dbChildren(RootId);
    QCOMPARE(gridIds(), children);
    QCOMPARE(root->Count(), children.size());
    for (int row = 1; row < grid()->RowCount(); ++row) {
        const TTreeNode* node = root->Item(row - 1);
        QCOMPARE(node->Data.Id, f->GridId(row));
        QCOMPARE(node->Data.ParId, grid()->Cells(9, row));
        QCOMPARE(grid()->Cells(0, row), QString::number(row));
        QCOMPARE(grid()->RowFontColor(row), node->IsRecord() ? QColor(Qt::black) : Green);
    }
    QVERIFY(!root->Item(0)->IsRecord());
    QVERIFY(root->Item(children.size() - 1)->IsRecord());
    QCOMPARE(grid()->Row(), 1);
}

void TestMainWindow::classAndRecordNodes()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    TTreeNode* openEnd = f->ShowPath(OpenEnd);
    QVERIFY(openEnd);
    QCOMPARE(w().ShownId(), OpenEndId);
    QCOMPARE(gridIds(), dbChildren(OpenEndId));
    QCOMPARE(openEnd->Count(), 146);
    QCOMPARE(grid()->RowFontColor(146), QColor(Qt::black));
    QVERIFY(w().pbMain->isHidden());

    // A record node shows itself alone and leaves the tree as it is.
    TTreeNode* record = openEnd->Item(3);
    const QString recordId = record->Data.Id;
    f->ClickNode(record);
    QCOMPARE(w().ShownId(), recordId);
    QCOMPARE(grid()->RowCount(), 2);
    QCOMPARE(f->GridId(1), recordId);
    QCOMPARE(grid()->Cells(2, 1), record->Text());
    QCOMPARE(openEnd->Count(), 146);

    // Another class of the same parent: the branch selected before closes.
    TTreeNode* ring = f->Node(RingWrenches);
    f->ClickNode(ring);
    QCOMPARE(w().ShownId(), RingWrenchesId);
    QVERIFY(w().tvBaseInfo->IsExpanded(ring));
    QVERIFY(!w().tvBaseInfo->IsExpanded(openEnd));
    QCOMPARE(openEnd->ImageIndex, int(TTreeNode::ClosedClass));
    QCOMPARE(ring->ImageIndex, int(TTreeNode::OpenClass));

    // Showing a class again rebuilds its sub-nodes from the database.
    f->ClickNode(openEnd);
    QCOMPARE(w().ShownId(), OpenEndId);
    QCOMPARE(openEnd->Count(), 146);
    QVERIFY(openEnd->Item(3) != nullptr);
    QCOMPARE(openEnd->Item(3)->Data.Id, recordId);
}

void TestMainWindow::treeKeysAndRightClick()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    TTreeNode* wrenches = f->ShowPath(Wrenches);
    TBaseInfoTree* tree = w().tvBaseInfo;
    tree->setFocus();

    // Moving with the keyboard shows a node when the key is released.
    QTest::keyPress(tree, Qt::Key_Down);
    QCOMPARE(selected(), wrenches->Item(0));
    QCOMPARE(w().ShownId(), WrenchesId);
    QTest::keyRelease(tree, Qt::Key_Down);
    QCOMPARE(w().ShownId(), OpenEndId);

    // A right click selects without loading.
    TTreeNode* screwdrivers = f->Node(Screwdrivers);
    const QRect rect = tree->visualRect(w().tvBaseInfoItems->IndexOf(screwdrivers));
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, rect.center());
    QCOMPARE(selected(), screwdrivers);
    QCOMPARE(w().ShownId(), OpenEndId);
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    // Enter hands the focus to the grid.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(grid()->hasFocus());
}

void TestMainWindow::ctrlMarking()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    f->ShowPath(OpenEnd);
    f->ClickRow(2, true);
    f->ClickRow(4, true);
    f->ClickRow(5);
    QCOMPARE(grid()->RowColor(2), Teal);
    QCOMPARE(grid()->RowColor(4), Teal);
    QVERIFY(grid()->RowColor(5) != Teal);
    // The click in the grid selects the row's node in the tree, without loading it.
    QCOMPARE(selected()->Data.Id, f->GridId(5));
    QCOMPARE(w().ShownId(), OpenEndId);
    f->ClickRow(2, true);
    QVERIFY(grid()->RowColor(2) != Teal);
    QCOMPARE(grid()->RowColor(4), Teal);

    // Reloading the grid removes every mark.
    f->ClickNode(f->Node(RingWrenches));
    f->ClickNode(f->Node(OpenEnd));
    QCOMPARE(w().ShownId(), OpenEndId);
    for (int row = 1; row < grid()->RowCount(); ++row)
        QVERIFY(grid()->RowColor(row) != Teal);
}

void TestMainWindow::sortThenDoubleClickGreenRow()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    f->ShowPath(Hardware);
    // The name column, descending on the first click.
    QHeaderView* header = grid()->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 10, 5));
    QCOMPARE(grid()->SortCol(), 2);
    QStringList names;
    for (int row = 1; row < grid()->RowCount(); ++row)
        names.append(grid()->Cells(2, row));
    QVERIFY(names.size() > 3);
    int green = -1;
    for (int row = 1; row < grid()->RowCount() && green < 0; ++row) {
        if (grid()->RowFontColor(row) == Green)
            green = row;
    }
    QVERIFY(green > 0);
    const QString classId = f->GridId(green);
    const QPoint at = grid()->visualRect(grid()->model()->index(green - 1, 0)).center();
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w().ShownId(), classId);
    // Shown sorted by the same column; the sort hands the tree the node of the current row.
    QCOMPARE(selected()->Data.Id, f->GridId(grid()->Row()));
    QCOMPARE(gridIds().size(), dbChildren(classId).size());
    for (int row = 2; row < grid()->RowCount(); ++row)
        QVERIFY(grid()->CompareCells(2, row - 1, row) != TSupGrids::crLess);

    // A record row shows nothing new.
    f->ClickNode(f->Node(Hardware));
    int black = grid()->RowCount() - 1;
    while (grid()->RowFontColor(black) == Green)
        --black;
    const QString recordId = f->GridId(black);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {},
        grid()->visualRect(grid()->model()->index(black - 1, 0)).center());
    QVERIFY(!recordId.isEmpty());
    QCOMPARE(w().ShownId(), f->Node(Hardware)->Data.Id);
}

void TestMainWindow::categoryDropsPendingCut()
{
    QVERIFY(start());
    f->ChooseCategory(0);
    TTreeNode* root = w().tvBaseInfoItems->Root(0);
    idle(); // brings the enabling up to date
    QVERIFY(!w().acCut->isEnabled()); // a root can't be cut
    f->ShowPath(Screwdrivers);
    idle();
    QVERIFY(w().acCut->isEnabled());
    f->ClickNode(f->Node(Screwdrivers)->Item(0));
    f->PressShortcut(w().tvBaseInfo, Qt::Key_C);
    QVERIFY(w().CutPending());
    w().tvBaseInfo->SetSelected(root);
    w().UpdateActions();
    QVERIFY(!w().acInsertBrother->isEnabled());
    QVERIFY(w().acAddChild->isEnabled());
    f->ChooseCategory(0);
    QVERIFY(!w().CutPending());
    w().UpdateActions();
    QVERIFY(!w().acAddChild->isEnabled());
}

// A configured field that the result lacks ends the showing with its message; the cursor, the
// tree's drawing and the progress bar are back to normal.
void TestMainWindow::fieldErrorRestoresWindow()
{
    MainFixture::Options options;
    options.configEdits = { { "GridColumnFieldNames_Goods=UserCode", "GridColumnFieldNames_Goods=Nope" } };
    QVERIFY(start(options));
    f->ChooseCategory(0);
    QCOMPARE(f->TakeMessages(), QStringList { QStringLiteral("Field 'Nope' not found.") });
    QCOMPARE(f->Messages().shown.last().icon, MessageIcon::Error);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w().tvBaseInfo->updatesEnabled());
    QVERIFY(w().pbMain->isHidden());
    QCOMPARE(w().tvBaseInfoItems->RootCount(), 1);
    QCOMPARE(w().ShownId(), RootId);
}

void TestMainWindow::refusedLogOnEndsProgram_data()
{
    QTest::addColumn<bool>("raises");
    QTest::newRow("cancelled, or the backup failed") << false;
    // No account set chosen and no backup made: the window must not stay open for moves.
    QTest::newRow("the log-on raised an error") << true;
}

void TestMainWindow::refusedLogOnEndsProgram()
{
    QFETCH(bool, raises);
    SetSysConfigFileName(QStringLiteral(NS_DEMO_DIR "/Movedata.cfg"));
    ScriptedMessages messages;
    int logOns = 0;
    TfmMain window([&logOns, raises] {
        ++logOns;
        if (raises)
            throw Exception(QStringLiteral("备份失败"));
        return false;
    });
    window.show();
    window.activateWindow();
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(logOns, 1);
    QCOMPARE(messages.shown.size(), raises ? 1 : 0);
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
