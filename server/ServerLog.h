#pragma once

#include <QString>

// bksvr's log on stderr: one line per event, safe to call from every session thread.
class ServerLog {
public:
    static void write(const QString& line);
};
