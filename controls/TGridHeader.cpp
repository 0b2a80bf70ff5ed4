#include "controls/TGridHeader.h"

#include "controls/TStringGrid.h"

#include <QMouseEvent>
#include <QPainter>

TGridHeader::TGridHeader(TStringGrid* grid)
    : QHeaderView(Qt::Horizontal, grid)
    , FGrid(grid)
{
    // Clickable sections would select the column in the view; clicks are ours to report.
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumSectionSize(0);
}

void TGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    FGrid->DrawHeaderCell(painter, rect, logicalIndex + 1);
}

int TGridHeader::SectionHandleAt(int x) const
{
    int visual = visualIndexAt(x);
    if (visual == -1)
        return -1;
    const int logical = logicalIndex(visual);
    const int pos = sectionViewportPosition(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    bool atStart = x < pos + grip;
    bool atEnd = x > pos + sectionSize(logical) - grip;
    if (isRightToLeft())
        std::swap(atStart, atEnd);
    if (atEnd)
        return logical;
    if (atStart) {
        while (--visual >= 0) {
            if (!isSectionHidden(logicalIndex(visual)))
                return logicalIndex(visual);
        }
    }
    return -1;
}

void TGridHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int handle = SectionHandleAt(event->position().toPoint().x());
        FSizing = handle >= 0 && sectionResizeMode(handle) == Interactive;
    }
    QHeaderView::mousePressEvent(event);
}

void TGridHeader::mouseReleaseEvent(QMouseEvent* event)
{
    const bool sizing = FSizing;
    if (event->button() == Qt::LeftButton)
        FSizing = false;
    QHeaderView::mouseReleaseEvent(event);
    const QPoint pos = event->position().toPoint();
    const int section = logicalIndexAt(pos.x());
    if (event->button() == Qt::LeftButton && !sizing && section >= 0 && pos.y() < height())
        FGrid->HeaderCellClicked(section + 1);
}
