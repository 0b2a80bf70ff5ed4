#pragma once

#include <QUuid>

// The application server's class identifiers: the default one, and in multi-server mode one per
// port from 212 to 291. Client and server read the same table, so they always agree.
class ServerGuids {
public:
    static constexpr int FirstPort = 212;
    static constexpr int LastPort = 291;
    static constexpr int PortCount = LastPort - FirstPort + 1;

    static QUuid defaultGuid();
    // The identifier of a port's own server class; ports outside FirstPort..LastPort have the default.
    static QUuid ofPort(int port);
};
