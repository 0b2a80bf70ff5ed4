#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Runs a real bksvr for a test: on a private copy of the demo data (generated once per test
// process with `bksvr --init-demo`, then copied), on 127.0.0.1 with a free port. The executable
// comes from the environment variable NS_BKSVR. The server's stderr log goes to a file beside the
// data folder (never a pipe that someone must drain), readable with log().
class BksvrProcess {
public:
    static constexpr int DefaultDemoGoods = 0; // the demo builder's own default

    BksvrProcess();
    ~BksvrProcess(); // stop()
    BksvrProcess(const BksvrProcess&) = delete;
    BksvrProcess& operator=(const BksvrProcess&) = delete;

    // Copies the demo (with `--goods goods` when goods > 0) into a fresh folder and starts the
    // server there with `--port 0` and extraArgs. On failure returns false and says why in error.
    bool start(const QStringList& extraArgs = {}, QString* error = nullptr, int goods = DefaultDemoGoods);
    // Starts the server again on the same data folder (after kill() or stop()).
    bool restart(const QStringList& extraArgs = {}, QString* error = nullptr);

    quint16 port() const { return FPort; }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    QString dataDir() const; // the data folder: catalogue, account sets, backup folder
    bool isRunning() const;
    qint64 pid() const;

    void kill(); // SIGKILL, waits until the process is gone
    void stop(); // SIGTERM, then SIGKILL if it does not end within a few seconds
    QString log() const; // everything the server wrote to stderr so far

    // Runs `bksvr args...` to completion (e.g. --check DIR); returns its exit code (-1 when it could
    // not run or crashed) and its stdout and stderr in output.
    static int run(const QStringList& args, QString* output = nullptr, int timeoutMs = 120000);
    // `bksvr --check dataDir()`.
    int check(QString* output = nullptr) const;
    static QString executable();

private:
    bool launch(const QStringList& extraArgs, QString* error);

    std::unique_ptr<QTemporaryDir> FRoot;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
};
