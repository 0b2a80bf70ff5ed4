#pragma once

#include "ui/main/TImageList.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QProgressBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class QWidget;
class TBaseInfoTree;
class TBaseInfoTreeModel;
class TSupGrids;

// The components of the main window and their layout, as a form designer would lay them out;
// the behaviour lives in TfmMain.
class TfmMainUi {
public:
    QToolBar* tbMain;
    QToolButton* btnCut;
    QToolButton* btnInsertBrother;
    QToolButton* btnAddChild;
    QToolButton* TBExit;
    TBaseInfoTree* tvBaseInfo;
    TBaseInfoTreeModel* tvBaseInfoItems; // the tree's nodes
    QSplitter* Splitter1;
    QWidget* pMain;
    TSupGrids* gBaseInfo;
    TSupGrids* gCut; // never shown
    QProgressBar* pbMain;
    QStatusBar* sbMain;
    QLabel* sbMainPanels[3];
    QMenu* miBaseInfo;
    QMenu* miOperation;
    QMenu* pmEdit;
    QAction* acCut;
    QAction* acInsertBrother;
    QAction* acAddChild;
    QAction* acExit;
    TImageList ilMain = TImageList::MainImages();
    TImageList ilTree = TImageList::TreeImages();

    void SetupUi(QMainWindow* window);

private:
    void CreateActions(QMainWindow* window);
    void CreateMenus(QMainWindow* window);
    void CreateToolBar(QMainWindow* window);
    void CreateStatusBar(QMainWindow* window);
};
