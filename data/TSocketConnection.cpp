#include "data/TSocketConnection.h"

#include "data/TAppServer.h"
#include "wire/WireClient.h"

#include <QUuid>

TSocketConnection::TSocketConnection() = default;

TSocketConnection::~TSocketConnection()
{
    try {
        Close();
    } catch (...) {
        // a handler failing during shutdown must not end the program
    }
}

bool TSocketConnection::Connected() const
{
    return FClient && FClient->isConnected();
}

void TSocketConnection::Open()
{
    if (Connected())
        return;
    Close(); // a connection that dropped: its holders let go of it first
    if (OnBeforeConnect)
        OnBeforeConnect(this);

    const QString target = !FAddress.isEmpty() ? FAddress : FHost;
    if (target.isEmpty())
        throw Exception(QStringLiteral("未指定后台服务器"));
    if (FPort <= 0 || FPort > 65535)
        throw Exception(QStringLiteral("后台服务器端口 %1 无效").arg(FPort));
    const QUuid guid = QUuid::fromString(FServerGUID);
    if (guid.isNull())
        throw Exception(QStringLiteral("后台服务器类标识“%1”无效").arg(FServerGUID));

    auto client = std::make_unique<WireClient>();
    const QString error = client->connectToServer(target, quint16(FPort), guid, ConnectTimeoutMs);
    if (!error.isEmpty())
        throw Exception(error);
    FAppServer = std::make_unique<TAppServer>(*client);
    FClient = std::move(client);

    if (OnAfterConnect)
        OnAfterConnect(this);
}

void TSocketConnection::Close()
{
    if (!FClient)
        return;
    if (OnBeforeDisconnect)
        OnBeforeDisconnect(this);
    FAppServer.reset();
    FClient.reset();
}

TAppServer* TSocketConnection::AppServer()
{
    if (!Connected())
        throw Exception(QStringLiteral("未连接到后台服务器"));
    return FAppServer.get();
}
