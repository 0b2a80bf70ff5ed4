#pragma once

#include "ui/main/TTreeNode.h"

#include <QAbstractItemModel>
#include <QList>
#include <QMultiHash>

class TImageList;

// The class tree of one base-information category, one column. Nodes are kept in the order they
// were added; sub-nodes are only ever appended or all removed at once, which is all the window
// needs and keeps a rebuild of 50,000 records to one insertion.
class TBaseInfoTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit TBaseInfoTreeModel(QObject* parent = nullptr);
    ~TBaseInfoTreeModel() override;

    // Pictures shown for the nodes' ImageIndex; the list must outlive the model.
    void SetImages(const TImageList* images) { FImages = images; }

    int RootCount() const { return FRoot.Count(); }
    TTreeNode* Root(int index) const { return FRoot.Item(index); }
    bool IsEmpty() const { return FRoot.Count() == 0; }

    void Clear();
    // Appends a node as the last sub-node of parent (a root when parent is null).
    TTreeNode* AddNode(TTreeNode* parent, NodeData data, int imageIndex);
    // Appends many sub-nodes to parent in one step (a root when parent is null).
    void AddNodes(TTreeNode* parent, std::vector<std::unique_ptr<TTreeNode>> nodes);
    void DeleteChildren(TTreeNode* node);
    void SetImageIndex(TTreeNode* node, int imageIndex, int selectedIndex);

    // The first node with exactly this id, walking the tree top to bottom, each node before its
    // sub-nodes; null when there is none.
    TTreeNode* FindNodeById(const QString& id) const;
    // The first direct sub-node of holder with exactly this id, or null.
    TTreeNode* FindChildById(const TTreeNode* holder, const QString& id) const;

    // True while nodes are being dropped (views must not open or close nodes then).
    bool Restructuring() const { return FRestructuring; }

    QModelIndex IndexOf(const TTreeNode* node) const;
    TTreeNode* NodeOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Before the sub-nodes of node go, so that a view can move its selection out of them.
    void ChildrenAboutToBeDeleted(TTreeNode* node);

private:
    TTreeNode* Holder(TTreeNode* parent) { return parent ? parent : &FRoot; }
    const TTreeNode* Holder(const TTreeNode* parent) const { return parent ? parent : &FRoot; }
    void Adopt(TTreeNode* holder, std::unique_ptr<TTreeNode> node);
    void Unindex(TTreeNode* node);

    // Holds the roots as its sub-nodes; the roots themselves have no parent.
    TTreeNode FRoot;
    QMultiHash<QString, TTreeNode*> FById;
    const TImageList* FImages = nullptr;
    bool FRestructuring = false;
};
