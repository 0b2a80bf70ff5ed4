#pragma once

#include "ui/main/TMoveRules.h"
#include "ui/main/TfmMainUi.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <functional>
#include <optional>

class TTreeNode;

// The tool's working window: the category menu, the class tree of the chosen category, the
// records of the selected node, and the move workflow (cut, paste as sibling or as child).
// Everything it reads comes through the data module's cdsBaseInfo; it changes the database only
// through MoveBaseInfoNode.
//
// The event handlers below may raise; the window connects every event to them through
// Guarded(), so nothing crosses the event loop.
class TfmMain : public QMainWindow, public TfmMainUi {
    Q_OBJECT

public:
    // logOn runs at the first activation (LogOn() of the log-on dialog when empty); false ends
    // the program.
    explicit TfmMain(std::function<bool()> logOn = {}, QWidget* parent = nullptr);
    ~TfmMain() override;

    QString StatusText(int panel) const;
    QString TableName() const { return FTableName; }
    QString ShownId() const { return FShownId; }
    bool CutPending() const { return FCutPending; }
    QString CutText() const { return FCutText; }
    bool Moving() const { return FMoving; }

    // Event handlers.
    void FormActivate();
    void acExitExecute();
    void tvBaseInfoClick();
    void tvBaseInfoKeyPress(QChar& key);
    void tvBaseInfoKeyUp();
    void tvBaseInfoMouseDown(Qt::MouseButton button, const QPoint& pos);
    void tvBaseInfoGetImageIndex(TTreeNode* node);
    void gBaseInfoClick();
    void gBaseInfoDblClick();
    void gBaseInfoKeyDown(Qt::KeyboardModifiers shift);
    void gBaseInfoKeyUp(Qt::KeyboardModifiers shift);
    void acCutUpdate();
    void acInsertBrotherUpdate();
    void acAddChildUpdate();
    void acCutExecute();
    void acInsertBrotherExecute();
    void acAddChildExecute();
    // The three enabling handlers; run whenever the interface is idle.
    void UpdateActions();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectEvents();
    void RunAction(QAction* action, void (TfmMain::*update)(), void (TfmMain::*execute)());
    void SetStatusText(int panel, const QString& text);

    // Tree and record list.
    void FormCreate();
    void BuildCategoryMenu();
    void CategoryMenuClick(QAction* item);
    void LoadTree();
    std::unique_ptr<TTreeNode> NewNode();
    void ShowNode(TTreeNode* node);
    void LoadRecordById(const QString& id);
    void LoadChildren(TTreeNode* target, const QString& id);
    void FillRow(int row);
    void ClearGrid();
    TTreeNode* FindNodeById(const QString& id) const;
    QString NodePath(const TTreeNode* node) const;
    int IdColumn() const;
    int ParIdColumn() const;
    void GridAfterSort();
    void ResolveCommonFields();
    void ResolveShownFields();
    std::optional<int> SelectedLevel() const;

    // Move workflow.
    bool CutMarkedRows(QList<TCutEntry>& cut, QString& text);
    void CutRange(QList<TCutEntry>& cut, QString& text);
    TTreeNode* CutGridRow(int row, QList<TCutEntry>& cut);
    QList<TCutEntry> ReadCut() const;
    void WriteCut(const QList<TCutEntry>& cut);
    void RunPaste(TMoveRules::Paste paste);
    bool ConfirmMove(TMoveRules::Paste paste);
    void DoInsertBrother();
    void DoAddChild();
    void MoveCut(TMoveRules::Paste paste, const QString& newParId, int destinationLevel);
    void RefreshAfterMove(const QString& lastOldParId);
    void RefreshAround(TTreeNode* node);
    void ProcessPendingPaints();
    void ShowMoveStarted();
    void ShowMoveEnded();
    void ShowMovedCount(int count);

    std::function<bool()> FLogOn;

    bool FActivated = false;
    QString FTableName;
    int FMaxLevel = 0;
    QString FShownId;
    QPersistentModelIndex FLastShownNode;
    Qt::KeyboardModifiers FGridShift;
    bool FCutPending = false;
    QString FCutText;
    bool FMoving = false;

    // Field positions in cdsBaseInfo of the last query, looked up once per query.
    QStringList FFieldNames; // the grid's, of ShowNode
    QList<int> FShownFields;
    QList<int> FCommonFields;
};
