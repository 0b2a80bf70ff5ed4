#pragma once

#include "server/ServerContext.h"

#include <QTcpServer>

// Accepts clients and gives each a ClientSession in a thread of its own, so a long query or
// backup of one client never holds up another.
class ServerListener : public QTcpServer {
    Q_OBJECT
public:
    // Sessions at once, whatever the file limit allows.
    static constexpr int MaxSessions = 1000;
    // Files one session may hold open: its socket, its thread's wake-up descriptor, two connections
    // to its account set with their logs, a backup's copy, archive and download.
    static constexpr int FilesPerSession = 10;

    explicit ServerListener(const ServerContext& context, QObject* parent = nullptr);

    // How many sessions the process's open-file limit leaves room for (at most MaxSessions).
    static int sessionLimit();

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void refuse(qintptr socketDescriptor, const QString& why);

    const ServerContext& context;
    const int limit;
    int live = 0;
};
