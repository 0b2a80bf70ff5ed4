#include "ui/main/TMoveRules.h"

#include "common/Helpers.h"

const QString TMoveRules::ClassNotSupportedText = QStringLiteral("您选择了包含子分类的节点，不能剪切！");
const QString TMoveRules::ProtectedText = QStringLiteral("加盟店总店商品不允许被搬移！");
const QString TMoveRules::DestinationInCutText
    = QStringLiteral("搬移的目的节点属于被搬移对象，不能执行搬移！");
const QString TMoveRules::SameLevelText = QStringLiteral("同级节点，无须按兄弟节点插入！");
const QString TMoveRules::SamePlaceText = QStringLiteral("选择位置与原位置一致，无须搬移！");

namespace {

QString Quoted(const QString& path)
{
    return u'“' + path + u'”';
}

} // namespace

bool TMoveRules::IsProtectedId(const QString& id)
{
    return id.startsWith(QStringLiteral("99999"));
}

QString TMoveRules::CutRefusal(CutFrom from, const QString& id, bool isClass, bool supportNotLeafNode)
{
    const bool classRefused = isClass && !supportNotLeafNode;
    if (from == CutFrom::Tree && classRefused)
        return ClassNotSupportedText;
    if (IsProtectedId(id))
        return ProtectedText;
    return classRefused ? ClassNotSupportedText : QString();
}

bool TMoveRules::DestinationInCut(const QString& id, const QList<TCutEntry>& cut)
{
    for (const TCutEntry& entry : cut) {
        if (SameText(id, entry.Id))
            return true;
    }
    return false;
}

QString TMoveRules::PasteRefusal(Paste paste, const QString& newParId, const QList<TCutEntry>& cut)
{
    if (IsProtectedId(newParId))
        return ProtectedText;
    if (DestinationInCut(newParId, cut))
        return DestinationInCutText;
    if (!cut.isEmpty() && cut.first().ParId == newParId)
        return paste == Paste::AsSibling ? SameLevelText : SamePlaceText;
    return QString();
}

int TMoveRules::NewLevel(Paste paste, int destinationLevel)
{
    return paste == Paste::AsSibling ? destinationLevel : destinationLevel + 1;
}

bool TMoveRules::CanCut(std::optional<int> selectedLevel)
{
    return selectedLevel && *selectedLevel != 0;
}

bool TMoveRules::CanPaste(Paste paste, std::optional<int> selectedLevel, bool cutPending, int maxLevel)
{
    if (!selectedLevel || !cutPending)
        return false;
    return paste == Paste::AsSibling ? *selectedLevel != 0 : *selectedLevel < maxLevel;
}

QString TMoveRules::TreeCutText(const QString& path)
{
    return Quoted(path);
}

QString TMoveRules::MarkedCutText(const QString& firstPath, const QString& lastPath)
{
    return Quoted(firstPath) + QStringLiteral(" ...... ") + Quoted(lastPath);
}

QString TMoveRules::RangeCutText(const QString& firstPath, const QString& lastPath, int rows)
{
    return rows >= 2 ? Quoted(firstPath) + QStringLiteral(" …… ") + Quoted(lastPath) : Quoted(firstPath);
}

QString TMoveRules::ConfirmCaption()
{
    return QStringLiteral("数据搬移提示");
}

QString TMoveRules::ConfirmText(Paste paste, const QString& cutText, const QString& destinationPath)
{
    const QString word = paste == Paste::AsSibling ? QStringLiteral("同一级") : QStringLiteral("下一级");
    return QStringLiteral("您确认将数据从节点：\r\u3000") + cutText + QStringLiteral("\r搬移到节点：\r\u3000")
        + Quoted(destinationPath) + QStringLiteral("的") + word + QStringLiteral("吗？");
}

QString TMoveRules::MovedCountText(int count)
{
    return Format(QStringLiteral("已搬移 %d 条记录"), { count });
}
