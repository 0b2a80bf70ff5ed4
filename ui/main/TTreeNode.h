#pragma once

#include "ui/main/NodeData.h"

#include <memory>
#include <vector>

// One node of the base-information tree. It owns its record and its sub-nodes; only
// TBaseInfoTreeModel changes the structure, so views always hear of it.
class TTreeNode {
public:
    // The pictures of the tree's image list.
    enum Picture { ClosedClass = 0, OpenClass = 1, Record = 2 };

    TTreeNode(NodeData data, int imageIndex)
        : Data(std::move(data))
        , ImageIndex(imageIndex)
        , SelectedIndex(imageIndex)
    {
    }

    NodeData Data;
    int ImageIndex;
    int SelectedIndex;

    const QString& Text() const { return Data.Caption; }
    bool IsRecord() const { return ImageIndex == Record; }
    TTreeNode* Parent() const { return FParent; }
    // Position among the parent's sub-nodes (or among the roots).
    int Index() const { return FIndex; }
    // 0 for a root.
    int Level() const;
    int Count() const { return int(FChildren.size()); }
    TTreeNode* Item(int index) const { return FChildren[size_t(index)].get(); }
    bool HasChildren() const { return !FChildren.empty(); }
    // True when this node lies on other's way up to its root (other itself included).
    bool IsAncestorOf(const TTreeNode* other) const;

private:
    friend class TBaseInfoTreeModel;

    TTreeNode* FParent = nullptr;
    int FIndex = 0;
    std::vector<std::unique_ptr<TTreeNode>> FChildren;
};
