#include "ui/main/TTreeNode.h"

int TTreeNode::Level() const
{
    int level = 0;
    for (const TTreeNode* node = FParent; node; node = node->FParent)
        ++level;
    return level;
}

bool TTreeNode::IsAncestorOf(const TTreeNode* other) const
{
    for (const TTreeNode* node = other; node; node = node->FParent) {
        if (node == this)
            return true;
    }
    return false;
}
