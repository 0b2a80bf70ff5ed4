#pragma once

#include <QStringList>

// What bksvr does with its command line: serve (until killed), check a data folder, or build the
// demo. Returns the process exit code. Needs a QCoreApplication.
class ServerCommand {
public:
    static int run(const QStringList& arguments);
};
