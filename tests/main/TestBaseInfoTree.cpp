#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

NodeData Data(const char* caption, const char* id, const char* parId = "")
{
    return { QString(), QString::fromUtf8(caption), QString::fromUtf8(id), QString::fromUtf8(parId) };
}

std::vector<std::unique_ptr<TTreeNode>> Records(int count, const QString& parId)
{
    std::vector<std::unique_ptr<TTreeNode>> nodes;
    for (int i = 0; i < count; ++i) {
        const QString id = parId + QString::number(i).rightJustified(5, u'0');
        nodes.push_back(std::make_unique<TTreeNode>(NodeData { {}, id, id, parId }, TTreeNode::Record));
    }
    return nodes;
}

// R1 { A { A1 { a } }, B }, R2 { C }, built as the window builds it.
struct Sample {
    TBaseInfoTreeModel model;
    QAbstractItemModelTester tester { &model, QAbstractItemModelTester::FailureReportingMode::QtTest };
    TTreeNode *R1, *A, *A1, *a, *B, *R2, *C;

    Sample()
    {
        R1 = model.AddNode(nullptr, Data("R1", "R1"), TTreeNode::ClosedClass);
        R2 = model.AddNode(nullptr, Data("R2", "R2"), TTreeNode::ClosedClass);
        A = model.AddNode(R1, Data("A", "A", "R1"), TTreeNode::ClosedClass);
        B = model.AddNode(R1, Data("B", "B", "R1"), TTreeNode::ClosedClass);
        A1 = model.AddNode(A, Data("A1", "A1", "A"), TTreeNode::ClosedClass);
        a = model.AddNode(A1, Data("a", "a", "A1"), TTreeNode::Record);
        C = model.AddNode(R2, Data("C", "C", "R2"), TTreeNode::ClosedClass);
    }
    TTreeNode* Node(const QString& name) const
    {
        for (TTreeNode* node : { R1, A, A1, a, B, R2, C })
            if (node->Text() == name)
                return node;
        return nullptr;
    }
};

} // namespace

class TestBaseInfoTree : public QObject {
    Q_OBJECT

private slots:
    void structure();
    void bulkRebuild();
    void findById();
    void picturesAndFlags();
    void singleExpand_data();
    void singleExpand();
    void selectionLeavesDeletedNodes();
};

void TestBaseInfoTree::structure()
{
    Sample s;
    QCOMPARE(s.model.RootCount(), 2);
    QCOMPARE(s.a->Level(), 3);
    QCOMPARE(s.a->Parent(), s.A1);
    QCOMPARE(s.B->Index(), 1);
    QVERIFY(s.R1->IsAncestorOf(s.a));
    QVERIFY(!s.B->IsAncestorOf(s.a));
    const QModelIndex a = s.model.IndexOf(s.a);
    QCOMPARE(a.data().toString(), QStringLiteral("a"));
    QCOMPARE(s.model.NodeOf(a.parent().parent()), s.A);
    QVERIFY(!s.model.IndexOf(s.R2).parent().isValid());

    s.model.DeleteChildren(s.R1);
    QCOMPARE(s.model.rowCount(s.model.IndexOf(s.R1)), 0);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("a")), nullptr);
    s.model.Clear();
    QVERIFY(s.model.IsEmpty());
    QCOMPARE(s.model.FindNodeById(QStringLiteral("C")), nullptr);
}

// The rebuild of a class's sub-nodes: everything out, then all new ones in one insertion.
void TestBaseInfoTree::bulkRebuild()
{
    Sample s;
    QSignalSpy inserted(&s.model, &QAbstractItemModel::rowsInserted);
    s.model.AddNodes(s.B, Records(50000, QStringLiteral("B")));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(s.B->Count(), 50000);
    QCOMPARE(s.B->Item(49999)->Index(), 49999);
    QCOMPARE(s.model.FindChildById(s.B, QStringLiteral("B49999")), s.B->Item(49999));
    s.model.DeleteChildren(s.B);
    s.model.AddNodes(s.B, Records(3, QStringLiteral("B")));
    QCOMPARE(s.B->Count(), 3);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("B00004")), nullptr);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("B00002")), s.B->Item(2));
}

// A stale copy of a record may stay elsewhere until that part is reloaded: the first one top to
// bottom wins, each node before its sub-nodes.
void TestBaseInfoTree::findById()
{
    Sample s;
    TTreeNode* late = s.model.AddNode(s.C, Data("x2", "x", "C"), TTreeNode::Record);
    TTreeNode* deep = s.model.AddNode(s.a->Parent(), Data("x1", "x", "A1"), TTreeNode::Record);
    TTreeNode* shallow = s.model.AddNode(s.R1, Data("x0", "x", "R1"), TTreeNode::Record);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("x")), deep);
    QCOMPARE(s.model.FindChildById(s.R1, QStringLiteral("x")), shallow);
    QCOMPARE(s.model.FindChildById(s.B, QStringLiteral("x")), nullptr);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("X")), nullptr); // ids compare exactly
    s.model.DeleteChildren(s.R1);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("x")), late);
    QCOMPARE(s.model.FindNodeById(QStringLiteral("R1")), s.R1);
}

void TestBaseInfoTree::picturesAndFlags()
{
    Sample s;
    QSignalSpy changed(&s.model, &QAbstractItemModel::dataChanged);
    s.model.SetImageIndex(s.A, TTreeNode::OpenClass, TTreeNode::OpenClass);
    s.model.SetImageIndex(s.A, TTreeNode::OpenClass, TTreeNode::OpenClass);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(s.A->ImageIndex, int(TTreeNode::OpenClass));
    QVERIFY(s.model.flags(s.model.IndexOf(s.a)) & Qt::ItemNeverHasChildren);
    QVERIFY(!(s.model.flags(s.model.IndexOf(s.B)) & Qt::ItemNeverHasChildren));
    QVERIFY(s.a->IsRecord());
    QVERIFY(!s.A->IsRecord());
}

void TestBaseInfoTree::singleExpand_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<QStringList>("selections");
    QTest::addColumn<QStringList>("expanded");
    const auto list
        = [](const char* names) { return QString::fromUtf8(names).split(u' ', Qt::SkipEmptyParts); };
    QTest::newRow("selecting opens the node and its way down") << true << list("A1") << list("R1 A A1");
    QTest::newRow("a sibling closes the branch up to the shared parent")
        << true << list("a B") << list("R1 B");
    QTest::newRow("another root closes the whole branch") << true << list("A1 R2") << list("R2");
    QTest::newRow("a node below keeps the way open") << true << list("A A1") << list("R1 A A1");
    QTest::newRow("back up closes the node selected before") << true << list("A1 A") << list("R1 A");
    QTest::newRow("without the mode nothing closes") << false << list("A1 R2") << QStringList();
}

void TestBaseInfoTree::singleExpand()
{
    QFETCH(bool, on);
    QFETCH(QStringList, selections);
    QFETCH(QStringList, expanded);
    Sample s;
    TBaseInfoTree view;
    view.SetTreeModel(&s.model);
    view.SetSingleExpand(on);
    for (const QString& name : selections)
        view.SetSelected(s.Node(name));
    QStringList open;
    for (TTreeNode* node : { s.R1, s.A, s.A1, s.a, s.B, s.R2, s.C }) {
        if (view.IsExpanded(node))
            open.append(node->Text());
    }
    QCOMPARE(open, expanded);
    QCOMPARE(view.Selected(), s.Node(selections.last()));
}

// Rebuilding the sub-nodes of a node that holds the selection hands the selection to that node
// and leaves the node open.
void TestBaseInfoTree::selectionLeavesDeletedNodes()
{
    Sample s;
    TBaseInfoTree view;
    view.SetTreeModel(&s.model);
    view.SetSingleExpand(true);
    view.SetSelected(s.a);
    s.model.DeleteChildren(s.R1);
    QCOMPARE(view.Selected(), s.R1);
    QVERIFY(view.IsExpanded(s.R1));
    QVERIFY(!s.model.Restructuring());
    s.model.AddNodes(s.R1, Records(2, QStringLiteral("R1")));
    QVERIFY(view.isExpanded(s.model.IndexOf(s.R1)));
}

QTEST_MAIN(TestBaseInfoTree)
#include "TestBaseInfoTree.moc"
