#include "controls/TSupGrids.h"

#include "controls/TSortKeys.h"
#include "controls/TStringGridModel.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// The box the sort glyph takes: a 10-point symbol font's triangle cell.
constexpr int GlyphWidth = 11;
constexpr int GlyphHeight = 13;

TSupGrids::TCompareResult ToCompareResult(int order)
{
    return order > 0 ? TSupGrids::crGreater : (order < 0 ? TSupGrids::crLess : TSupGrids::crEqual);
}

} // namespace

TSupGrids::TSupGrids(QWidget* parent)
    : TStringGrid(parent)
{
    SetOptions(Options() | goRowMoving | goColMoving | goEditing | goTabs);
    SetDefaultRowHeight(20);
    SetColWidths(0, 30);
}

void TSupGrids::ClearRows()
{
    HideEditor();
    GridModel()->ClearDataRows();
}

void TSupGrids::ResetSort()
{
    FSortCol = -1;
    UpdateHeaderRow();
}

void TSupGrids::Resort()
{
    if (FSortCol < 0)
        return;
    // Each cell's key is made once; the comparisons then only look at the keys.
    TSortKeys keys;
    keys.AddAll(GridModel()->DataColumn(FSortCol));
    std::vector<int> order = keys.StableOrder(FSortAscending);
    for (int& row : order)
        ++row; // key k is data row k + 1
    GridModel()->ReorderDataRows(order);
    viewport()->update();
    UpdateHeaderRow();
    DoColumnSorted();
}

void TSupGrids::HeaderClick(int col)
{
    if (!SortEnabled)
        return;
    if (col == FSortCol)
        FSortAscending = !FSortAscending;
    else
        FSortCol = col;
    Resort();
}

void TSupGrids::DoColumnSorted()
{
    emit OnColumnSorted(this);
}

TSupGrids::TCompareResult TSupGrids::CompareCells(int col, int row1, int row2) const
{
    TSortKeys keys;
    keys.Add(GridModel()->CellView(col, row1));
    keys.Add(GridModel()->CellView(col, row2));
    return ToCompareResult(keys.Compare(0, 1));
}

void TSupGrids::DeleteRow(int row)
{
    HideEditor();
    GridModel()->RemoveGridRow(row);
}

void TSupGrids::HeaderCellClicked(int col)
{
    HeaderClick(col);
}

// Drawn in the sort column only: the symbol font's button-face glyph elsewhere was meant to be
// invisible. Up for ascending, down for descending.
void TSupGrids::DrawHeaderCell(QPainter* painter, const QRect& rect, int col) const
{
    if (col != FSortCol)
        return;
    const int cellRight = rect.x() + rect.width() - 1; // the grid line is not part of the cell
    const int cellHeight = rect.height() - 1;
    const QRectF box(
        cellRight - GlyphWidth - 1, rect.y() + (cellHeight - GlyphHeight) / 2 - 1, GlyphWidth, GlyphHeight);
    const qreal halfBase = 4.5;
    const qreal height = 5;
    const qreal midX = box.center().x();
    const qreal top = box.center().y() - height / 2;
    QPolygonF triangle;
    if (FSortAscending)
        triangle << QPointF(midX, top) << QPointF(midX + halfBase, top + height)
                 << QPointF(midX - halfBase, top + height);
    else
        triangle << QPointF(midX - halfBase, top) << QPointF(midX + halfBase, top)
                 << QPointF(midX, top + height);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 255));
    painter->drawPolygon(triangle);
    painter->restore();
}

bool TSupGrids::ColumnsOverflow() const
{
    int total = ColWidths(0);
    for (int col = LeftCol(); col < ColCount(); ++col)
        total += ColWidths(col);
    return total > width();
}

int TSupGrids::EdgeColumn() const
{
    int total = ColWidths(0);
    int col = LeftCol();
    while (col < ColCount() && total + ColWidths(col) <= width())
        total += ColWidths(col++);
    return col;
}

// Left and Right move by whole columns and never into column 0, whatever the modifiers.
bool TSupGrids::HandleHorzKey(QKeyEvent* event)
{
    const bool left = event->key() == Qt::Key_Left;
    const int leftCol = LeftCol();
    if (Options() & goRowSelect) {
        if (left && leftCol > 1)
            SetLeftCol(leftCol - 1);
        else if (!left && leftCol < ColCount() - 1 && ColumnsOverflow())
            SetLeftCol(leftCol + 1);
        return true;
    }
    const int col = Col();
    const int last = ColCount() - 1;
    int target = col;
    if (left) {
        if (col == leftCol && leftCol > 1)
            SetLeftCol(leftCol - 1);
        if (col > LeftCol() && col > 1)
            target = col - 1;
    } else {
        if (EdgeColumn() == col)
            SetLeftCol(leftCol + 1);
        if (EdgeColumn() > LeftCol() && col < last)
            target = col + 1;
        else if (col != last)
            target = LeftCol();
    }
    if (target != col) {
        SetCol(target);
        emit OnClick();
    }
    return true;
}
