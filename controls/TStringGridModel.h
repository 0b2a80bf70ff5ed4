#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QRect>
#include <vector>

// The texts and row colours of a string grid, addressed as the grid addresses them: (column, row),
// row 0 the header row and column 0 the fixed column. As a Qt table model it exposes the data
// area only (model index (r, c) is grid cell (c + 1, r + 1)); row 0 and column 0 are its
// horizontal and vertical header data.
//
// Cell writes are announced to views once per event-loop turn, as one dataChanged over the
// rectangle they touched: a fill of 100,000 rows would otherwise pay for a million signals.
class TStringGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // A row's texts are kept in one string, one cell after the other: a cell of its own per text
    // would cost a heap block each, and 100,000 rows of them the better part of 100 MB.
    struct Row {
        QString texts;
        std::vector<int> ends; // where cell c ends in texts; cells from ends.size() on are empty
        QColor color;
        QColor fontColor;
    };

    explicit TStringGridModel(QObject* parent = nullptr);

    int GridRowCount() const { return int(FRows.size()); }
    void SetGridRowCount(int count);
    int GridColCount() const { return FColCount; }
    void SetGridColCount(int count);

    QString Cell(int col, int row) const { return CellView(col, row).toString(); }
    QStringView CellView(int col, int row) const;
    // The texts of column col in rows 1 to the last, as a sort reads them.
    std::vector<QStringView> DataColumn(int col) const;
    void SetCell(int col, int row, const QString& text);
    const Row& GridRow(int row) const { return FRows[size_t(row)]; }
    void SetRowColor(int row, const QColor& color);
    void SetRowFontColor(int row, const QColor& color);
    void SetEditable(bool editable) { FEditable = editable; }

    // Empties the texts of rows 1 to the last; colours stay.
    void ClearDataRows();
    void RemoveGridRow(int row);
    // Puts the data rows in the given order: order[i] is the grid row that becomes row i + 1.
    // Texts and colours move together; selections and the current cell stay where they are.
    void ReorderDataRows(const std::vector<int>& order);

    // Announces pending cell writes now.
    void FlushChanges();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void CornerChanged();

private:
    bool Contains(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < FColCount && row < GridRowCount();
    }
    bool IsDataIndex(const QModelIndex& index) const
    {
        return index.isValid() && index.model() == this && Contains(index.column() + 1, index.row() + 1);
    }
    void MarkChanged(int col, int row);
    void AnnounceAll();

    std::vector<Row> FRows;
    int FColCount;
    bool FEditable = false;
    QRect FDirty; // grid coordinates of unannounced writes
    bool FFlushPosted = false;
};
