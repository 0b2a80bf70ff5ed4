#include "tests/support/BksvrProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

namespace {

const QString ListeningPrefix = QStringLiteral("listening on 127.0.0.1:");

// Demo folders built in this test process, by goods count; removed when the process ends.
QMap<int, std::shared_ptr<QTemporaryDir>>& demoCache()
{
    static QMap<int, std::shared_ptr<QTemporaryDir>> cache;
    return cache;
}

QString demoTemplate(int goods, QString* error)
{
    auto& cache = demoCache();
    if (cache.contains(goods))
        return cache[goods]->filePath(QStringLiteral("demo"));
    auto dir = std::make_shared<QTemporaryDir>();
    const QString path = dir->filePath(QStringLiteral("demo"));
    QStringList args = { QStringLiteral("--init-demo"), path };
    if (goods > 0)
        args << QStringLiteral("--goods") << QString::number(goods);
    QString output;
    if (BksvrProcess::run(args, &output) != 0) {
        *error = QStringLiteral("bksvr --init-demo failed: %1").arg(output);
        return {};
    }
    cache.insert(goods, dir);
    return path;
}

bool copyTree(const QString& from, const QString& to, QString* error)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QDir().mkpath(to);
    const QDir source(from);
    // Folders too, so an empty backup folder exists in the copy.
    QDirIterator dirs(from, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (dirs.hasNext())
        QDir().mkpath(to + u'/' + source.relativeFilePath(dirs.next()));
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + source.relativeFilePath(file);
        if (!QFile::copy(file, target)) {
            *error = QStringLiteral("cannot copy %1 to %2").arg(file, target);
            return false;
        }
    }
    return true;
}

} // namespace

BksvrProcess::BksvrProcess() = default;

BksvrProcess::~BksvrProcess()
{
    stop();
}

QString BksvrProcess::executable()
{
    return qEnvironmentVariable("NS_BKSVR");
}

QString BksvrProcess::dataDir() const
{
    return FRoot ? FRoot->filePath(QStringLiteral("data")) : QString();
}

bool BksvrProcess::isRunning() const
{
    return FProcess && FProcess->state() == QProcess::Running;
}

qint64 BksvrProcess::pid() const
{
    return FProcess ? FProcess->processId() : 0;
}

bool BksvrProcess::start(const QStringList& extraArgs, QString* error, int goods)
{
    QString ignored;
    QString& why = error ? *error : ignored;
    stop();
    if (executable().isEmpty()) {
        why = QStringLiteral("NS_BKSVR is not set");
        return false;
    }
    const QString demo = demoTemplate(goods, &why);
    if (demo.isEmpty())
        return false;
    FRoot = std::make_unique<QTemporaryDir>();
    if (!FRoot->isValid() || !copyTree(demo, dataDir(), &why))
        return false;
    return launch(extraArgs, &why);
}

bool BksvrProcess::restart(const QStringList& extraArgs, QString* error)
{
    QString ignored;
    stop();
    if (!FRoot) {
        (error ? *error : ignored) = QStringLiteral("restart() before start()");
        return false;
    }
    return launch(extraArgs, error ? error : &ignored);
}

bool BksvrProcess::launch(const QStringList& extraArgs, QString* error)
{
    FPort = 0;
    FProcess = std::make_unique<QProcess>();
    // A file, not a pipe: nobody has to read the log for the server to go on writing it.
    FProcess->setStandardErrorFile(FRoot->filePath(QStringLiteral("bksvr.log")), QIODevice::Append);
    FProcess->start(executable(),
        QStringList { QStringLiteral("--data"), dataDir(), QStringLiteral("--port"), QStringLiteral("0") }
            + extraArgs);
    if (!FProcess->waitForStarted(10000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(executable(), FProcess->errorString());
        return false;
    }
    const QDeadlineTimer deadline(15000);
    QByteArray out;
    while (!deadline.hasExpired()) {
        if (FProcess->canReadLine() || FProcess->waitForReadyRead(int(deadline.remainingTime()))) {
            while (FProcess->canReadLine()) {
                const QString line = QString::fromUtf8(FProcess->readLine()).trimmed();
                if (line.startsWith(ListeningPrefix)) {
                    FPort = quint16(line.mid(ListeningPrefix.size()).toUInt());
                    return FPort != 0;
                }
                out += line.toUtf8() + '\n';
            }
        } else if (FProcess->state() != QProcess::Running) {
            break;
        }
    }
    *error = QStringLiteral("bksvr did not start listening: %1%2").arg(QString::fromUtf8(out), log());
    kill();
    return false;
}

void BksvrProcess::kill()
{
    if (!isRunning())
        return;
    FProcess->kill();
    FProcess->waitForFinished(10000);
}

void BksvrProcess::stop()
{
    if (!isRunning())
        return;
    FProcess->terminate();
    if (!FProcess->waitForFinished(5000))
        kill();
}

QString BksvrProcess::log() const
{
    if (!FRoot)
        return {};
    QFile file(FRoot->filePath(QStringLiteral("bksvr.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int BksvrProcess::run(const QStringList& args, QString* output, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable(), args);
    const bool finished = process.waitForStarted(10000) && process.waitForFinished(timeoutMs);
    if (output)
        *output = QString::fromUtf8(process.readAll());
    if (!finished) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int BksvrProcess::check(QString* output) const
{
    return run({ QStringLiteral("--check"), dataDir() }, output);
}
