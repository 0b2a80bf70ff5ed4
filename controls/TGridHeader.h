#pragma once

#include <QHeaderView>

class TStringGrid;

// The header row of a TStringGrid: draws the grid's header-cell decorations and reports left
// clicks on header cells, except those that begin on a sizing handle.
class TGridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit TGridHeader(TStringGrid* grid);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The section whose sizing handle lies under x, or −1 (as QHeaderView finds it).
    int SectionHandleAt(int x) const;

    TStringGrid* FGrid;
    bool FSizing = false;
};
