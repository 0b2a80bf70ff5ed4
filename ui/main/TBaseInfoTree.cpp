#include "ui/main/TBaseInfoTree.h"

#include "ui/main/TBaseInfoTreeModel.h"

#include <QKeyEvent>

TBaseInfoTree::TBaseInfoTree(QWidget* parent)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setIndentation(19);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setMouseTracking(true); // hot tracking
    setAnimated(false);
    QPalette pal = palette();
    for (QPalette::ColorRole role : { QPalette::Highlight, QPalette::HighlightedText })
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
    connect(this, &QTreeView::expanded, this,
        [this](const QModelIndex& index) { emit OnExpansionChanged(FModel->NodeOf(index)); });
    connect(this, &QTreeView::collapsed, this,
        [this](const QModelIndex& index) { emit OnExpansionChanged(FModel->NodeOf(index)); });
}

void TBaseInfoTree::SetTreeModel(TBaseInfoTreeModel* model)
{
    FModel = model;
    setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &TBaseInfoTree::CurrentChanged);
    connect(
        model, &TBaseInfoTreeModel::ChildrenAboutToBeDeleted, this, &TBaseInfoTree::ChildrenAboutToBeDeleted);
}

TTreeNode* TBaseInfoTree::Selected() const
{
    return FModel->NodeOf(currentIndex());
}

void TBaseInfoTree::SetSelected(TTreeNode* node)
{
    setCurrentIndex(FModel->IndexOf(node));
}

TTreeNode* TBaseInfoTree::NodeAt(const QPoint& viewportPos) const
{
    return FModel->NodeOf(indexAt(viewportPos));
}

bool TBaseInfoTree::IsExpanded(const TTreeNode* node) const
{
    return isExpanded(FModel->IndexOf(node));
}

void TBaseInfoTree::Expand(const TTreeNode* node, bool recursive)
{
    const QModelIndex index = FModel->IndexOf(node);
    recursive ? expandRecursively(index) : expand(index);
}

void TBaseInfoTree::CurrentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The model moves the selection itself while it drops nodes; nothing to open or close then.
    if (!FSingleExpand || FModel->Restructuring())
        return;
    // A mouse press goes on working with the rows where they were: open and close afterwards.
    if (FPressing) {
        if (!FPressedFrom)
            FPressedFrom = QPersistentModelIndex(previous);
        return;
    }
    ExpandSingle(current, previous);
}

void TBaseInfoTree::ExpandSingle(const QModelIndex& current, const QModelIndex& previous)
{
    const TTreeNode* now = FModel->NodeOf(current);
    for (const TTreeNode* node = FModel->NodeOf(previous); node; node = node->Parent()) {
        if (now && node->IsAncestorOf(now))
            break;
        collapse(FModel->IndexOf(node));
    }
    if (!now)
        return;
    for (const TTreeNode* up = now->Parent(); up; up = up->Parent())
        expand(FModel->IndexOf(up));
    expand(current);
}

// Windows trees hand the selection up to the parent when its sub-nodes go; so do we, at once.
void TBaseInfoTree::ChildrenAboutToBeDeleted(TTreeNode* node)
{
    const TTreeNode* selected = Selected();
    if (selected && selected != node && node->IsAncestorOf(selected))
        selectionModel()->setCurrentIndex(FModel->IndexOf(node), QItemSelectionModel::ClearAndSelect);
}

void TBaseInfoTree::drawBranches(QPainter*, const QRect&, const QModelIndex&) const { }

void TBaseInfoTree::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty()) {
        QChar key = event->text().front();
        emit OnKeyPress(key);
        if (key.isNull()) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void TBaseInfoTree::keyReleaseEvent(QKeyEvent* event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit OnKeyUp(event->key());
}

void TBaseInfoTree::mousePressEvent(QMouseEvent* event)
{
    emit OnMouseDown(event->button(), event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    FPressing = true;
    FPressedFrom.reset();
    QTreeView::mousePressEvent(event);
    FPressing = false;
    if (FPressedFrom) {
        const QModelIndex previous = *FPressedFrom;
        FPressedFrom.reset();
        ExpandSingle(currentIndex(), previous);
    }
}

void TBaseInfoTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit OnClick();
}
