#include "controls/TStringGrid.h"

#include "controls/TGridHeader.h"
#include "controls/TStringGridModel.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <memory>

namespace {

// Every cell occupies its width or height plus one grid line.
constexpr int GridLineWidth = 1;

// The modifiers as they stand once the key event has happened.
Qt::KeyboardModifiers ModifiersAfter(const QKeyEvent* event, bool pressed)
{
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Shift:
        own = Qt::ShiftModifier;
        break;
    case Qt::Key_Control:
        own = Qt::ControlModifier;
        break;
    case Qt::Key_Alt:
        own = Qt::AltModifier;
        break;
    case Qt::Key_Meta:
        own = Qt::MetaModifier;
        break;
    default:
        return event->modifiers();
    }
    return pressed ? event->modifiers() | own : event->modifiers() & ~own;
}

// Ctrl+click marks rows for the forms; it must not toggle the view's selection.
template <class Handler> void WithoutCtrl(QMouseEvent* event, Handler handler)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        handler(event);
        return;
    }
    std::unique_ptr<QMouseEvent> copy(event->clone());
    copy->setModifiers(event->modifiers() & ~Qt::ControlModifier);
    handler(copy.get());
    event->setAccepted(copy->isAccepted());
}

} // namespace

TStringGrid::TStringGrid(QWidget* parent)
    : QTableView(parent)
    , FModel(new TStringGridModel(this))
    , FHeader(new TGridHeader(this))
{
    setHorizontalHeader(FHeader);
    setModel(FModel);
    QHeaderView* fixedCol = verticalHeader();
    fixedCol->setSectionsClickable(false);
    fixedCol->setHighlightSections(false);
    fixedCol->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fixedCol->setMinimumSectionSize(0);
    setHorizontalScrollMode(ScrollPerItem);
    setVerticalScrollMode(ScrollPerItem);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);

    FCorner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (FCorner)
        FCorner->installEventFilter(this);
    connect(FModel, &TStringGridModel::CornerChanged, this, [this] {
        if (FCorner)
            FCorner->update();
    });
    connect(FHeader, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!FApplyingSizes && size_t(section + 1) < FColWidths.size() && !FHeader->isSectionHidden(section))
            FColWidths[size_t(section + 1)] = size - GridLineWidth;
    });
    connect(FModel, &QAbstractItemModel::rowsInserted, this, &TStringGrid::EnsureCurrentCell);
    connect(FModel, &QAbstractItemModel::columnsInserted, this, &TStringGrid::EnsureCurrentCell);

    FColWidths.assign(5, FDefaultColWidth);
    FModel->SetGridColCount(5);
    FModel->SetGridRowCount(5);
    SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    SetDefaultRowHeight(FDefaultRowHeight);
    ApplySizes();
}

TStringGrid::~TStringGrid() = default;

QString TStringGrid::Cells(int col, int row) const
{
    return FModel->Cell(col, row);
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    FModel->SetCell(col, row, text);
}

int TStringGrid::RowCount() const
{
    return FModel->GridRowCount();
}

void TStringGrid::SetRowCount(int count)
{
    FModel->SetGridRowCount(count);
}

int TStringGrid::ColCount() const
{
    return FModel->GridColCount();
}

void TStringGrid::SetColCount(int count)
{
    FColWidths.resize(size_t(std::max(count, 1)), FDefaultColWidth);
    FModel->SetGridColCount(count);
    ApplySizes();
}

int TStringGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? FColWidths[size_t(col)] : 0;
}

void TStringGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount())
        return;
    FColWidths[size_t(col)] = width;
    ApplySizes();
}

void TStringGrid::SetDefaultColWidth(int width)
{
    FDefaultColWidth = width;
    FColWidths.assign(size_t(ColCount()), width);
    FHeader->setDefaultSectionSize(std::max(width, 0) + GridLineWidth);
    ApplySizes();
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    FDefaultRowHeight = height;
    verticalHeader()->setDefaultSectionSize(height + GridLineWidth);
    FHeader->setFixedHeight(height + GridLineWidth);
}

void TStringGrid::ApplySizes()
{
    FApplyingSizes = true;
    const int fixedWidth = FColWidths[0];
    verticalHeader()->setVisible(fixedWidth >= 0);
    if (fixedWidth >= 0)
        verticalHeader()->setFixedWidth(fixedWidth + GridLineWidth);
    for (int col = 1; col < ColCount(); ++col) {
        const int width = FColWidths[size_t(col)];
        FHeader->setSectionHidden(col - 1, width < 0);
        if (width >= 0)
            FHeader->resizeSection(col - 1, width + GridLineWidth);
    }
    FApplyingSizes = false;
}

int TStringGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void TStringGrid::SetRow(int row)
{
    SetCurrentCell(Col(), row);
}

int TStringGrid::Col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : 1;
}

void TStringGrid::SetCol(int col)
{
    SetCurrentCell(col, Row());
}

void TStringGrid::SetCurrentCell(int col, int row)
{
    const QModelIndex target = FModel->index(row - 1, col - 1);
    if (target.isValid())
        setCurrentIndex(target);
}

void TStringGrid::EnsureCurrentCell()
{
    if (!currentIndex().isValid())
        SetCurrentCell(1, 1);
}

int TStringGrid::SelectionTop() const
{
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return Row();
    int top = selection.first().top();
    for (const QItemSelectionRange& range : selection)
        top = std::min(top, range.top());
    return top + 1;
}

int TStringGrid::SelectionBottom() const
{
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return Row();
    int bottom = selection.first().bottom();
    for (const QItemSelectionRange& range : selection)
        bottom = std::max(bottom, range.bottom());
    return bottom + 1;
}

// The scroll bar counts the columns in view from the left, hidden ones left out.
int TStringGrid::LeftCol() const
{
    int steps = horizontalScrollBar()->value();
    for (int section = 0; section < FModel->columnCount(); ++section) {
        if (!FHeader->isSectionHidden(section) && steps-- == 0)
            return section + 1;
    }
    return 1;
}

void TStringGrid::SetLeftCol(int col)
{
    int steps = 0;
    for (int section = 0; section < col - 1 && section < FModel->columnCount(); ++section) {
        if (!FHeader->isSectionHidden(section))
            ++steps;
    }
    horizontalScrollBar()->setValue(steps);
}

QColor TStringGrid::RowColor(int row) const
{
    const QColor color = row >= 0 && row < RowCount() ? FModel->GridRow(row).color : QColor();
    return color.isValid() ? color : palette().color(QPalette::Base);
}

void TStringGrid::SetRowColor(int row, const QColor& color)
{
    FModel->SetRowColor(row, color);
}

QColor TStringGrid::RowFontColor(int row) const
{
    const QColor color = row >= 0 && row < RowCount() ? FModel->GridRow(row).fontColor : QColor();
    return color.isValid() ? color : palette().color(QPalette::Text);
}

void TStringGrid::SetRowFontColor(int row, const QColor& color)
{
    FModel->SetRowFontColor(row, color);
}

void TStringGrid::SetOptions(GridOptions options)
{
    FOptions = options;
    setShowGrid(options & (goVertLine | goHorzLine));
    setSelectionBehavior(options & goRowSelect ? SelectRows : SelectItems);
    setSelectionMode(options & goRangeSelect ? ContiguousSelection : SingleSelection);
    FHeader->setSectionResizeMode(options & goColSizing ? QHeaderView::Interactive : QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(
        options & goRowSizing ? QHeaderView::Interactive : QHeaderView::Fixed);
    setTabKeyNavigation(options & goTabs);
    FModel->SetEditable(options & goEditing);
    setEditTriggers(options & goEditing ? DoubleClicked | EditKeyPressed | AnyKeyPressed : NoEditTriggers);
    if (currentIndex().isValid())
        setCurrentIndex(currentIndex());
}

void TStringGrid::HideEditor()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TStringGrid::UpdateHeaderRow()
{
    FHeader->viewport()->update();
    if (FCorner)
        FCorner->update();
}

void TStringGrid::DrawHeaderCell(QPainter*, const QRect&, int) const { }

void TStringGrid::HeaderCellClicked(int) { }

bool TStringGrid::HandleHorzKey(QKeyEvent*)
{
    return false;
}

void TStringGrid::PaintCorner()
{
    QPainter painter(FCorner);
    QStyleOptionHeader option;
    option.initFrom(FCorner);
    option.rect = FCorner->rect();
    option.orientation = Qt::Horizontal;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    option.text = Cells(0, 0);
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    painter.save();
    FCorner->style()->drawControl(QStyle::CE_Header, &option, &painter, FCorner);
    painter.restore();
    DrawHeaderCell(&painter, option.rect, 0);
}

// The corner is cell (0, 0): it shows its text and is a header cell to click, not "select all".
bool TStringGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FCorner)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        PaintCorner();
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && FCorner->rect().contains(mouse->position().toPoint()))
            HeaderCellClicked(0);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

void TStringGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && HandleHorzKey(event)) {
        event->accept();
        return;
    }
    int key = event->key();
    emit OnKeyDown(key, ModifiersAfter(event, true));
    if (key == 0) {
        event->accept();
        return;
    }
    if (!event->text().isEmpty()) {
        QChar ch = event->text().front();
        emit OnKeyPress(ch);
        if (ch.isNull()) {
            event->accept();
            return;
        }
    }
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept(); // a string grid selects by mouse and Shift+arrows only
        return;
    }
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    EmitClickIfMoved(before);
}

void TStringGrid::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat()) {
        int key = event->key();
        emit OnKeyUp(key, ModifiersAfter(event, false));
    }
    QTableView::keyReleaseEvent(event);
}

void TStringGrid::EmitClickIfMoved(const QModelIndex& before)
{
    if (currentIndex() != before)
        emit OnClick();
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FSelecting = indexAt(event->position().toPoint()).isValid();
    WithoutCtrl(event, [this](QMouseEvent* e) { QTableView::mousePressEvent(e); });
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event)
{
    WithoutCtrl(event, [this](QMouseEvent* e) { QTableView::mouseMoveEvent(e); });
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    WithoutCtrl(event, [this](QMouseEvent* e) { QTableView::mouseReleaseEvent(e); });
    if (FSelecting) {
        FSelecting = false;
        emit OnClick();
    }
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    WithoutCtrl(event, [this](QMouseEvent* e) { QTableView::mouseDoubleClickEvent(e); });
    emit OnDblClick();
}
