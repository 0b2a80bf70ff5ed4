#pragma once

#include "config/TktIni.h"
#include "data/TdmMain.h"
#include "tests/support/BksvrProcess.h"
#include "tests/support/ScriptedMessages.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// What a log-on test stands on: a settings file of its own, a data module whose CONFIG.CFG names
// the server's port, the message boxes answered by a script, and a real bksvr whose account-set
// catalogue the test chooses.
class LoginFixture {
public:
    // Starts the server (extraArgs go to bksvr) and points the program's configuration at files of
    // the fixture. False with the reason in error.
    bool start(const QStringList& extraArgs = {}, QString* error = nullptr);

    // A fresh data module, settings file and message script for the next test.
    void reset(QList<bool> answers = {});
    // Ends what reset made.
    void clear();

    // Makes the server list count account sets, "ZT001" to "ZT00n" ("ZT010"...), named
    // "第n号测试账套"; extra entries name account sets whose database file is missing.
    bool setAccountSets(int count, const QStringList& missing = {}, QString* error = nullptr);
    static QString dbName(int n);
    static QString fullName(int n);

    // Points CONFIG.CFG at another port (e.g. one where nothing listens).
    void setServerPort(quint16 port);

    TktIni& settings() { return *FSettings; }
    QString setting(const QString& ident) const;
    ScriptedMessages& messages() { return *FMessages; }
    TdmMain& dm() { return *FDm; }
    BksvrProcess& server() { return FServer; }
    QString workDir() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
    BksvrProcess FServer;
    std::unique_ptr<TktIni> FSettings;
    std::unique_ptr<ScriptedMessages> FMessages;
    std::unique_ptr<TdmMain> FDm;
    int FRun = 0;
};
