#include "ui/main/TBaseInfoTreeModel.h"

#include "ui/main/TImageList.h"

#include <QScopedValueRollback>
#include <vector>

namespace {

// The indexes on the way from a root down to node.
std::vector<int> PathOf(const TTreeNode* node)
{
    std::vector<int> path;
    for (; node; node = node->Parent())
        path.push_back(node->Index());
    return { path.rbegin(), path.rend() };
}

// Top to bottom, each node before its sub-nodes: the order of the paths, a prefix first.
bool ComesFirst(const TTreeNode* a, const TTreeNode* b)
{
    return PathOf(a) < PathOf(b);
}

} // namespace

TBaseInfoTreeModel::TBaseInfoTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
    , FRoot(NodeData(), TTreeNode::ClosedClass)
{
}

TBaseInfoTreeModel::~TBaseInfoTreeModel() = default;

void TBaseInfoTreeModel::Clear()
{
    const QScopedValueRollback<bool> restructuring(FRestructuring, true);
    beginResetModel();
    FRoot.FChildren.clear();
    FById.clear();
    endResetModel();
}

void TBaseInfoTreeModel::Adopt(TTreeNode* holder, std::unique_ptr<TTreeNode> node)
{
    node->FParent = holder == &FRoot ? nullptr : holder;
    node->FIndex = holder->Count();
    FById.insert(node->Data.Id, node.get());
    holder->FChildren.push_back(std::move(node));
}

TTreeNode* TBaseInfoTreeModel::AddNode(TTreeNode* parent, NodeData data, int imageIndex)
{
    TTreeNode* holder = Holder(parent);
    const int row = holder->Count();
    beginInsertRows(IndexOf(parent), row, row);
    Adopt(holder, std::make_unique<TTreeNode>(std::move(data), imageIndex));
    endInsertRows();
    return holder->Item(row);
}

void TBaseInfoTreeModel::AddNodes(TTreeNode* parent, std::vector<std::unique_ptr<TTreeNode>> nodes)
{
    if (nodes.empty())
        return;
    TTreeNode* holder = Holder(parent);
    const int first = holder->Count();
    beginInsertRows(IndexOf(parent), first, first + int(nodes.size()) - 1);
    holder->FChildren.reserve(holder->FChildren.size() + nodes.size());
    for (auto& node : nodes)
        Adopt(holder, std::move(node));
    endInsertRows();
}

void TBaseInfoTreeModel::Unindex(TTreeNode* node)
{
    FById.remove(node->Data.Id, node);
    for (const auto& child : node->FChildren)
        Unindex(child.get());
}

void TBaseInfoTreeModel::DeleteChildren(TTreeNode* node)
{
    if (!node->HasChildren())
        return;
    const QScopedValueRollback<bool> restructuring(FRestructuring, true);
    emit ChildrenAboutToBeDeleted(node);
    beginRemoveRows(IndexOf(node), 0, node->Count() - 1);
    for (const auto& child : node->FChildren)
        Unindex(child.get());
    node->FChildren.clear();
    endRemoveRows();
}

void TBaseInfoTreeModel::SetImageIndex(TTreeNode* node, int imageIndex, int selectedIndex)
{
    if (node->ImageIndex == imageIndex && node->SelectedIndex == selectedIndex)
        return;
    node->ImageIndex = imageIndex;
    node->SelectedIndex = selectedIndex;
    const QModelIndex at = IndexOf(node);
    emit dataChanged(at, at, { Qt::DecorationRole });
}

TTreeNode* TBaseInfoTreeModel::FindNodeById(const QString& id) const
{
    TTreeNode* found = nullptr;
    const auto [first, last] = FById.equal_range(id);
    for (auto it = first; it != last; ++it) {
        if (!found || ComesFirst(*it, found))
            found = *it;
    }
    return found;
}

TTreeNode* TBaseInfoTreeModel::FindChildById(const TTreeNode* holder, const QString& id) const
{
    TTreeNode* found = nullptr;
    const auto [first, last] = FById.equal_range(id);
    for (auto it = first; it != last; ++it) {
        TTreeNode* node = *it;
        if (node->Parent() == holder && (!found || node->Index() < found->Index()))
            found = node;
    }
    return found;
}

QModelIndex TBaseInfoTreeModel::IndexOf(const TTreeNode* node) const
{
    return node && node != &FRoot ? createIndex(node->Index(), 0, const_cast<TTreeNode*>(node))
                                  : QModelIndex();
}

TTreeNode* TBaseInfoTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TBaseInfoTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TTreeNode* holder = Holder(NodeOf(parent));
    if (column != 0 || row < 0 || row >= holder->Count() || (parent.isValid() && parent.column() != 0))
        return QModelIndex();
    return createIndex(row, 0, holder->Item(row));
}

QModelIndex TBaseInfoTreeModel::parent(const QModelIndex& child) const
{
    const TTreeNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TBaseInfoTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return Holder(NodeOf(parent))->Count();
}

int TBaseInfoTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TBaseInfoTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TBaseInfoTreeModel::data(const QModelIndex& index, int role) const
{
    const TTreeNode* node = NodeOf(index);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return node->Text();
    case Qt::DecorationRole:
        return FImages ? QVariant(FImages->Icon(node->ImageIndex)) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags TBaseInfoTreeModel::flags(const QModelIndex& index) const
{
    const TTreeNode* node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Lets the view skip asking record nodes for sub-nodes.
    if (node->IsRecord())
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
