#pragma once

#include <QColor>
#include <QTableView>

class QAbstractButton;
class TGridHeader;
class TStringGridModel;

// The string grid the forms build on: a table of texts addressed as (column, row), column first.
// Row 0 is the fixed header row (shown as the horizontal header), column 0 the fixed column (shown
// as the vertical header, cell (0, 0) in the corner); both stay in view while the rest scrolls.
// Each row carries its own background and font colour. Cells outside the grid read as empty and
// ignore writes; rows and columns dropped by a smaller count come back empty.
class TStringGrid : public QTableView {
    Q_OBJECT

public:
    // Row and column moving are kept as set but offer no dragging: no form of ours moves them.
    // Grid lines are drawn when either line option is set.
    enum GridOption {
        goFixedVertLine = 0x1,
        goFixedHorzLine = 0x2,
        goVertLine = 0x4,
        goHorzLine = 0x8,
        goRangeSelect = 0x10,
        goRowSizing = 0x20,
        goColSizing = 0x40,
        goRowMoving = 0x80,
        goColMoving = 0x100,
        goEditing = 0x200,
        goTabs = 0x400,
        goRowSelect = 0x800,
    };
    Q_DECLARE_FLAGS(GridOptions, GridOption)

    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    int RowCount() const;
    void SetRowCount(int count);
    int ColCount() const;
    void SetColCount(int count);

    // The width as set, without the grid line; −1 hides the column.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int DefaultColWidth() const { return FDefaultColWidth; }
    // Gives every column, column 0 included, the default width.
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int height);

    // The current cell. Setting it moves the selection there too; it raises no OnClick.
    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);
    int SelectionTop() const;
    int SelectionBottom() const;
    // The left-most scrollable column in view (1 when not scrolled).
    int LeftCol() const;
    void SetLeftCol(int col);

    // Unset colours read as the grid's background (palette Base) and text colour; setting an
    // invalid QColor returns a row to them.
    QColor RowColor(int row) const;
    void SetRowColor(int row, const QColor& color);
    QColor RowFontColor(int row) const;
    void SetRowFontColor(int row, const QColor& color);

    GridOptions Options() const { return FOptions; }
    void SetOptions(GridOptions options);

    // Closes the in-place editor, keeping what was typed.
    void HideEditor();

signals:
    // The operator clicked a data cell or moved the current cell with the keyboard.
    void OnClick();
    void OnDblClick();
    // Modifiers as they stand after the key event (pressing Ctrl reports Ctrl, releasing it not).
    // Setting key to 0 in OnKeyDown keeps the key from the grid; a null character in OnKeyPress
    // swallows the character.
    void OnKeyDown(int& key, Qt::KeyboardModifiers shift);
    void OnKeyUp(int& key, Qt::KeyboardModifiers shift);
    void OnKeyPress(QChar& key);

protected:
    TStringGridModel* GridModel() const { return FModel; }
    // Repaints the header row, corner included.
    void UpdateHeaderRow();

    // Called after a header cell (row 0, column col) has been drawn in rect.
    virtual void DrawHeaderCell(QPainter* painter, const QRect& rect, int col) const;
    // A left click on header cell col that was not a column sizing.
    virtual void HeaderCellClicked(int col);
    // Left and Right are handed here before anything else; return true when handled.
    virtual bool HandleHorzKey(QKeyEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // A string grid has no type-ahead search: letters are the forms' to handle.
    void keyboardSearch(const QString&) override { }

private:
    friend class TGridHeader;

    void ApplySizes();
    void SetCurrentCell(int col, int row);
    void EnsureCurrentCell();
    void EmitClickIfMoved(const QModelIndex& before);
    void PaintCorner();

    TStringGridModel* FModel;
    TGridHeader* FHeader;
    QAbstractButton* FCorner = nullptr;
    std::vector<int> FColWidths;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    GridOptions FOptions;
    bool FApplyingSizes = false;
    bool FSelecting = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TStringGrid::GridOptions)
