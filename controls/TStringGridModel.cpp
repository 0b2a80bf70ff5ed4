#include "controls/TStringGridModel.h"

#include <algorithm>

TStringGridModel::TStringGridModel(QObject* parent)
    : QAbstractTableModel(parent)
    , FRows(1)
    , FColCount(1)
{
}

void TStringGridModel::SetGridRowCount(int count)
{
    count = std::max(count, 1);
    const int old = GridRowCount();
    if (count == old)
        return;
    FlushChanges();
    // Model rows are grid rows 1 and up.
    if (count > old) {
        beginInsertRows(QModelIndex(), std::max(old - 1, 0), count - 2);
        FRows.resize(size_t(count));
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), count - 1, old - 2);
        FRows.resize(size_t(count));
        endRemoveRows();
    }
}

void TStringGridModel::SetGridColCount(int count)
{
    count = std::max(count, 1);
    const int old = FColCount;
    if (count == old)
        return;
    FlushChanges();
    if (count > old) {
        beginInsertColumns(QModelIndex(), std::max(old - 1, 0), count - 2);
        FColCount = count;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), count - 1, old - 2);
        FColCount = count;
        for (Row& row : FRows) {
            if (row.ends.size() > size_t(count)) {
                row.texts.truncate(row.ends[size_t(count - 1)]);
                row.ends.resize(size_t(count));
            }
        }
        endRemoveColumns();
    }
}

QStringView TStringGridModel::CellView(int col, int row) const
{
    if (!Contains(col, row))
        return {};
    const Row& r = FRows[size_t(row)];
    if (size_t(col) >= r.ends.size())
        return {};
    const int start = col ? r.ends[size_t(col - 1)] : 0;
    return QStringView(r.texts).mid(start, r.ends[size_t(col)] - start);
}

// Rows live in separate heap blocks: fetching the ones ahead keeps a pass over 100,000 rows from
// waiting on memory at every row.
std::vector<QStringView> TStringGridModel::DataColumn(int col) const
{
    constexpr size_t ahead = 16;
    std::vector<QStringView> texts;
    texts.reserve(FRows.size());
    for (size_t row = 1; row < FRows.size(); ++row) {
        if (row + ahead < FRows.size())
            __builtin_prefetch(FRows[row + ahead].ends.data());
        texts.push_back(CellView(col, int(row)));
    }
    return texts;
}

void TStringGridModel::SetCell(int col, int row, const QString& text)
{
    if (!Contains(col, row))
        return;
    Row& r = FRows[size_t(row)];
    if (size_t(col) >= r.ends.size()) {
        if (text.isEmpty())
            return;
        r.ends.resize(size_t(col + 1), int(r.texts.size()));
    }
    const int start = col ? r.ends[size_t(col - 1)] : 0;
    const int length = r.ends[size_t(col)] - start;
    if (QStringView(r.texts).mid(start, length) == text)
        return;
    r.texts.replace(start, length, text);
    const int delta = int(text.size()) - length;
    for (size_t c = size_t(col); c < r.ends.size(); ++c)
        r.ends[c] += delta;
    MarkChanged(col, row);
}

void TStringGridModel::SetRowColor(int row, const QColor& color)
{
    if (!Contains(0, row) || FRows[size_t(row)].color == color)
        return;
    FRows[size_t(row)].color = color;
    MarkChanged(FColCount - 1, row);
    MarkChanged(1, row);
}

void TStringGridModel::SetRowFontColor(int row, const QColor& color)
{
    if (!Contains(0, row) || FRows[size_t(row)].fontColor == color)
        return;
    FRows[size_t(row)].fontColor = color;
    MarkChanged(FColCount - 1, row);
    MarkChanged(1, row);
}

void TStringGridModel::ClearDataRows()
{
    for (size_t r = 1; r < FRows.size(); ++r) {
        FRows[r].texts = QString();
        std::vector<int>().swap(FRows[r].ends);
    }
    AnnounceAll();
}

void TStringGridModel::RemoveGridRow(int row)
{
    if (!Contains(0, row) || GridRowCount() < 2)
        return;
    FlushChanges();
    // Removing the header row lifts row 1 into the header: model row 0 goes either way.
    const int modelRow = std::max(row - 1, 0);
    beginRemoveRows(QModelIndex(), modelRow, modelRow);
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        emit CornerChanged();
    }
}

void TStringGridModel::ReorderDataRows(const std::vector<int>& order)
{
    Q_ASSERT(order.size() + 1 == FRows.size());
    std::vector<Row> sorted;
    sorted.reserve(FRows.size());
    sorted.push_back(std::move(FRows[0]));
    for (int from : order)
        sorted.push_back(std::move(FRows[size_t(from)]));
    FRows.swap(sorted);
    AnnounceAll();
}

void TStringGridModel::MarkChanged(int col, int row)
{
    FDirty |= QRect(col, row, 1, 1);
    if (!FFlushPosted) {
        FFlushPosted = true;
        QMetaObject::invokeMethod(this, &TStringGridModel::FlushChanges, Qt::QueuedConnection);
    }
}

void TStringGridModel::AnnounceAll()
{
    MarkChanged(0, 0);
    MarkChanged(FColCount - 1, GridRowCount() - 1);
    FlushChanges();
}

void TStringGridModel::FlushChanges()
{
    FFlushPosted = false;
    const QRect dirty = FDirty & QRect(0, 0, FColCount, GridRowCount());
    FDirty = QRect();
    if (dirty.isEmpty())
        return;
    if (dirty.top() == 0) {
        if (dirty.left() == 0)
            emit CornerChanged();
        if (dirty.right() >= 1)
            emit headerDataChanged(Qt::Horizontal, std::max(dirty.left(), 1) - 1, dirty.right() - 1);
    }
    if (dirty.bottom() >= 1) {
        const int first = std::max(dirty.top(), 1) - 1;
        if (dirty.left() == 0)
            emit headerDataChanged(Qt::Vertical, first, dirty.bottom() - 1);
        if (dirty.right() >= 1)
            emit dataChanged(
                index(first, std::max(dirty.left(), 1) - 1), index(dirty.bottom() - 1, dirty.right() - 1));
    }
}

int TStringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GridRowCount() - 1;
}

int TStringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(FColCount - 1, 0);
}

QVariant TStringGridModel::data(const QModelIndex& index, int role) const
{
    if (!IsDataIndex(index))
        return QVariant();
    const Row& row = FRows[size_t(index.row() + 1)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Cell(index.column() + 1, index.row() + 1);
    case Qt::BackgroundRole:
        return row.color.isValid() ? QVariant(row.color) : QVariant();
    case Qt::ForegroundRole:
        return row.fontColor.isValid() ? QVariant(row.fontColor) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

bool TStringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !FEditable || !IsDataIndex(index))
        return false;
    SetCell(index.column() + 1, index.row() + 1, value.toString());
    FlushChanges();
    return true;
}

QVariant TStringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole || section < 0)
        return QVariant();
    return orientation == Qt::Horizontal ? Cell(section + 1, 0) : Cell(0, section + 1);
}

Qt::ItemFlags TStringGridModel::flags(const QModelIndex& index) const
{
    if (!IsDataIndex(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (FEditable)
        result |= Qt::ItemIsEditable;
    return result;
}
