#include "ui/main/TfmMainUi.h"

#include "common/CjkFont.h"
#include "controls/TSupGrids.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

void TfmMainUi::SetupUi(QMainWindow* window)
{
    window->setFont(CjkFont());
    window->resize(1024, 700); // the size to come back to from maximized
    window->setWindowState(Qt::WindowMaximized);

    CreateActions(window);

    tvBaseInfoItems = new TBaseInfoTreeModel(window);
    tvBaseInfoItems->SetImages(&ilTree);
    tvBaseInfo = new TBaseInfoTree;
    tvBaseInfo->SetTreeModel(tvBaseInfoItems);
    tvBaseInfo->setIconSize(QSize(16, 16));
    tvBaseInfo->setContextMenuPolicy(Qt::CustomContextMenu);

    pMain = new QWidget;
    gBaseInfo = new TSupGrids(pMain);
    gBaseInfo->SetOptions(TStringGrid::goFixedVertLine | TStringGrid::goFixedHorzLine
        | TStringGrid::goVertLine | TStringGrid::goHorzLine | TStringGrid::goRangeSelect
        | TStringGrid::goColSizing | TStringGrid::goTabs | TStringGrid::goRowSelect);
    gBaseInfo->SetDefaultRowHeight(20);
    QPalette white = gBaseInfo->palette();
    white.setColor(QPalette::Base, Qt::white);
    gBaseInfo->setPalette(white);
    gBaseInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    pbMain = new QProgressBar(pMain);
    pbMain->setFixedHeight(16);
    pbMain->setTextVisible(false);
    auto* layout = new QVBoxLayout(pMain);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(gBaseInfo, 1);
    layout->addWidget(pbMain);

    gCut = new TSupGrids(window);
    gCut->hide();

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->addWidget(tvBaseInfo);
    Splitter1->addWidget(pMain);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setSizes({ 201, 800 });
    window->setCentralWidget(Splitter1);

    CreateMenus(window);
    CreateToolBar(window);
    CreateStatusBar(window);
}

void TfmMainUi::CreateActions(QMainWindow* window)
{
    auto action = [&](const QString& caption, int picture, const QKeySequence& shortcut) {
        auto* a = new QAction(ilMain.Icon(picture), caption, window);
        a->setToolTip(caption);
        a->setShortcut(shortcut);
        window->addAction(a);
        return a;
    };
    acCut = action(QStringLiteral("剪切"), TImageList::Cut, QKeySequence(Qt::CTRL | Qt::Key_C));
    acInsertBrother = action(
        QStringLiteral("添加为同级节点"), TImageList::InsertBrother, QKeySequence(Qt::CTRL | Qt::Key_B));
    acAddChild
        = action(QStringLiteral("添加为子节点"), TImageList::AddChild, QKeySequence(Qt::CTRL | Qt::Key_S));
    acExit = action(QStringLiteral("退出"), TImageList::Exit, QKeySequence());
    acExit->setToolTip(QString()); // it has no hint
}

void TfmMainUi::CreateMenus(QMainWindow* window)
{
    miBaseInfo = window->menuBar()->addMenu(QStringLiteral("基本信息"));
    miOperation = window->menuBar()->addMenu(QStringLiteral("操作"));
    miOperation->addAction(acCut);
    miOperation->addSeparator();
    miOperation->addAction(acInsertBrother);
    miOperation->addAction(acAddChild);
    miOperation->addSeparator();
    miOperation->addAction(acExit);

    pmEdit = new QMenu(window);
    pmEdit->addAction(acCut); // pmiCut
    pmEdit->addSeparator();
    pmEdit->addAction(acInsertBrother); // mpiInsertBrother
    pmEdit->addAction(acAddChild); // pmiAddChild
}

void TfmMainUi::CreateToolBar(QMainWindow* window)
{
    tbMain = window->addToolBar(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->setFloatable(false);
    tbMain->setIconSize(QSize(16, 16));
    tbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbMain->toggleViewAction()->setVisible(false);
    auto button = [this](QAction* action) {
        tbMain->addAction(action);
        auto* b = qobject_cast<QToolButton*>(tbMain->widgetForAction(action));
        b->setAutoRaise(true);
        b->setFixedSize(91, 35);
        return b;
    };
    btnCut = button(acCut);
    btnInsertBrother = button(acInsertBrother);
    btnAddChild = button(acAddChild);
    tbMain->addSeparator(); // TBSpt
    TBExit = button(acExit);
}

// Panels of at least 137, 50 and 50 pixels; a panel grows with its text and the last one takes
// what is left, so "搬移工作正在进行 ..." is never cut off.
void TfmMainUi::CreateStatusBar(QMainWindow* window)
{
    sbMain = window->statusBar();
    sbMain->setSizeGripEnabled(false);
    const int widths[] = { 137, 50, 50 };
    for (int i = 0; i < 3; ++i) {
        sbMainPanels[i] = new QLabel;
        sbMainPanels[i]->setMinimumWidth(widths[i]);
        sbMainPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sbMain->addWidget(sbMainPanels[i], i == 2 ? 1 : 0);
    }
}
