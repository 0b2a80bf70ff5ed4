#pragma once

#include "server/ServerContext.h"

#include <QTcpServer>

// Accepts clients and gives each a ClientSession in a thread of its own, so a long query or
// backup of one client never holds up another.
class ServerListener : public QTcpServer {
    Q_OBJECT
public:
    explicit ServerListener(const ServerContext& context, QObject* parent = nullptr);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    const ServerContext& context;
};
