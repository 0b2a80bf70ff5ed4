#include "controls/TSupGrids.h"
#include "tests/main/DemoGoods.h"
#include "tests/main/MainFixture.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace DemoGoods;
using Paste = TMoveRules::Paste;

namespace {

QString Quoted(const QString& path)
{
    return u'“' + path + u'”';
}

QString Child(const QString& path, const TTreeNode* node)
{
    return path + u'\\' + node->Text();
}

// The refusals, each from a fresh start.
enum Refusal {
    ClassFromTree,
    ClassRowFromGrid,
    ProtectedClassFromTree,
    ProtectedRecordInRange,
    ProtectedRecordMarked,
    RootSelected,
    ProtectedParentAsChild,
    ProtectedParentAsSibling,
    DestinationIsCutClass,
    NewParentIsCutClass,
    SameParentAsSibling,
    SameParentAsChild,
    AnsweredNo,
};

} // namespace

// Cuts and pastes against the demo account set, checked in the database file afterwards.
class TestMoveWorkflow : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        f.reset();
    }
    void recordFromTreeAsChild();
    void markedRowsAsSibling();
    void rangeAsChild();
    void classWithItsSubtree();
    void childFlags();
    void refusals_data();
    void refusals();
    void refusedCutKeepsPendingCut();
    void failureKeepsTheRestForRetry();
    void classBelowItsOwnDescendant();
    void serverKilledMidBatch();
    void noCommandsDuringBatch();

private:
    bool start(const MainFixture::Options& options = {});
    TfmMain& w() { return f->Window(); }
    TSupGrids* grid() { return w().gBaseInfo; }
    QWidget* tree() { return w().tvBaseInfo; }
    AccountSetFile::Node goods(const QString& id) { return f->Db().Get(Table, id); }
    QStringList journal()
    {
        return f->Db().Column(QStringLiteral("SELECT RecordId FROM MoveJournal ORDER BY Seq"));
    }
    bool storeIsConsistent();
    // Cuts the first record of 开口扳手 from the tree; its path.
    QString cutFirstOpenEndRecord(QString* id = nullptr);

    std::unique_ptr<MainFixture> f;
};

bool TestMoveWorkflow::start(const MainFixture::Options& options)
{
    f = std::make_unique<MainFixture>();
    QString error;
    if (!f->Start(options, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    f->ChooseCategory(0);
    return true;
}

bool TestMoveWorkflow::storeIsConsistent()
{
    QString output;
    const int code = f->Server().check(&output);
    if (code != 0)
        qWarning("bksvr --check: %s", qPrintable(output));
    return code == 0;
}

QString TestMoveWorkflow::cutFirstOpenEndRecord(QString* id)
{
    TTreeNode* record = f->ShowPath(OpenEnd)->Item(0);
    const QString path = Child(OpenEnd, record);
    if (id)
        *id = record->Data.Id;
    f->ClickNode(record);
    f->PressShortcut(tree(), Qt::Key_C);
    return path;
}

void TestMoveWorkflow::recordFromTreeAsChild()
{
    QVERIFY(start());
    QString id;
    const QString path = cutFirstOpenEndRecord(&id);
    QVERIFY(w().CutPending());
    QCOMPARE(w().CutText(), Quoted(path));
    QCOMPARE(w().StatusText(2), QString());

    f->ShowPath(Screwdrivers);
    f->TakeMessages();
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(f->Messages().shown.last().caption, TMoveRules::ConfirmCaption());
    QCOMPARE(f->TakeMessages(),
        QStringList { TMoveRules::ConfirmText(Paste::AsChild, Quoted(path), Screwdrivers) });

    const AccountSetFile::Node moved = goods(id);
    QCOMPARE(moved.parId, ScrewdriversId);
    QCOMPARE(moved.level, 4);
    QCOMPARE(goods(OpenEndId).hasChild, 1);
    QCOMPARE(journal(), QStringList { id });
    QCOMPARE(w().StatusText(2), QStringLiteral("已搬移 1 条记录"));
    QCOMPARE(w().StatusText(1), QString());
    QVERIFY(!w().CutPending());
    w().UpdateActions();
    QVERIFY(!w().acAddChild->isEnabled());
    // Reloaded around the destination: its parent is shown, with fresh sub-nodes.
    QCOMPARE(w().ShownId(), HandToolsId);
    QVERIFY(storeIsConsistent());
}

// Marked rows and the current row, pasted beside a record of 扳手 chosen in the grid while 扳手
// is shown: afterwards the grid shows 扳手 with the records that came in.
void TestMoveWorkflow::markedRowsAsSibling()
{
    QVERIFY(start());
    f->ShowPath(OpenEnd);
    const QStringList ids { f->GridId(1), f->GridId(3), f->GridId(5) };
    const QString first = OpenEnd + u'\\' + grid()->Cells(2, 1);
    const QString last = OpenEnd + u'\\' + grid()->Cells(2, 5);
    f->ClickRow(3, true);
    f->ClickRow(5, true);
    f->ClickRow(1);
    f->PressShortcut(grid(), Qt::Key_C);
    QCOMPARE(w().CutText(), Quoted(first) + QStringLiteral(" ...... ") + Quoted(last));

    f->ClickNode(f->Node(Wrenches));
    int recordRow = grid()->RowCount() - 1;
    const QString destinationId = f->GridId(recordRow);
    f->ClickRow(recordRow);
    QCOMPARE(w().tvBaseInfo->Selected()->Data.Id, destinationId);
    QCOMPARE(w().ShownId(), WrenchesId);
    f->PressShortcut(grid(), Qt::Key_B);

    QCOMPARE(journal(), ids);
    for (const QString& id : ids) {
        QCOMPARE(goods(id).parId, WrenchesId);
        QCOMPARE(goods(id).level, 4);
        QVERIFY(f->GridRow(id) > 0);
    }
    QCOMPARE(w().ShownId(), WrenchesId);
    QCOMPARE(w().StatusText(2), QStringLiteral("已搬移 3 条记录"));
    QVERIFY(storeIsConsistent());
}

void TestMoveWorkflow::rangeAsChild()
{
    QVERIFY(start());
    f->ShowPath(OpenEnd);
    f->ClickRow(7);
    f->PressShortcut(grid(), Qt::Key_C);
    QCOMPARE(w().CutText(), Quoted(OpenEnd + u'\\' + grid()->Cells(2, 7)));

    // A second cut replaces the first.
    QStringList ids;
    for (int row = 2; row <= 6; ++row)
        ids.append(f->GridId(row));
    f->ClickRow(2);
    f->ShiftClickRow(6);
    f->PressShortcut(grid(), Qt::Key_C);
    QCOMPARE(w().CutText(),
        Quoted(OpenEnd + u'\\' + grid()->Cells(2, 2)) + QString::fromUtf16(u" \u2026\u2026 ")
            + Quoted(OpenEnd + u'\\' + grid()->Cells(2, 6)));

    f->ShowPath(Drills);
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(journal(), ids);
    for (const QString& id : ids) {
        QCOMPARE(goods(id).parId, DrillsId);
        QCOMPARE(goods(id).level, 4);
    }
    QVERIFY(storeIsConsistent());
}

void TestMoveWorkflow::classWithItsSubtree()
{
    QVERIFY(start());
    f->ShowPath(Pliers);
    const QString record = f->GridId(1);
    f->PressShortcut(tree(), Qt::Key_C);
    QCOMPARE(w().CutText(), Quoted(Pliers));
    f->ShowPath(Drills);
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(journal(), QStringList { PliersId });
    QCOMPARE(goods(PliersId).parId, DrillsId);
    QCOMPARE(goods(PliersId).level, 4);
    QCOMPARE(goods(record).parId, PliersId);
    QCOMPARE(goods(record).level, 5);
    QCOMPARE(goods(HandToolsId).hasChild, 1);
    QVERIFY(storeIsConsistent());
}

// A record that receives a child becomes a class, and a record again when the child leaves.
void TestMoveWorkflow::childFlags()
{
    QVERIFY(start());
    TTreeNode* screwdrivers = f->ShowPath(Screwdrivers);
    const QString parentId = screwdrivers->Item(0)->Data.Id;
    const QString childId = screwdrivers->Item(1)->Data.Id;
    const QString parentPath = Child(Screwdrivers, screwdrivers->Item(0));
    f->ClickNode(screwdrivers->Item(1));
    f->PressShortcut(tree(), Qt::Key_C);
    f->ClickNode(f->Node(Screwdrivers)->Item(0));
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(goods(childId).parId, parentId);
    QCOMPARE(goods(childId).level, 5);
    QCOMPARE(goods(parentId).hasChild, 1);
    QCOMPARE(w().ShownId(), HandToolsId); // around the old parent, 螺丝刀, last

    f->ShowPath(Screwdrivers);
    QCOMPARE(grid()->RowFontColor(f->GridRow(parentId)), QColor(0, 150, 0));
    TTreeNode* parent = f->ShowPath(parentPath);
    QVERIFY(parent && !parent->IsRecord());
    QCOMPARE(parent->Count(), 1);
    f->ClickNode(parent->Item(0));
    f->PressShortcut(tree(), Qt::Key_C);
    f->ClickNode(f->Node(Screwdrivers));
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(goods(childId).parId, ScrewdriversId);
    QCOMPARE(goods(childId).level, 4);
    QCOMPARE(goods(parentId).hasChild, 0);
    QCOMPARE(journal(), QStringList({ childId, childId }));
    QVERIFY(storeIsConsistent());
}

void TestMoveWorkflow::refusals_data()
{
    QTest::addColumn<int>("refusal");
    QTest::addColumn<bool>("classCutsRefused");
    QTest::addColumn<QString>("message"); // the last box shown; empty: none at all
    QTest::addColumn<bool>("confirmed"); // the confirmation came first
    QTest::addColumn<bool>("pending");
    const QString classText = TMoveRules::ClassNotSupportedText;
    const QString protectedText = TMoveRules::ProtectedText;
    QTest::newRow("class from the tree, not supported")
        << int(ClassFromTree) << true << classText << false << false;
    QTest::newRow("class row from the grid, not supported")
        << int(ClassRowFromGrid) << true << classText << false << false;
    QTest::newRow("protected class from the tree")
        << int(ProtectedClassFromTree) << false << protectedText << false << false;
    QTest::newRow("protected record in a range")
        << int(ProtectedRecordInRange) << false << protectedText << false << false;
    QTest::newRow("protected record marked")
        << int(ProtectedRecordMarked) << false << protectedText << false << false;
    QTest::newRow("root selected") << int(RootSelected) << false << QString() << false << false;
    QTest::newRow("child of a protected class")
        << int(ProtectedParentAsChild) << false << protectedText << true << true;
    QTest::newRow("sibling below a protected class")
        << int(ProtectedParentAsSibling) << false << protectedText << true << true;
    QTest::newRow("child of the cut class itself")
        << int(DestinationIsCutClass) << false << TMoveRules::DestinationInCutText << true << true;
    QTest::newRow("sibling of a record of the cut class")
        << int(NewParentIsCutClass) << false << TMoveRules::DestinationInCutText << true << true;
    QTest::newRow("sibling under the same parent")
        << int(SameParentAsSibling) << false << TMoveRules::SameLevelText << true << true;
    QTest::newRow("child of its own parent")
        << int(SameParentAsChild) << false << TMoveRules::SamePlaceText << true << true;
    QTest::newRow("No to the confirmation") << int(AnsweredNo) << false << QString() << true << true;
}

void TestMoveWorkflow::refusals()
{
    QFETCH(int, refusal);
    QFETCH(bool, classCutsRefused);
    QFETCH(QString, message);
    QFETCH(bool, confirmed);
    QFETCH(bool, pending);
    QVERIFY(start(classCutsRefused ? MainFixture::ClassCutsRefused() : MainFixture::Options()));
    switch (Refusal(refusal)) {
    case ClassFromTree:
        f->ShowPath(Pliers);
        f->PressShortcut(tree(), Qt::Key_C);
        break;
    case ClassRowFromGrid:
        f->ShowPath(HandTools);
        f->ClickRow(f->GridRow(PliersId));
        f->PressShortcut(grid(), Qt::Key_C);
        break;
    case ProtectedClassFromTree:
        f->ShowPath(HeadStore);
        f->PressShortcut(tree(), Qt::Key_C);
        break;
    case ProtectedRecordInRange:
        f->ShowPath(HeadStoreBrand);
        f->ClickRow(1);
        f->ShiftClickRow(2);
        f->PressShortcut(grid(), Qt::Key_C);
        break;
    case ProtectedRecordMarked:
        f->ShowPath(HeadStoreBrand);
        f->ClickRow(2, true);
        f->PressShortcut(grid(), Qt::Key_C);
        break;
    case RootSelected:
        f->PressShortcut(tree(), Qt::Key_C);
        break;
    case ProtectedParentAsChild:
        cutFirstOpenEndRecord();
        f->ShowPath(HeadStoreBrand);
        f->PressShortcut(tree(), Qt::Key_S);
        break;
    case ProtectedParentAsSibling:
        cutFirstOpenEndRecord();
        f->ClickNode(f->ShowPath(HeadStoreBrand)->Item(0));
        f->PressShortcut(tree(), Qt::Key_B);
        break;
    case DestinationIsCutClass:
        f->ShowPath(Pliers);
        f->PressShortcut(tree(), Qt::Key_C);
        f->PressShortcut(tree(), Qt::Key_S);
        break;
    case NewParentIsCutClass:
        f->ShowPath(Pliers);
        f->PressShortcut(tree(), Qt::Key_C);
        f->ClickNode(f->Node(Pliers)->Item(0));
        f->PressShortcut(tree(), Qt::Key_B);
        break;
    case SameParentAsSibling:
        cutFirstOpenEndRecord();
        f->ClickNode(f->Node(OpenEnd)->Item(1));
        f->PressShortcut(tree(), Qt::Key_B);
        break;
    case SameParentAsChild:
        cutFirstOpenEndRecord();
        f->ClickNode(f->Node(OpenEnd));
        f->PressShortcut(tree(), Qt::Key_S);
        break;
    case AnsweredNo:
        cutFirstOpenEndRecord();
        f->ShowPath(Screwdrivers);
        f->Messages().answers = { false };
        f->PressShortcut(tree(), Qt::Key_S);
        break;
    }
    const QList<MessageRequest>& shown = f->Messages().shown;
    QCOMPARE(shown.isEmpty() ? QString() : shown.last().text,
        message.isEmpty() && confirmed ? shown.last().text : message);
    QCOMPARE(shown.size(), (message.isEmpty() ? 0 : 1) + (confirmed ? 1 : 0));
    if (confirmed)
        QCOMPARE(shown.first().caption, TMoveRules::ConfirmCaption());
    if (!message.isEmpty())
        QCOMPARE(shown.last().icon, MessageIcon::Information);
    QCOMPARE(w().CutPending(), pending);
    QVERIFY(journal().isEmpty());
    QCOMPARE(w().StatusText(1), QString());
    QCOMPARE(w().StatusText(2), QString());
}

// A refused cut leaves the cut that was pending before untouched: the paste moves what was cut.
void TestMoveWorkflow::refusedCutKeepsPendingCut()
{
    QVERIFY(start());
    QString id;
    const QString path = cutFirstOpenEndRecord(&id);
    f->ShowPath(Screwdrivers);
    f->ClickRow(1);
    f->ShowPath(HeadStoreBrand);
    f->ClickRow(1);
    f->ShiftClickRow(2);
    f->PressShortcut(grid(), Qt::Key_C);
    QCOMPARE(f->TakeMessages(), QStringList { TMoveRules::ProtectedText });
    QVERIFY(w().CutPending());
    QCOMPARE(w().CutText(), Quoted(path));

    f->ShowPath(Screwdrivers);
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(f->TakeMessages(),
        QStringList { TMoveRules::ConfirmText(Paste::AsChild, Quoted(path), Screwdrivers) });
    QCOMPARE(journal(), QStringList { id });
}

// Three records of which the second was moved away meanwhile by someone else: the first moves,
// the second's failure is shown, the third waits. Once the second is back, the next paste moves
// the second and the third, and not the first again.
void TestMoveWorkflow::failureKeepsTheRestForRetry()
{
    QVERIFY(start());
    f->ShowPath(OpenEnd);
    const QStringList ids { f->GridId(1), f->GridId(2), f->GridId(3) };
    f->ClickRow(1, true);
    f->ClickRow(2, true);
    f->ClickRow(3, true);
    f->PressShortcut(grid(), Qt::Key_C);
    f->Db().Exec(
        QStringLiteral("UPDATE Goods SET ParId = '%1' WHERE TypeId = '%2'").arg(AdjustableId, ids[1]));
    QVERIFY2(f->Db().Error().isEmpty(), qPrintable(f->Db().Error()));
    f->ShowPath(Screwdrivers);
    f->TakeMessages();
    f->PressShortcut(tree(), Qt::Key_S);

    const QStringList shown = f->TakeMessages();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1],
        QStringLiteral("数据搬移出错：记录的上级已被他人改动，请重新选择基本信息后再搬移\r（错误号 -3）"));
    QCOMPARE(f->Messages().shown.last().icon, MessageIcon::Error);
    QCOMPARE(journal(), QStringList { ids[0] });
    QCOMPARE(goods(ids[0]).parId, ScrewdriversId);
    QCOMPARE(goods(ids[2]).parId, OpenEndId);
    QCOMPARE(w().StatusText(2), QStringLiteral("已搬移 1 条记录"));
    QCOMPARE(w().StatusText(1), QString());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w().CutPending());
    w().UpdateActions();
    QVERIFY(w().acAddChild->isEnabled());

    f->Db().Exec(QStringLiteral("UPDATE Goods SET ParId = '%1' WHERE TypeId = '%2'").arg(OpenEndId, ids[1]));
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(f->TakeMessages().size(), 1); // the confirmation only
    QCOMPARE(journal(), ids);
    for (const QString& id : ids)
        QCOMPARE(goods(id).parId, ScrewdriversId);
    QCOMPARE(w().StatusText(2), QStringLiteral("已搬移 2 条记录"));
    QVERIFY(!w().CutPending());
    QVERIFY(storeIsConsistent());
}

// The cut check only compares the cut ids; a class pasted below one of its own sub-classes is
// refused by the move procedure, and the operator reads why.
void TestMoveWorkflow::classBelowItsOwnDescendant()
{
    QVERIFY(start());
    f->ShowPath(HandTools);
    f->PressShortcut(tree(), Qt::Key_C);
    f->ShowPath(Wrenches);
    f->TakeMessages();
    f->PressShortcut(tree(), Qt::Key_S);
    const QStringList shown = f->TakeMessages();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1], QStringLiteral("数据搬移出错：不能搬移到自身或其下级节点之下\r（错误号 -5）"));
    QVERIFY(journal().isEmpty());
    QCOMPARE(goods(HandToolsId).parId, QStringLiteral("00001"));
    QCOMPARE(goods(WrenchesId).parId, HandToolsId);
    QVERIFY(w().CutPending());
    QVERIFY(storeIsConsistent());
}

// The server dies after five records of forty: one error, the window goes on working, and once
// the server is back the next paste moves the other thirty-five.
void TestMoveWorkflow::serverKilledMidBatch()
{
    QVERIFY(start());
    f->ShowPath(OpenEnd);
    QStringList ids;
    for (int row = 1; row <= 40; ++row)
        ids.append(f->GridId(row));
    f->ClickRow(1);
    f->ShiftClickRow(40);
    f->PressShortcut(grid(), Qt::Key_C);
    f->ShowPath(Screwdrivers);
    f->TakeMessages();

    bool killed = false;
    bool closeRefused = false;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (killed || w().StatusText(2) != TMoveRules::MovedCountText(5))
            return;
        w().close(); // no half-done batch by closing the window
        closeRefused = w().isVisible() && w().Moving();
        f->Server().kill();
        killed = true;
    });
    watch.start();
    f->PressShortcut(tree(), Qt::Key_S);
    watch.stop();
    QVERIFY(killed);
    QVERIFY(closeRefused);

    QStringList shown = f->TakeMessages();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[1].startsWith(QStringLiteral("数据搬移出错：")), qPrintable(shown[1]));
    QCOMPARE(journal(), ids.mid(0, 5));
    QCOMPARE(w().StatusText(2), TMoveRules::MovedCountText(5));
    QCOMPARE(w().StatusText(1), QString());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w().CutPending());
    QVERIFY(w().isVisible());

    // Without a server a node shows the query failure and the window stays usable.
    f->ClickNode(f->Node(Pliers));
    shown = f->TakeMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(QStringLiteral("基本信息查询失败：")), qPrintable(shown[0]));
    QCOMPARE(grid()->RowCount(), 2);

    QString error;
    QVERIFY2(f->RestartServer(&error), qPrintable(error));
    f->ShowPath(Screwdrivers);
    f->PressShortcut(tree(), Qt::Key_S);
    QCOMPARE(f->TakeMessages().size(), 1);
    QCOMPARE(journal(), ids);
    for (const QString& id : ids)
        QCOMPARE(goods(id).parId, ScrewdriversId);
    QCOMPARE(w().StatusText(2), TMoveRules::MovedCountText(35));
    QVERIFY(storeIsConsistent());
}

// Whatever reaches the window between two records (the operator's input itself waits for the end
// of the batch) neither starts another paste or cut nor switches the category.
void TestMoveWorkflow::noCommandsDuringBatch()
{
    QVERIFY(start());
    f->ShowPath(OpenEnd);
    f->ClickRow(1);
    f->ShiftClickRow(10);
    f->PressShortcut(grid(), Qt::Key_C);
    f->ShowPath(Screwdrivers);
    f->TakeMessages();
    bool tried = false;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (tried || w().StatusText(2) != TMoveRules::MovedCountText(3))
            return;
        tried = w().Moving();
        w().acAddChild->trigger();
        w().acInsertBrother->trigger();
        w().acCut->trigger();
        w().miBaseInfo->actions().at(1)->trigger();
    });
    watch.start();
    f->PressShortcut(tree(), Qt::Key_S);
    watch.stop();
    QVERIFY(tried);
    QCOMPARE(f->TakeMessages().size(), 1); // the one confirmation
    QCOMPARE(journal().size(), 10);
    QCOMPARE(w().TableName(), Table);
    QVERIFY(!w().CutPending());
    QVERIFY(!w().Moving());
}

QTEST_MAIN(TestMoveWorkflow)
#include "TestMoveWorkflow.moc"
