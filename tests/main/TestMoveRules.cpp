#include "ui/main/TMoveRules.h"

#include <QTest>

using Paste = TMoveRules::Paste;
using CutFrom = TMoveRules::CutFrom;
Q_DECLARE_METATYPE(TMoveRules::Paste)
Q_DECLARE_METATYPE(TMoveRules::CutFrom)
Q_DECLARE_METATYPE(QList<TCutEntry>)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

QList<TCutEntry> Cut(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    QList<TCutEntry> cut;
    for (const auto& [id, parId] : entries)
        cut.append({ QString::fromUtf8(id), QString::fromUtf8(parId) });
    return cut;
}

} // namespace

class TestMoveRules : public QObject {
    Q_OBJECT

private slots:
    void protectedId_data();
    void protectedId();
    void cutRefusal_data();
    void cutRefusal();
    void pasteRefusal_data();
    void pasteRefusal();
    void enabling_data();
    void enabling();
    void texts_data();
    void texts();
};

void TestMoveRules::protectedId_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("isProtected");
    QTest::newRow("the head store class") << "99999" << true;
    QTest::newRow("a record below it") << "9999900001" << true;
    QTest::newRow("letters after the prefix") << "99999abc" << true;
    QTest::newRow("99999 further on") << "0199999" << false;
    QTest::newRow("four nines") << "9999" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("full-width digits") << "９９９９９" << false;
}

void TestMoveRules::protectedId()
{
    QFETCH(QString, id);
    QFETCH(bool, isProtected);
    QCOMPARE(TMoveRules::IsProtectedId(id), isProtected);
}

void TestMoveRules::cutRefusal_data()
{
    QTest::addColumn<CutFrom>("from");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("isClass");
    QTest::addColumn<bool>("supportNotLeafNode");
    QTest::addColumn<QString>("refusal");
    const QString classText = TMoveRules::ClassNotSupportedText;
    const QString protectedText = TMoveRules::ProtectedText;
    for (CutFrom from : { CutFrom::Tree, CutFrom::Grid }) {
        const char* where = from == CutFrom::Tree ? "tree: " : "grid: ";
        QTest::addRow("%srecord", where) << from << "0000100001" << false << false << "";
        QTest::addRow("%sclass, classes supported", where) << from << "00001" << true << true << "";
        QTest::addRow("%sclass, not supported", where) << from << "00001" << true << false << classText;
        QTest::addRow("%sprotected record", where) << from << "9999900001" << false << false << protectedText;
        QTest::addRow("%sprotected class, supported", where)
            << from << "99999" << true << true << protectedText;
    }
    // Both refusals apply: the tree asks about the class first, the grid about the id first.
    QTest::newRow("tree: protected class, not supported")
        << CutFrom::Tree << "99999" << true << false << classText;
    QTest::newRow("grid: protected class, not supported")
        << CutFrom::Grid << "99999" << true << false << protectedText;
}

void TestMoveRules::cutRefusal()
{
    QFETCH(CutFrom, from);
    QFETCH(QString, id);
    QFETCH(bool, isClass);
    QFETCH(bool, supportNotLeafNode);
    QFETCH(QString, refusal);
    QCOMPARE(TMoveRules::CutRefusal(from, id, isClass, supportNotLeafNode), refusal);
}

void TestMoveRules::pasteRefusal_data()
{
    QTest::addColumn<Paste>("paste");
    QTest::addColumn<QString>("newParId");
    QTest::addColumn<QList<TCutEntry>>("cut");
    QTest::addColumn<QString>("refusal");
    const QList<TCutEntry> two = Cut({ { "00001AB001", "00001" }, { "00002CD002", "00002" } });
    for (Paste paste : { Paste::AsSibling, Paste::AsChild }) {
        const char* how = paste == Paste::AsSibling ? "sibling: " : "child: ";
        QTest::addRow("%sanother parent", how) << paste << "00003" << two << "";
        QTest::addRow("%sprotected new parent", how)
            << paste << "9999900002" << two << TMoveRules::ProtectedText;
        QTest::addRow("%snew parent is a cut record", how)
            << paste << "00002CD002" << two << TMoveRules::DestinationInCutText;
        QTest::addRow("%scut ids compared without ASCII case", how)
            << paste << "00002cd002" << two << TMoveRules::DestinationInCutText;
        QTest::addRow("%sprotected before in the cut", how)
            << paste << "99999" << Cut({ { "99999", "00000" } }) << TMoveRules::ProtectedText;
        QTest::addRow("%sin the cut before the same parent", how)
            << paste << "00001" << Cut({ { "00001", "00001" } }) << TMoveRules::DestinationInCutText;
        // Only the first record's parent is compared.
        QTest::addRow("%sparent of the second record", how) << paste << "00002" << two << "";
        QTest::addRow("%sparent ids compared exactly", how)
            << paste << "0000a" << Cut({ { "1", "0000A" } }) << "";
    }
    QTest::newRow("sibling: same parent") << Paste::AsSibling << "00001" << two << TMoveRules::SameLevelText;
    QTest::newRow("child: same parent") << Paste::AsChild << "00001" << two << TMoveRules::SamePlaceText;
    QTest::newRow("empty cut") << Paste::AsChild << "00001" << QList<TCutEntry>() << "";
}

void TestMoveRules::pasteRefusal()
{
    QFETCH(Paste, paste);
    QFETCH(QString, newParId);
    QFETCH(QList<TCutEntry>, cut);
    QFETCH(QString, refusal);
    QCOMPARE(TMoveRules::PasteRefusal(paste, newParId, cut), refusal);
}

void TestMoveRules::enabling_data()
{
    QTest::addColumn<std::optional<int>>("level");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<int>("maxLevel");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("sibling");
    QTest::addColumn<bool>("child");
    const std::optional<int> none;
    QTest::newRow("nothing selected") << none << true << 10 << false << false << false;
    QTest::newRow("root, nothing cut") << std::optional(0) << false << 10 << false << false << false;
    QTest::newRow("root, cut pending") << std::optional(0) << true << 10 << false << false << true;
    QTest::newRow("root, no level allowed") << std::optional(0) << true << 0 << false << false << false;
    QTest::newRow("level 1, nothing cut") << std::optional(1) << false << 10 << true << false << false;
    QTest::newRow("level 1, cut pending") << std::optional(1) << true << 10 << true << true << true;
    QTest::newRow("below the maximum") << std::optional(9) << true << 10 << true << true << true;
    QTest::newRow("at the maximum") << std::optional(10) << true << 10 << true << true << false;
}

void TestMoveRules::enabling()
{
    QFETCH(std::optional<int>, level);
    QFETCH(bool, pending);
    QFETCH(int, maxLevel);
    QFETCH(bool, cut);
    QFETCH(bool, sibling);
    QFETCH(bool, child);
    QCOMPARE(TMoveRules::CanCut(level), cut);
    QCOMPARE(TMoveRules::CanPaste(Paste::AsSibling, level, pending, maxLevel), sibling);
    QCOMPARE(TMoveRules::CanPaste(Paste::AsChild, level, pending, maxLevel), child);
}

void TestMoveRules::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tree cut") << TMoveRules::TreeCutText(QStringLiteral("全部\\A\\r1")) << "“全部\\A\\r1”";
    QTest::newRow("marked rows") << TMoveRules::MarkedCutText(
        QStringLiteral("R\\A\\r1"), QStringLiteral("R\\A\\r2"))
                                 << "“R\\A\\r1” ...... “R\\A\\r2”";
    QTest::newRow("one marked row") << TMoveRules::MarkedCutText(QStringLiteral("R\\r1"),
        QStringLiteral("R\\r1")) << "“R\\r1” ...... “R\\r1”";
    QTest::newRow("range of one") << TMoveRules::RangeCutText(
        QStringLiteral("R\\r1"), QStringLiteral("R\\r1"), 1)
                                  << "“R\\r1”";
    QTest::newRow("range of two") << TMoveRules::RangeCutText(
        QStringLiteral("R\\r1"), QStringLiteral("R\\r2"), 2)
                                  << QString::fromUtf16(u"“R\\r1” \u2026\u2026 “R\\r2”");
    QTest::newRow("confirm sibling")
        << TMoveRules::ConfirmText(Paste::AsSibling, QStringLiteral("“R\\A\\r1”"), QStringLiteral("R\\B"))
        << QString::fromUtf16(
               u"您确认将数据从节点：\r\u3000“R\\A\\r1”\r搬移到节点：\r\u3000“R\\B”的同一级吗？");
    QTest::newRow("confirm child")
        << TMoveRules::ConfirmText(Paste::AsChild, QStringLiteral("“x”"), QStringLiteral("R"))
        << QString::fromUtf16(u"您确认将数据从节点：\r\u3000“x”\r搬移到节点：\r\u3000“R”的下一级吗？");
    QTest::newRow("caption") << TMoveRules::ConfirmCaption() << "数据搬移提示";
    QTest::newRow("moved count") << TMoveRules::MovedCountText(3) << "已搬移 3 条记录";
    QTest::newRow("new level, sibling") << QString::number(TMoveRules::NewLevel(Paste::AsSibling, 2)) << "2";
    QTest::newRow("new level, child") << QString::number(TMoveRules::NewLevel(Paste::AsChild, 2)) << "3";
}

void TestMoveRules::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

QTEST_GUILESS_MAIN(TestMoveRules)
#include "TestMoveRules.moc"
