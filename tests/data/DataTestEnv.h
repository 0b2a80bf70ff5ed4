#pragma once

#include "data/TdmMain.h"
#include "tests/support/BksvrProcess.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A data module wired to files of a temporary folder: CONFIG.CFG and Movedata.cfg are
// written there and both readers pointed at them, so the test executable's folder is
// never touched and tests can run side by side.
class DataTestEnv {
public:
    DataTestEnv();
    ~DataTestEnv(); // restores the readers' default files

    QString folder() const { return FDir.path(); }
    // Writes CONFIG.CFG (none: removes it).
    void writeServerConfig(const QByteArray& content);
    void removeServerConfig();
    // Movedata.cfg with the move procedure and the text of code -2 only.
    void writeMoveConfig();

    // A data module whose CONFIG.CFG points at port, connected to 127.0.0.1 and switched to
    // account set dbName (empty: stays in "master").
    std::unique_ptr<TdmMain> connect(quint16 port, const QString& dbName = QString());

    static const QString ApplicationTitle;
    static const QString MoveProcedure;
    static const QString Code2Text;

private:
    QTemporaryDir FDir;
};
