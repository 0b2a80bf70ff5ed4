#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

const QString InstanceName = QStringLiteral("PNodeShift");
constexpr int SendTimeoutMs = 2000;
// A title is a line of a configuration value; anything longer is not one of ours.
constexpr qint64 MaxRequestBytes = 64 * 1024;

} // namespace

SingleInstanceGuard::SingleInstanceGuard(QString directory, QObject* parent)
    : QObject(parent)
    , FDirectory(std::move(directory))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    ReleaseInstanceMutex();
}

QString SingleInstanceGuard::DefaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstanceGuard::LockFileName() const
{
    return QDir(FDirectory).filePath(InstanceName + QStringLiteral(".lock"));
}

QString SingleInstanceGuard::SocketName() const
{
    return QDir(FDirectory).filePath(InstanceName);
}

bool SingleInstanceGuard::IsAlreadyRunning(const std::function<QString()>& title)
{
    FLock = std::make_unique<QLockFile>(LockFileName());
    // Only a dead owner makes a lock stale, never its age: a copy may run for days.
    FLock->setStaleLockTime(0);
    if (!FDirectory.isEmpty() && FLock->tryLock(0))
        return false;
    const bool heldByAnother = FLock->error() == QLockFile::LockFailedError;
    FLock.reset();
    // Any failure counts, as with the system mutex: only a lock held by another copy has
    // someone to tell.
    if (heldByAnother) {
        const QByteArray request = title().toUtf8() + '\n';
        QLocalSocket socket;
        socket.connectToServer(SocketName());
        if (socket.waitForConnected(SendTimeoutMs)) {
            socket.write(request);
            socket.waitForBytesWritten(SendTimeoutMs);
            socket.disconnectFromServer();
        }
    }
    return true;
}

bool SingleInstanceGuard::Listen()
{
    if (!FLock || FServer)
        return false;
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock: a socket left there belongs to a copy that died.
    QLocalServer::removeServer(SocketName());
    if (!FServer->listen(SocketName()))
        return false;
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = FServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequest(socket);
        }
    });
    return true;
}

void SingleInstanceGuard::readRequest(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxRequestBytes)
            socket->abort();
        return;
    }
    QByteArray line = socket->readLine(MaxRequestBytes);
    if (line.endsWith('\n'))
        line.chop(1);
    const QString title = QString::fromUtf8(line);
    socket->disconnectFromServer();
    emit activationRequested(title);
}

void SingleInstanceGuard::ReleaseInstanceMutex()
{
    if (FServer) {
        FServer->close();
        delete FServer;
        FServer = nullptr;
    }
    FLock.reset();
}
