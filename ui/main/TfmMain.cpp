#include "ui/main/TfmMain.h"

#include "common/EventGuard.h"
#include "common/Helpers.h"
#include "config/CommaList.h"
#include "config/TSysConfig.h"
#include "controls/TSupGrids.h"
#include "data/TdmMain.h"
#include "ui/login/LogOn.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScopedValueRollback>

namespace {

const QColor ClassRowColor(0, 150, 0);
const QColor MarkedRowColor(0, 128, 128);
constexpr int CommonFieldCount = 5;

// Resumes drawing on every way out.
class RedrawSuspended {
public:
    explicit RedrawSuspended(QWidget* widget)
        : FWidget(widget)
    {
        FWidget->setUpdatesEnabled(false);
    }
    ~RedrawSuspended() { FWidget->setUpdatesEnabled(true); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    QWidget* FWidget;
};

class WaitCursor {
public:
    WaitCursor() { WaitCursorOn(); }
    ~WaitCursor() { WaitCursorOff(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QStringList TrimmedList(const QString& commaList)
{
    QStringList items = SplitCommaList(commaList);
    for (QString& item : items)
        item = Trim(item);
    return items;
}

} // namespace

TfmMain::TfmMain(std::function<bool()> logOn, QWidget* parent)
    : QMainWindow(parent)
    , FLogOn(logOn ? std::move(logOn) : std::function<bool()>(LogOn))
{
    SetupUi(this);
    ConnectEvents();
    // A failed creation handler still leaves a window to show.
    Guarded([this] { FormCreate(); });
}

TfmMain::~TfmMain() = default;

QString TfmMain::StatusText(int panel) const
{
    return sbMainPanels[panel]->text();
}

void TfmMain::SetStatusText(int panel, const QString& text)
{
    sbMainPanels[panel]->setText(text);
}

void TfmMain::ConnectEvents()
{
    connect(acCut, &QAction::triggered, this,
        [this] { RunAction(acCut, &TfmMain::acCutUpdate, &TfmMain::acCutExecute); });
    connect(acInsertBrother, &QAction::triggered, this, [this] {
        RunAction(acInsertBrother, &TfmMain::acInsertBrotherUpdate, &TfmMain::acInsertBrotherExecute);
    });
    connect(acAddChild, &QAction::triggered, this,
        [this] { RunAction(acAddChild, &TfmMain::acAddChildUpdate, &TfmMain::acAddChildExecute); });
    connect(acExit, &QAction::triggered, this, [this] { Guarded([this] { acExitExecute(); }); });

    connect(tvBaseInfo, &TBaseInfoTree::OnClick, this, [this] { Guarded([this] { tvBaseInfoClick(); }); });
    connect(tvBaseInfo, &TBaseInfoTree::OnKeyUp, this, [this] { Guarded([this] { tvBaseInfoKeyUp(); }); });
    connect(tvBaseInfo, &TBaseInfoTree::OnKeyPress, this,
        [this](QChar& key) { Guarded([&] { tvBaseInfoKeyPress(key); }); });
    connect(tvBaseInfo, &TBaseInfoTree::OnMouseDown, this, [this](Qt::MouseButton button, const QPoint& pos) {
        Guarded([&] { tvBaseInfoMouseDown(button, pos); });
    });
    connect(tvBaseInfo, &TBaseInfoTree::OnExpansionChanged, this,
        [this](TTreeNode* node) { Guarded([&] { tvBaseInfoGetImageIndex(node); }); });
    connect(gBaseInfo, &TStringGrid::OnClick, this, [this] { Guarded([this] { gBaseInfoClick(); }); });
    connect(gBaseInfo, &TStringGrid::OnDblClick, this, [this] { Guarded([this] { gBaseInfoDblClick(); }); });
    connect(gBaseInfo, &TStringGrid::OnKeyDown, this,
        [this](int&, Qt::KeyboardModifiers shift) { Guarded([&] { gBaseInfoKeyDown(shift); }); });
    connect(gBaseInfo, &TStringGrid::OnKeyUp, this,
        [this](int&, Qt::KeyboardModifiers shift) { Guarded([&] { gBaseInfoKeyUp(shift); }); });
    for (QWidget* owner : { static_cast<QWidget*>(tvBaseInfo), static_cast<QWidget*>(gBaseInfo) }) {
        connect(owner, &QWidget::customContextMenuRequested, this,
            [this, owner](const QPoint& pos) { Guarded([&] { pmEdit->popup(owner->mapToGlobal(pos)); }); });
    }
    for (QMenu* menu : { miOperation, pmEdit })
        connect(menu, &QMenu::aboutToShow, this, [this] { Guarded([this] { UpdateActions(); }); });
    // The enabling handlers run whenever the event loop is about to wait: the idle time.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { Guarded([this] { UpdateActions(); }); });
}

// Each action is asked again right before it runs; a disabled one does not run.
void TfmMain::RunAction(QAction* action, void (TfmMain::*update)(), void (TfmMain::*execute)())
{
    Guarded([&] {
        (this->*update)();
        if (action->isEnabled())
            (this->*execute)();
    });
}

void TfmMain::UpdateActions()
{
    acCutUpdate();
    acInsertBrotherUpdate();
    acAddChildUpdate();
}

bool TfmMain::event(QEvent* event)
{
    // The log-on runs once the window is up and the activation has been handled. Showing counts
    // as activating: without a window manager (Xvfb) a window is never activated by itself.
    const bool activating = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    if (activating && !FActivated)
        QMetaObject::invokeMethod(
            this, [this] { Guarded([this] { FormActivate(); }); }, Qt::QueuedConnection);
    return QMainWindow::event(event);
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    // A batch of moves is never left half-way by closing the window.
    if (FMoving)
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

void TfmMain::FormCreate()
{
    SetApplicationTitle(SysConfig()->GetApplicationTitle());
    setWindowTitle(ApplicationTitle());
    pbMain->hide();
    SetStatusText(0, windowTitle());
    SetStatusText(2, QString());
    gBaseInfo->setFrameShape(QFrame::NoFrame);
    gBaseInfo->SetDefaultColWidth(80);
    gBaseInfo->SetColWidths(0, 48);
    connect(gBaseInfo, &TSupGrids::OnColumnSorted, this, [this] { Guarded([this] { GridAfterSort(); }); });
    FLastShownNode = QPersistentModelIndex();
    FActivated = false;
    BuildCategoryMenu();
    FCutPending = false;
    FTableName.clear();
    FShownId.clear();
    FCutText.clear();
}

void TfmMain::FormActivate()
{
    if (FActivated)
        return;
    FActivated = true;
    // Only a log-on that returned true goes on: one that raised has neither chosen an account
    // set nor made the backup, and moving without a backup is what the log-on exists to prevent.
    bool loggedOn = false;
    const auto endUnlessLoggedOn = qScopeGuard([&] {
        if (!loggedOn) {
            close();
            QCoreApplication::quit();
        }
    });
    loggedOn = FLogOn();
}

void TfmMain::acExitExecute()
{
    close();
}

void TfmMain::BuildCategoryMenu()
{
    const QStringList items = SplitCommaList(SysConfig()->GetBaseInfoMenuItems());
    for (int i = 0; i < items.size(); ++i) {
        QString caption = Trim(items[i]);
        auto* item = new QAction(
            ilMain.Icon(TImageList::Category), caption.replace(u'&', QStringLiteral("&&")), this);
        item->setData(i);
        connect(item, &QAction::triggered, this, [this, item] { Guarded([&] { CategoryMenuClick(item); }); });
        miBaseInfo->addAction(item);
    }
}

void TfmMain::CategoryMenuClick(QAction* item)
{
    if (FMoving)
        return; // the running batch moves records of FTableName
    const int i = item->data().toInt();
    FTableName = SysConfig()->GetBaseInfoTableName(i);
    FMaxLevel = SysConfig()->GetBaseInfoMaxLevel(i);
    gBaseInfo->ClearRows();
    const QStringList headers = SplitCommaList(SysConfig()->GetGridColumnHeaders(FTableName));
    const int n = int(headers.size());
    gBaseInfo->SetColCount(n + 3);
    gBaseInfo->SetCells(0, 0, QStringLiteral("序号"));
    gBaseInfo->SetColWidths(n + 1, -1);
    gBaseInfo->SetColWidths(n + 2, -1);
    for (int k = 0; k < n; ++k) {
        gBaseInfo->SetColWidths(k + 1, gBaseInfo->DefaultColWidth());
        gBaseInfo->SetCells(k + 1, 0, Trim(headers[k]));
    }
    gBaseInfo->ResetSort();
    LoadTree();
}

void TfmMain::LoadTree()
{
    FShownId.clear();
    FCutPending = false;
    {
        WaitCursor wait;
        RedrawSuspended redraw(tvBaseInfo);
        ClearGrid();
        tvBaseInfoItems->Clear();
        const QString sql = Format(SysConfig()->GetSelectRootNodeSQL(), { FTableName });
        TClientDataSet* ds = dmMain()->cdsBaseInfo;
        if (dmMain()->OpenQuery(sql, ds)) {
            ResolveCommonFields();
            std::vector<std::unique_ptr<TTreeNode>> roots;
            roots.reserve(size_t(ds->RecordCount()));
            for (ds->First(); !ds->Eof(); ds->Next())
                roots.push_back(NewNode());
            tvBaseInfoItems->AddNodes(nullptr, std::move(roots));
        }
    }
    if (!tvBaseInfoItems->IsEmpty()) {
        tvBaseInfo->SetSingleExpand(true);
        tvBaseInfo->SetSelected(tvBaseInfoItems->Root(0));
    }
    tvBaseInfo->setFocus();
    tvBaseInfoClick();
}

void TfmMain::ResolveCommonFields()
{
    const TClientDataSet* ds = dmMain()->cdsBaseInfo;
    FCommonFields.clear();
    for (int i = 0; i < CommonFieldCount; ++i)
        FCommonFields.append(ds->FieldByName(SysConfig()->GetCommonFieldName(FTableName, i)).Index());
}

void TfmMain::ResolveShownFields()
{
    const TClientDataSet* ds = dmMain()->cdsBaseInfo;
    FShownFields.clear();
    for (const QString& name : FFieldNames)
        FShownFields.append(ds->FieldByName(name).Index());
}

// A node for the current record of cdsBaseInfo, not yet in the tree.
std::unique_ptr<TTreeNode> TfmMain::NewNode()
{
    const TClientDataSet* ds = dmMain()->cdsBaseInfo;
    NodeData data { ds->Fields(FCommonFields[0]).AsString(), ds->Fields(FCommonFields[1]).AsString(),
        ds->Fields(FCommonFields[2]).AsString(), ds->Fields(FCommonFields[3]).AsString() };
    const int picture
        = ds->Fields(FCommonFields[4]).AsInteger() != 0 ? TTreeNode::ClosedClass : TTreeNode::Record;
    return std::make_unique<TTreeNode>(std::move(data), picture);
}

void TfmMain::ShowNode(TTreeNode* node)
{
    if (FTableName.isEmpty() || !tvBaseInfo->Selected())
        return;
    TTreeNode* target = node ? node : tvBaseInfo->Selected();
    const QString id = target->Data.Id;
    if (id != FShownId) {
        FShownId = id;
        WaitCursor wait;
        ClearGrid();
        FFieldNames = TrimmedList(SysConfig()->GetGridColumnFieldNames(FTableName));
        if (target->IsRecord()) {
            LoadRecordById(id);
        } else {
            RedrawSuspended redraw(tvBaseInfo);
            struct HideProgress {
                QProgressBar* bar;
                ~HideProgress() { bar->hide(); }
            } hideProgress { pbMain };
            LoadChildren(target, id);
        }
        gBaseInfo->Resort();
    }
    tvBaseInfoGetImageIndex(target);
}

void TfmMain::LoadRecordById(const QString& id)
{
    dmMain()->QueryBaseInfoFmt(SysConfig()->GetSelectNodesByIDSQL(FTableName), { FTableName, id });
    TClientDataSet* ds = dmMain()->cdsBaseInfo;
    // Only the one data row that ClearGrid left is filled: the statement returns one record.
    if (ds->RecordCount() > 0) {
        ResolveCommonFields();
        ResolveShownFields();
        ds->First();
        FillRow(1);
    }
}

void TfmMain::LoadChildren(TTreeNode* target, const QString& id)
{
    dmMain()->QueryBaseInfoFmt(SysConfig()->GetSelectNodesByParentIDSQL(), { FTableName, id });
    TClientDataSet* ds = dmMain()->cdsBaseInfo;
    const int count = ds->RecordCount();
    pbMain->setRange(0, std::max(count, 1)); // an empty range would make it a busy indicator
    pbMain->setValue(1);
    pbMain->show();
    gBaseInfo->SetRowCount(std::max(count + 1, 2));
    tvBaseInfoItems->DeleteChildren(target);
    tvBaseInfoItems->SetImageIndex(target, TTreeNode::ClosedClass, TTreeNode::ClosedClass);
    // The sub-nodes enter the tree in one step, also those made before a record that fails.
    std::vector<std::unique_ptr<TTreeNode>> children;
    try {
        if (count > 0) {
            ResolveCommonFields();
            ResolveShownFields();
        }
        children.reserve(size_t(count));
        int row = 1;
        for (ds->First(); !ds->Eof(); ds->Next(), ++row) {
            int picture = target->ImageIndex;
            if (ds->Fields(FCommonFields[2]).AsString() != id) {
                children.push_back(NewNode());
                picture = children.back()->ImageIndex;
            }
            FillRow(row);
            gBaseInfo->SetRowFontColor(
                row, picture == TTreeNode::ClosedClass ? ClassRowColor : QColor(Qt::black));
            pbMain->setValue(pbMain->value() + 1);
        }
    } catch (...) {
        tvBaseInfoItems->AddNodes(target, std::move(children));
        throw;
    }
    tvBaseInfoItems->AddNodes(target, std::move(children));
    gBaseInfo->SetRow(1);
}

void TfmMain::FillRow(int row)
{
    const TClientDataSet* ds = dmMain()->cdsBaseInfo;
    gBaseInfo->SetRowColor(row, QColor());
    gBaseInfo->SetRowFontColor(row, Qt::black);
    gBaseInfo->SetCells(0, row, QString::number(row));
    for (int k = 0; k < FShownFields.size(); ++k)
        gBaseInfo->SetCells(k + 1, row, ds->Fields(FShownFields[k]).AsString());
    gBaseInfo->SetCells(IdColumn(), row, ds->Fields(FCommonFields[2]).AsString());
    gBaseInfo->SetCells(ParIdColumn(), row, ds->Fields(FCommonFields[3]).AsString());
}

// Marks go with the rows: an emptied grid shows none.
void TfmMain::ClearGrid()
{
    gBaseInfo->ClearRows();
    gBaseInfo->SetRowCount(2);
    gBaseInfo->SetRowColor(1, QColor());
    gBaseInfo->SetRowFontColor(1, Qt::black);
}

TTreeNode* TfmMain::FindNodeById(const QString& id) const
{
    return tvBaseInfoItems->FindNodeById(id);
}

QString TfmMain::NodePath(const TTreeNode* node) const
{
    QString path = node->Text();
    for (const TTreeNode* up = node->Parent(); up; up = up->Parent())
        path = up->Text() + u'\\' + path;
    return path;
}

int TfmMain::IdColumn() const
{
    return gBaseInfo->ColCount() - 2;
}

int TfmMain::ParIdColumn() const
{
    return gBaseInfo->ColCount() - 1;
}

std::optional<int> TfmMain::SelectedLevel() const
{
    const TTreeNode* selected = tvBaseInfo->Selected();
    return selected ? std::optional<int>(selected->Level()) : std::nullopt;
}

void TfmMain::tvBaseInfoClick()
{
    FLastShownNode = tvBaseInfoItems->IndexOf(tvBaseInfo->Selected());
    ShowNode(tvBaseInfo->Selected());
}

void TfmMain::tvBaseInfoKeyUp()
{
    if (tvBaseInfo->Selected() != tvBaseInfoItems->NodeOf(FLastShownNode))
        tvBaseInfoClick();
}

void TfmMain::tvBaseInfoKeyPress(QChar& key)
{
    if (key == QChar(13)) {
        gBaseInfo->setFocus();
        key = QChar();
    }
}

void TfmMain::tvBaseInfoMouseDown(Qt::MouseButton button, const QPoint& pos)
{
    if (button != Qt::RightButton)
        return;
    if (TTreeNode* node = tvBaseInfo->NodeAt(pos))
        tvBaseInfo->SetSelected(node);
}

void TfmMain::tvBaseInfoGetImageIndex(TTreeNode* node)
{
    if (!node || node->IsRecord())
        return;
    const int picture = tvBaseInfo->IsExpanded(node) ? TTreeNode::OpenClass : TTreeNode::ClosedClass;
    tvBaseInfoItems->SetImageIndex(node, picture, picture);
}

void TfmMain::gBaseInfoClick()
{
    TTreeNode* selected = tvBaseInfo->Selected();
    const QString id = gBaseInfo->Cells(IdColumn(), gBaseInfo->Row());
    if (!selected || id.isEmpty())
        return;
    if (!tvBaseInfo->IsExpanded(selected))
        tvBaseInfo->Expand(selected, true);
    const TTreeNode* holder = selected->HasChildren() ? selected : selected->Parent();
    if (holder) {
        if (TTreeNode* node = tvBaseInfoItems->FindChildById(holder, id))
            tvBaseInfo->SetSelected(node);
    }
    if (FGridShift & Qt::ControlModifier) {
        const int row = gBaseInfo->Row();
        gBaseInfo->SetRowColor(row, gBaseInfo->RowColor(row) == MarkedRowColor ? QColor() : MarkedRowColor);
    }
}

void TfmMain::gBaseInfoDblClick()
{
    const QString id = gBaseInfo->Cells(IdColumn(), gBaseInfo->SelectionTop());
    if (id.isEmpty())
        return;
    const TTreeNode* node = FindNodeById(id);
    if (node && !node->IsRecord())
        tvBaseInfoClick();
}

void TfmMain::gBaseInfoKeyDown(Qt::KeyboardModifiers shift)
{
    FGridShift = shift;
}

void TfmMain::gBaseInfoKeyUp(Qt::KeyboardModifiers shift)
{
    FGridShift = shift;
}

void TfmMain::GridAfterSort()
{
    gBaseInfoClick();
}

// Nothing is cut or pasted while a batch of moves runs.
void TfmMain::acCutUpdate()
{
    acCut->setEnabled(!FMoving && TMoveRules::CanCut(SelectedLevel()));
}

void TfmMain::acInsertBrotherUpdate()
{
    acInsertBrother->setEnabled(!FMoving
        && TMoveRules::CanPaste(TMoveRules::Paste::AsSibling, SelectedLevel(), FCutPending, FMaxLevel));
}

void TfmMain::acAddChildUpdate()
{
    acAddChild->setEnabled(!FMoving
        && TMoveRules::CanPaste(TMoveRules::Paste::AsChild, SelectedLevel(), FCutPending, FMaxLevel));
}

// A refused cut ends with its message (or silently) and leaves the cut that was pending before
// as it was: a paste then moves exactly what the operator cut and saw confirmed.
void TfmMain::acCutExecute()
{
    FGridShift = Qt::NoModifier;
    QList<TCutEntry> cut;
    QString text;
    if (focusWidget() == tvBaseInfo) {
        const TTreeNode* node = tvBaseInfo->Selected();
        if (!node)
            return;
        const bool isClass = !node->IsRecord();
        const QString refusal = TMoveRules::CutRefusal(TMoveRules::CutFrom::Tree, node->Data.Id, isClass,
            isClass && SysConfig()->GetSupportNotLeafNode());
        if (!refusal.isEmpty()) {
            ShowInfo(refusal);
            return;
        }
        cut.append({ node->Data.Id, node->Data.ParId });
        text = TMoveRules::TreeCutText(NodePath(node));
    } else if (!CutMarkedRows(cut, text)) {
        CutRange(cut, text);
    }
    WriteCut(cut);
    FCutText = text;
    SetStatusText(2, QString());
    FCutPending = true;
}

// Every marked row and the top row of the selection, in grid order. False when no row is marked.
bool TfmMain::CutMarkedRows(QList<TCutEntry>& cut, QString& text)
{
    bool marked = false;
    QString firstPath, lastPath;
    const int top = gBaseInfo->SelectionTop();
    for (int row = 1; row < gBaseInfo->RowCount(); ++row) {
        const bool isMarked = gBaseInfo->RowColor(row) == MarkedRowColor;
        marked = marked || isMarked;
        if (!isMarked && row != top)
            continue;
        const QString path = NodePath(CutGridRow(row, cut));
        if (cut.size() == 1)
            firstPath = path;
        lastPath = path;
    }
    if (marked)
        text = TMoveRules::MarkedCutText(firstPath, lastPath);
    return marked;
}

void TfmMain::CutRange(QList<TCutEntry>& cut, QString& text)
{
    cut.clear();
    const int top = gBaseInfo->SelectionTop();
    const int bottom = gBaseInfo->SelectionBottom();
    QString firstPath, lastPath;
    for (int row = top; row <= bottom; ++row) {
        const QString path = NodePath(CutGridRow(row, cut));
        if (row == top)
            firstPath = path;
        lastPath = path;
    }
    text = TMoveRules::RangeCutText(firstPath, lastPath, bottom - top + 1);
}

// Takes one grid row into the cut, or refuses the whole cut (silent abort after the message).
TTreeNode* TfmMain::CutGridRow(int row, QList<TCutEntry>& cut)
{
    const QString id = gBaseInfo->Cells(IdColumn(), row);
    if (TMoveRules::IsProtectedId(id)) {
        ShowInfo(TMoveRules::ProtectedText);
        Abort();
    }
    TTreeNode* node = FindNodeById(id);
    if (!node)
        Abort(); // a row without a record, such as the one row of an empty grid
    const bool isClass = !node->IsRecord();
    const QString refusal = TMoveRules::CutRefusal(
        TMoveRules::CutFrom::Grid, id, isClass, isClass && SysConfig()->GetSupportNotLeafNode());
    if (!refusal.isEmpty()) {
        ShowInfo(refusal);
        Abort();
    }
    cut.append({ id, node->Data.ParId });
    return node;
}

// The entries of gCut: column 1 the id, column 2 the parent id at cut time; blank rows skipped.
QList<TCutEntry> TfmMain::ReadCut() const
{
    QList<TCutEntry> cut;
    for (int row = 1; row < gCut->RowCount(); ++row) {
        const QString id = gCut->Cells(1, row);
        if (!id.isEmpty())
            cut.append({ id, gCut->Cells(2, row) });
    }
    return cut;
}

void TfmMain::WriteCut(const QList<TCutEntry>& cut)
{
    gCut->ClearRows();
    gCut->SetRowCount(std::max(int(cut.size()) + 1, 2));
    for (int j = 0; j < cut.size(); ++j) {
        gCut->SetCells(1, j + 1, cut[j].Id);
        gCut->SetCells(2, j + 1, cut[j].ParId);
    }
}

void TfmMain::acInsertBrotherExecute()
{
    RunPaste(TMoveRules::Paste::AsSibling);
}

void TfmMain::acAddChildExecute()
{
    RunPaste(TMoveRules::Paste::AsChild);
}

void TfmMain::RunPaste(TMoveRules::Paste paste)
{
    if (!ConfirmMove(paste))
        return;
    WaitCursorOn();
    ShowMoveStarted();
    try {
        paste == TMoveRules::Paste::AsSibling ? DoInsertBrother() : DoAddChild();
    } catch (...) {
        ShowMoveEnded();
        WaitCursorOff();
        throw;
    }
    ShowMoveEnded();
    WaitCursorOff();
}

bool TfmMain::ConfirmMove(TMoveRules::Paste paste)
{
    return AskYesNo(TMoveRules::ConfirmCaption(),
        TMoveRules::ConfirmText(paste, FCutText, NodePath(tvBaseInfo->Selected())));
}

void TfmMain::DoInsertBrother()
{
    const TTreeNode* destination = tvBaseInfo->Selected();
    MoveCut(TMoveRules::Paste::AsSibling, destination->Data.ParId, destination->Level());
}

void TfmMain::DoAddChild()
{
    const TTreeNode* destination = tvBaseInfo->Selected();
    MoveCut(TMoveRules::Paste::AsChild, destination->Data.Id, destination->Level());
}

// One procedure call per cut record. The first failure ends the batch after its message; the
// records moved before it leave the cut list, so that the next paste goes on with the rest.
void TfmMain::MoveCut(TMoveRules::Paste paste, const QString& newParId, int destinationLevel)
{
    const QList<TCutEntry> cut = ReadCut();
    const QString refusal = TMoveRules::PasteRefusal(paste, newParId, cut);
    if (!refusal.isEmpty()) {
        ShowInfo(refusal);
        return;
    }
    const int level = TMoveRules::NewLevel(paste, destinationLevel);
    QString lastOldParId;
    {
        const QScopedValueRollback<bool> moving(FMoving, true);
        for (int i = 0; i < cut.size(); ++i) {
            try {
                dmMain()->MoveBaseInfoNode(FTableName, cut[i].Id, cut[i].ParId, newParId, level);
            } catch (...) {
                if (i > 0)
                    WriteCut(cut.mid(i));
                throw;
            }
            ShowMovedCount(i + 1);
            lastOldParId = cut[i].ParId;
        }
    }
    RefreshAfterMove(lastOldParId);
}

void TfmMain::RefreshAfterMove(const QString& lastOldParId)
{
    gCut->ClearRows();
    FCutPending = false;
    // The database has changed: the grid must not keep showing the old content of the
    // destination's parent just because it was the node last shown.
    FShownId.clear();
    RefreshAround(tvBaseInfo->Selected());
    RefreshAround(FindNodeById(lastOldParId));
}

void TfmMain::RefreshAround(TTreeNode* node)
{
    if (!node)
        return;
    if (node->Level() == 0)
        LoadTree();
    else
        ShowNode(node->Parent());
}

// Between two records only repaints and timers run: operator input waits until the batch is
// over, so nothing can change the category or the cut list under it.
void TfmMain::ProcessPendingPaints()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmMain::ShowMoveStarted()
{
    SetStatusText(1, QStringLiteral("搬移工作正在进行 ..."));
    ProcessPendingPaints();
}

void TfmMain::ShowMoveEnded()
{
    SetStatusText(1, QString());
    ProcessPendingPaints();
}

void TfmMain::ShowMovedCount(int count)
{
    SetStatusText(2, TMoveRules::MovedCountText(count));
    ProcessPendingPaints();
}
