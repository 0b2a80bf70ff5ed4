#pragma once

#include <QString>
#include <functional>
#include <memory>

class TAppServer;
class WireClient;

// The connection to the application server's socket listener (cnNet). Host or Address,
// Port and ServerGUID are set before Open; the events run in the order before-connect,
// after-connect, and before-disconnect on close. Every call over it is synchronous and
// bounded in time (see TAppServer).
class TSocketConnection {
public:
    using Event = std::function<void(TSocketConnection* sender)>;

    TSocketConnection();
    ~TSocketConnection(); // closes, running OnBeforeDisconnect
    TSocketConnection(const TSocketConnection&) = delete;
    TSocketConnection& operator=(const TSocketConnection&) = delete;

    QString Host() const { return FHost; }
    void SetHost(const QString& host) { FHost = host; }
    QString Address() const { return FAddress; }
    void SetAddress(const QString& address) { FAddress = address; }
    int Port() const { return FPort; }
    void SetPort(int port) { FPort = port; }
    // Braced text form, "{xxxxxxxx-...}".
    QString ServerGUID() const { return FServerGUID; }
    void SetServerGUID(const QString& guid) { FServerGUID = guid; }
    // ProgID of the application-server class; informational.
    QString ServerName() const { return QStringLiteral("BkSvr.BkServer"); }

    bool Connected() const;
    // Runs OnBeforeConnect, connects (Address wins over Host), runs OnAfterConnect.
    // Throws Exception when the listener can't be reached or refuses the class identifier.
    void Open();
    // Runs OnBeforeDisconnect, then drops the connection. Nothing when closed.
    void Close();
    void SetConnected(bool on) { on ? Open() : Close(); }

    // The server object's dispatch interface; throws Exception when not connected.
    TAppServer* AppServer();

    Event OnBeforeConnect;
    Event OnAfterConnect;
    Event OnBeforeDisconnect;

    // Bound for reaching the listener and its answer to the class identifier.
    static constexpr int ConnectTimeoutMs = 10000;

private:
    QString FHost;
    QString FAddress;
    int FPort = 211;
    QString FServerGUID;
    std::unique_ptr<WireClient> FClient;
    std::unique_ptr<TAppServer> FAppServer;
};
