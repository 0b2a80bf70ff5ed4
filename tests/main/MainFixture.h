#pragma once

#include "data/TdmMain.h"
#include "tests/main/AccountSetFile.h"
#include "tests/support/BksvrProcess.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/main/TfmMain.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class TTreeNode;

// A logged-on main window over a real bksvr with the demo account sets (ZT001 chosen), the demo
// Movedata.cfg beside it, and every message box answered by a script (Yes unless told otherwise).
class MainFixture {
public:
    struct Options {
        // Replacements in the demo Movedata.cfg (ASCII keys and values).
        QList<QPair<QByteArray, QByteArray>> configEdits;
        int goods = 0; // 0: the demo's own number
        // Runs on the data folder once the server is up, before anyone has logged on.
        std::function<bool(const QString& dataDir, QString* error)> prepareData;
    };
    // The demo configuration with class cuts refused.
    static Options ClassCutsRefused();

    MainFixture();
    ~MainFixture();

    bool Start(const Options& options, QString* error);
    // After the server was killed or stopped: starts it again and logs the data module on anew.
    bool RestartServer(QString* error);

    TfmMain& Window() { return *FWindow; }
    TdmMain& Dm() { return *FDm; }
    ScriptedMessages& Messages() { return *FMessages; }
    BksvrProcess& Server() { return FServer; }
    AccountSetFile& Db() { return *FDb; }

    // The texts of the boxes shown since the last call.
    QStringList TakeMessages();

    void ChooseCategory(int index);
    // The node with this path ("全部商品\\五金工具"), among the nodes loaded so far.
    TTreeNode* Node(const QString& path) const;
    // A left click on the node in the tree.
    void ClickNode(TTreeNode* node);
    // Clicks every node on the way from the root down to path, loading each level; the last node.
    TTreeNode* ShowPath(const QString& path);

    // The grid row showing the record with this id; -1 when none does.
    int GridRow(const QString& id) const;
    QString GridId(int row) const;
    // A left click on the row, with Ctrl held as the operator holds it (key down, click, key up).
    void ClickRow(int row, bool ctrl = false);
    void ShiftClickRow(int row);

    // Ctrl+key with the focus on widget; the actions' enabling is brought up to date first, as the
    // idle time would.
    void PressShortcut(QWidget* widget, Qt::Key key);

private:
    bool LogOnDataModule(QString* error);
    void WriteServerConfig();

    QTemporaryDir FDir;
    BksvrProcess FServer;
    std::unique_ptr<ScriptedMessages> FMessages;
    std::unique_ptr<TdmMain> FDm;
    std::unique_ptr<TfmMain> FWindow;
    // Watches the window's tree model for the whole test; goes before the window.
    std::unique_ptr<QAbstractItemModelTester> FTreeTester;
    std::unique_ptr<AccountSetFile> FDb;
    int FMessagesTaken = 0;
};
