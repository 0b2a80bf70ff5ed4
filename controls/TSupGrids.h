#pragma once

#include "controls/TStringGrid.h"

// The program's grid: sorts by a click on a header cell (toggling the direction on repeated
// clicks, with a glyph in the sort column's header), compares numbers by value and other texts
// by their GBK bytes, moves across columns with Left/Right without entering column 0, and
// clears or deletes rows.
class TSupGrids : public TStringGrid {
    Q_OBJECT

public:
    // The platform's comparison codes.
    enum TCompareResult { crGreater = 0, crEqual = 1, crLess = 2 };

    explicit TSupGrids(QWidget* parent = nullptr);

    // When false, header clicks do nothing.
    bool SortEnabled = true;
    int SortCol() const { return FSortCol; }
    bool SortAscending() const { return FSortAscending; }

    // Empties the texts of every data row; the header row and the row count stay.
    void ClearRows();
    void ResetSort();
    // Sorts again by the chosen column and direction and raises OnColumnSorted; nothing when no
    // column has been chosen.
    void Resort();
    virtual void HeaderClick(int col);
    TCompareResult CompareCells(int col, int row1, int row2) const;
    // Removes the row; the rows below move up and a row added later starts empty.
    virtual void DeleteRow(int row);

signals:
    void OnColumnSorted(TSupGrids* sender);

protected:
    virtual void DoColumnSorted();

    void DrawHeaderCell(QPainter* painter, const QRect& rect, int col) const override;
    void HeaderCellClicked(int col) override;
    bool HandleHorzKey(QKeyEvent* event) override;

private:
    bool ColumnsOverflow() const;
    int EdgeColumn() const;

    int FSortCol = -1;
    bool FSortAscending = false;
};
