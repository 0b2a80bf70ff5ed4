#include "tests/main/MainFixture.h"

#include "common/Exception.h"
#include "config/TSysConfig.h"
#include "controls/TSupGrids.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QFile>
#include <QMenu>
#include <QTest>

namespace {

const QString AccountSet = QStringLiteral("ZT001");

QPoint RowPoint(TSupGrids* grid, int row)
{
    const QModelIndex index = grid->model()->index(row - 1, 0);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

} // namespace

MainFixture::MainFixture() = default;

MainFixture::Options MainFixture::ClassCutsRefused()
{
    Options options;
    options.configEdits = { { "BaseInfoMoveNodeProcedureSupportNotLeafNode=Y",
        "BaseInfoMoveNodeProcedureSupportNotLeafNode=N" } };
    return options;
}

MainFixture::~MainFixture()
{
    FWindow.reset();
    FDm.reset();
    TdmMain::SetServerConfigFileName(QString());
}

bool MainFixture::Start(const Options& options, QString* error)
{
    if (!FDir.isValid() || !FServer.start({}, error, options.goods))
        return false;
    if (options.prepareData && !options.prepareData(FServer.dataDir(), error))
        return false;
    QFile demo(QStringLiteral(NS_DEMO_DIR "/Movedata.cfg"));
    if (!demo.open(QIODevice::ReadOnly)) {
        *error = demo.errorString();
        return false;
    }
    QByteArray cfg = demo.readAll();
    for (const auto& [from, to] : options.configEdits) {
        if (!cfg.contains(from)) {
            *error = QStringLiteral("the demo Movedata.cfg holds no %1").arg(QString::fromLatin1(from));
            return false;
        }
        cfg.replace(from, to);
    }
    QFile copy(FDir.filePath(QStringLiteral("Movedata.cfg")));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(cfg) != cfg.size()) {
        *error = copy.errorString();
        return false;
    }
    copy.close();
    SetSysConfigFileName(copy.fileName());
    WriteServerConfig();
    FMessages = std::make_unique<ScriptedMessages>();
    FDm = std::make_unique<TdmMain>();
    if (!LogOnDataModule(error))
        return false;
    FDb = std::make_unique<AccountSetFile>(FServer.dataDir() + u'/' + AccountSet + QStringLiteral(".db"));

    bool loggedOn = false;
    FWindow = std::make_unique<TfmMain>([&loggedOn] { return loggedOn = true; });
    FWindow->show();
    FWindow->activateWindow(); // no window manager does it under Xvfb
    if (!QTest::qWaitForWindowActive(FWindow.get())) {
        *error = QStringLiteral("the main window was never activated");
        return false;
    }
    if (!QTest::qWaitFor([&loggedOn] { return loggedOn; }, 5000)) {
        *error = QStringLiteral("the first activation did not log on");
        return false;
    }
    FTreeTester = std::make_unique<QAbstractItemModelTester>(
        FWindow->tvBaseInfoItems, QAbstractItemModelTester::FailureReportingMode::QtTest);
    return true;
}

void MainFixture::WriteServerConfig()
{
    const QString path = FDir.filePath(QStringLiteral("CONFIG.CFG"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[SERVER]\r\nSOCKETPORT=%1\r\n").arg(FServer.port()).toUtf8());
    file.close();
    TdmMain::SetServerConfigFileName(path);
}

// What the log-on leaves behind: an open connection and the account set checked.
bool MainFixture::LogOnDataModule(QString* error)
{
    try {
        FDm->cnNet->Close();
        FDm->cnNet->SetHost(FServer.host());
        FDm->FServerName = FServer.host();
        FDm->cnNet->Open();
        FDm->CheckAccountSetDB(AccountSet);
    } catch (const Exception& e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool MainFixture::RestartServer(QString* error)
{
    if (!FServer.restart({}, error))
        return false;
    WriteServerConfig();
    return LogOnDataModule(error);
}

QStringList MainFixture::TakeMessages()
{
    QStringList texts;
    for (; FMessagesTaken < FMessages->shown.size(); ++FMessagesTaken)
        texts.append(FMessages->shown[FMessagesTaken].text);
    return texts;
}

void MainFixture::ChooseCategory(int index)
{
    FWindow->miBaseInfo->actions().at(index)->trigger();
}

TTreeNode* MainFixture::Node(const QString& path) const
{
    const TBaseInfoTreeModel* tree = FWindow->tvBaseInfoItems;
    TTreeNode* node = nullptr;
    for (const QString& caption : path.split(u'\\')) {
        const int count = node ? node->Count() : tree->RootCount();
        TTreeNode* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            TTreeNode* candidate = node ? node->Item(i) : tree->Root(i);
            if (candidate->Text() == caption)
                next = candidate;
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}

void MainFixture::ClickNode(TTreeNode* node)
{
    TBaseInfoTree* tree = FWindow->tvBaseInfo;
    const QModelIndex index = FWindow->tvBaseInfoItems->IndexOf(node);
    tree->scrollTo(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
}

TTreeNode* MainFixture::ShowPath(const QString& path)
{
    const QStringList parts = path.split(u'\\');
    TTreeNode* node = nullptr;
    for (int depth = 1; depth <= parts.size(); ++depth) {
        node = Node(parts.mid(0, depth).join(u'\\'));
        if (!node)
            return nullptr;
        ClickNode(node);
    }
    return node;
}

int MainFixture::GridRow(const QString& id) const
{
    const TSupGrids* grid = FWindow->gBaseInfo;
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->Cells(grid->ColCount() - 2, row) == id)
            return row;
    }
    return -1;
}

QString MainFixture::GridId(int row) const
{
    const TSupGrids* grid = FWindow->gBaseInfo;
    return grid->Cells(grid->ColCount() - 2, row);
}

void MainFixture::ClickRow(int row, bool ctrl)
{
    TSupGrids* grid = FWindow->gBaseInfo;
    grid->setFocus();
    const QPoint at = RowPoint(grid, row);
    if (ctrl)
        QTest::keyPress(grid, Qt::Key_Control, Qt::ControlModifier);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier, at);
    if (ctrl)
        QTest::keyRelease(grid, Qt::Key_Control);
}

void MainFixture::ShiftClickRow(int row)
{
    TSupGrids* grid = FWindow->gBaseInfo;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(grid, row));
}

void MainFixture::PressShortcut(QWidget* widget, Qt::Key key)
{
    widget->setFocus();
    FWindow->UpdateActions();
    QTest::keyClick(widget, key, Qt::ControlModifier);
}
