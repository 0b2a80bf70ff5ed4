#pragma once

#include <QIcon>
#include <QList>

// A list of pictures addressed by index, as the actions, menus and the tree refer to them.
// The program's pictures are drawn here, so no image files are needed.
class TImageList {
public:
    // Indexes of MainImages().
    enum Main { Exit = 4, Cut = 5, InsertBrother = 6, AddChild = 7, Category = 8 };

    // Pictures of actions and menus; 0 to 3 are unused and empty.
    static TImageList MainImages();
    // Pictures of the tree: 0 closed class, 1 open class, 2 record (TTreeNode::Picture).
    static TImageList TreeImages();

    int Count() const { return int(FIcons.size()); }
    // An empty icon for an index out of range.
    QIcon Icon(int index) const { return FIcons.value(index); }

private:
    QList<QIcon> FIcons;
};
