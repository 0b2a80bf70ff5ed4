#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString DefaultTitle = u"Ledgerine基本信息搬移工具"_s;

// One copy of the program (the probe build of the entry), with its own runtime folder.
class Copy {
public:
    Copy(const QString& runtimeDir, const QStringList& args, const QString& program = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir);
        FProcess.setProcessEnvironment(env);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(program.isEmpty() ? qEnvironmentVariable("NS_PROBE") : program, args);
    }
    ~Copy()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    // Waits until the copy printed the line (or ended).
    bool WaitFor(const QString& line, int timeoutMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (Lines().count(line) <= FSeen.value(line)) {
            if (timer.elapsed() > timeoutMs || FProcess.state() == QProcess::NotRunning)
                return false;
            FProcess.waitForReadyRead(50);
        }
        FSeen[line] = Lines().count(line);
        return true;
    }

    bool Ended(int timeoutMs = 10000) { return FProcess.waitForFinished(timeoutMs); }
    int ExitCode() const { return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1; }
    void Kill()
    {
        FProcess.kill();
        FProcess.waitForFinished();
    }
    QStringList Lines()
    {
        FOutput += QString::fromUtf8(FProcess.readAllStandardOutput());
        return FOutput.split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QProcess FProcess;
    QString FOutput;
    QHash<QString, int> FSeen;
};

QString writeConfig(const QString& path, const QString& title)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    QStringEncoder gbk("GBK");
    file.write(gbk.encode(u"[System]\r\nApplicationTitle="_s + title + u"\r\n"_s));
    return path;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void secondCopyEndsAndActivatesTheFirst();
    void otherTitleActivatesNothing();
    void killedCopyDoesNotBlock();
    void normalEndReleasesTheGuard();
    void badConfigurationEndsBeforeAnyWindow_data();
    void badConfigurationEndsBeforeAnyWindow();
    void secondCopyWithoutTitleShowsTheError();
    void configurationIsFoundBesideTheExecutable();

private:
    QString Config(const QString& title) { return writeConfig(FDir->filePath(title + u".cfg"_s), title); }
    QString RuntimeDir() const { return FDir->filePath(u"run"_s); }

    std::unique_ptr<QTemporaryDir> FDir;
};

void TestStartup::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkdir(RuntimeDir()));
    QVERIFY(QFile::setPermissions(RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestStartup::secondCopyEndsAndActivatesTheFirst()
{
    Copy first(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(first.WaitFor(u"shown 甲"_s));
    QVERIFY(first.WaitFor(u"minimized"_s));
    Copy second(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(second.Ended());
    QCOMPARE(second.ExitCode(), 0);
    QCOMPARE(second.Lines(), QStringList());
    QVERIFY(first.WaitFor(u"restored"_s));
    // and again, once minimized anew
    QVERIFY(first.WaitFor(u"minimized"_s));
    Copy third(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(third.Ended());
    QVERIFY(first.WaitFor(u"restored"_s));
}

void TestStartup::otherTitleActivatesNothing()
{
    Copy first(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(first.WaitFor(u"minimized"_s));
    Copy other(RuntimeDir(), { u"--config"_s, Config(u"乙"_s) });
    QVERIFY(other.Ended());
    QCOMPARE(other.ExitCode(), 0);
    QCOMPARE(other.Lines(), QStringList());
    QVERIFY(!first.WaitFor(u"restored"_s, 700));
    Copy same(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(same.Ended());
    QVERIFY(first.WaitFor(u"restored"_s));
    QCOMPARE(first.Lines().count(u"restored"_s), 1);
}

void TestStartup::killedCopyDoesNotBlock()
{
    {
        Copy killed(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
        QVERIFY(killed.WaitFor(u"minimized"_s));
        killed.Kill();
    }
    const QStringList left
        = QDir(RuntimeDir()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(left, QStringList({ u"PNodeShift"_s, u"PNodeShift.lock"_s }));

    Copy next(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(next.WaitFor(u"minimized"_s));
    Copy second(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(second.Ended());
    QCOMPARE(second.ExitCode(), 0);
    QVERIFY(next.WaitFor(u"restored"_s));
}

void TestStartup::normalEndReleasesTheGuard()
{
    Copy first(RuntimeDir(), { u"--config"_s, Config(u"甲"_s), u"--quit"_s });
    QVERIFY(first.Ended());
    QCOMPARE(first.ExitCode(), 0);
    QCOMPARE(first.Lines(), QStringList({ u"shown 甲"_s }));
    QVERIFY(!QFile::exists(RuntimeDir() + u"/PNodeShift.lock"_s));
    Copy next(RuntimeDir(), { u"--config"_s, Config(u"甲"_s), u"--quit"_s });
    QVERIFY(next.Ended());
    QCOMPARE(next.Lines(), QStringList({ u"shown 甲"_s }));
}

void TestStartup::badConfigurationEndsBeforeAnyWindow_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << QString() << u"配置文件“%1”不存在"_s;
    QTest::newRow("empty value") << u"[System]\r\nApplicationTitle=甲\r\nSelectRootNodeSQL=\r\n"_s
                                 << u"配置文件“%1”[System]中“SelectRootNodeSQL”的值不能为空"_s;
}

void TestStartup::badConfigurationEndsBeforeAnyWindow()
{
    QFETCH(QString, content);
    QFETCH(QString, message);
    const QString path = FDir->filePath(u"Movedata.cfg"_s);
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8().prepend("\xEF\xBB\xBF"));
    }
    Copy copy(RuntimeDir(), { u"--config"_s, path });
    QVERIFY(copy.Ended());
    QCOMPARE(copy.ExitCode(), 0);
    // the configured title is not in force yet: the box carries the default one
    QCOMPARE(copy.Lines(), QStringList({ u"box Error|%1|%2"_s.arg(DefaultTitle, message.arg(path)) }));
    QVERIFY(!QFile::exists(RuntimeDir() + u"/PNodeShift.lock"_s));
}

void TestStartup::secondCopyWithoutTitleShowsTheError()
{
    Copy first(RuntimeDir(), { u"--config"_s, Config(u"甲"_s) });
    QVERIFY(first.WaitFor(u"minimized"_s));
    const QString path = Config(QString());
    Copy second(RuntimeDir(), { u"--config"_s, path });
    QVERIFY(second.Ended());
    QCOMPARE(second.ExitCode(), 1);
    QCOMPARE(second.Lines(),
        QStringList({ u"box Error|%1|配置文件“%2”[System]中“ApplicationTitle”的值不能为空"_s.arg(
            DefaultTitle, path) }));
    QVERIFY(!first.WaitFor(u"restored"_s, 300));
}

void TestStartup::configurationIsFoundBesideTheExecutable()
{
    const QString folder = FDir->filePath(u"tool"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString program = folder + u"/nodeshift_probe"_s;
    QVERIFY(QFile::copy(qEnvironmentVariable("NS_PROBE"), program));
    QVERIFY(!writeConfig(folder + u"/Movedata.cfg"_s, u"旁边"_s).isEmpty());
    QVERIFY(!writeConfig(FDir->filePath(u"Movedata.cfg"_s), u"当前目录"_s).isEmpty());
    const QString current = QDir::currentPath();
    QDir::setCurrent(FDir->path());
    Copy copy(RuntimeDir(), { u"--quit"_s }, program);
    QDir::setCurrent(current);
    QVERIFY(copy.Ended());
    QCOMPARE(copy.Lines(), QStringList({ u"shown 旁边"_s }));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
