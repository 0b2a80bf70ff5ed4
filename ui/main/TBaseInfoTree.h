#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>
#include <optional>

class TBaseInfoTreeModel;
class TTreeNode;

// The tree view of the main window: read-only captions, no expand buttons, the selection kept
// visible without focus, and an optional single-expand mode (selecting a node expands it and
// collapses the branch selected before, up to the first node the two share).
class TBaseInfoTree : public QTreeView {
    Q_OBJECT

public:
    explicit TBaseInfoTree(QWidget* parent = nullptr);

    void SetTreeModel(TBaseInfoTreeModel* model);
    TBaseInfoTreeModel* TreeModel() const { return FModel; }

    void SetSingleExpand(bool on) { FSingleExpand = on; }
    bool SingleExpand() const { return FSingleExpand; }

    // The selected node, or null.
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* NodeAt(const QPoint& viewportPos) const;
    bool IsExpanded(const TTreeNode* node) const;
    void Expand(const TTreeNode* node, bool recursive);

signals:
    // Left button released over the tree.
    void OnClick();
    void OnKeyUp(int key);
    // Setting key to a null character consumes it.
    void OnKeyPress(QChar& key);
    // Any button pressed; the right button does nothing else here.
    void OnMouseDown(Qt::MouseButton button, const QPoint& viewportPos);
    // A node was expanded or collapsed.
    void OnExpansionChanged(TTreeNode* node);

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void ExpandSingle(const QModelIndex& current, const QModelIndex& previous);
    void ChildrenAboutToBeDeleted(TTreeNode* node);

    TBaseInfoTreeModel* FModel = nullptr;
    bool FSingleExpand = false;
    bool FPressing = false;
    std::optional<QPersistentModelIndex> FPressedFrom; // selected before the press moved it
};
