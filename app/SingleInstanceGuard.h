#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running copy per user. A lock file in the user's runtime folder decides who is first (the
// lock of a copy that died is taken over); the first copy then listens on a local socket named
// "PNodeShift" beside it, and a later copy sends it its application title and ends.
class SingleInstanceGuard : public QObject {
    Q_OBJECT

public:
    explicit SingleInstanceGuard(QString directory = DefaultDirectory(), QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // The user's runtime folder (XDG_RUNTIME_DIR).
    static QString DefaultDirectory();

    // True when this copy must end: another copy holds the lock (then it is sent title(), which
    // may raise) or the lock can't be taken at all. Works before the application object exists.
    bool IsAlreadyRunning(const std::function<QString()>& title);
    // The first copy, once the application object exists: accept requests of later copies.
    bool Listen();
    // Gives the lock and the socket up at the end of a normal run.
    void ReleaseInstanceMutex();

    QString LockFileName() const;
    QString SocketName() const;

signals:
    // A later copy started with this application title.
    void activationRequested(const QString& title);

private:
    void readRequest(QLocalSocket* socket);

    QString FDirectory;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer* FServer = nullptr;
};
