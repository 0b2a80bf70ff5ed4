// The account-set backup: against a real bksvr, and against a scripted fake for the
// answers bksvr never gives (odd codes, a refused download, a download cut off).
#include "DataTestEnv.h"
#include "FakeAppServer.h"
#include "common/MessagePresenter.h"
#include "common/TfmStatus.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString AccountSet = QStringLiteral("ZT001");

// Records each box with the status popup's text at that moment (empty: no popup).
class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter() { SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(nullptr); }
    bool present(const MessageRequest& request) override
    {
        shown.append(request);
        popupText.append(TfmStatus::Current() ? TfmStatus::Current()->StatusText() : QString());
        return true;
    }
    QList<MessageRequest> shown;
    QStringList popupText;
};

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestDataBackup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void backupReachesTheFolder();
    void sameNameOnTheServer();
    void backupDeviceHint();
    void namedInstanceGetsNoFolder();
    void fakeServer_data();
    void fakeServer();

private:
    void expectOneError(const RecordingPresenter& boxes, const QString& text, bool popupUp);

    std::unique_ptr<DataTestEnv> env;
    BksvrProcess server;
    std::unique_ptr<TdmMain> dm;
    std::unique_ptr<QTemporaryDir> local;
};

void TestDataBackup::initTestCase()
{
    env = std::make_unique<DataTestEnv>();
    QString error;
    QVERIFY2(server.start({}, &error), qPrintable(error));
}

void TestDataBackup::init()
{
    dm.reset();
    dm = env->connect(server.port(), AccountSet);
    local = std::make_unique<QTemporaryDir>();
}

void TestDataBackup::expectOneError(const RecordingPresenter& boxes, const QString& text, bool popupUp)
{
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, text);
    QCOMPARE(boxes.shown[0].caption, DataTestEnv::ApplicationTitle);
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Error);
    // A failure the server reports is shown over the popup; an exception hides it first.
    QCOMPARE(boxes.popupText[0], popupUp ? QStringLiteral("正在备份数据 ...") : QString());
    QVERIFY(!TfmStatus::Current());
}

void TestDataBackup::backupReachesTheFolder()
{
    const QString folder = local->filePath(QStringLiteral("not/yet/there"));
    RecordingPresenter boxes;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QVERIFY(dm->BackupAccountSet(QStringLiteral("  ") + folder + QStringLiteral("  ")));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!TfmStatus::Current());

    const QStringList files = FilesIn(folder);
    QCOMPARE(files.size(), 1);
    const QRegularExpressionMatch name
        = QRegularExpression(QStringLiteral("^ZT001-(\\d{8}-\\d{6})\\.ZIP$")).match(files[0]);
    QVERIFY2(name.hasMatch(), qPrintable(files[0]));
    const QDateTime stamp = QDateTime::fromString(name.captured(1), QStringLiteral("yyyyMMdd-hhmmss"));
    QVERIFY(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after);

    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), { QStringLiteral("-t"), QDir(folder).filePath(files[0]) });
    QVERIFY(unzip.waitForFinished(60000));
    QVERIFY2(unzip.exitCode() == 0, unzip.readAll().constData());
    // The bytes are the server's own archive.
    QFile mine(QDir(folder).filePath(files[0]));
    QFile theirs(QDir(server.dataDir()).filePath(QStringLiteral("backup/") + files[0]));
    QVERIFY(mine.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly));
    QVERIFY(mine.readAll() == theirs.readAll());
}

void TestDataBackup::sameNameOnTheServer()
{
    // Names the backup could take during the next seconds already exist on the server.
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = -1; s <= 30; ++s) {
        QFile f(QDir(server.dataDir())
                    .filePath(QStringLiteral("backup/ZT001-%1.ZIP")
                                  .arg(now.addSecs(s).toString(QStringLiteral("yyyyMMdd-hhmmss")))));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    RecordingPresenter boxes;
    QVERIFY(!dm->BackupAccountSet(local->path()));
    expectOneError(boxes,
        QStringLiteral(
            "服务器上存在同名的备份文件！\r\n请更换备份文件名称或者在数据恢复功能中删除该备份文件！"),
        true);
    QVERIFY(FilesIn(local->path()).isEmpty());
}

void TestDataBackup::backupDeviceHint()
{
    // A file where the server's backup folder should be: the server can't write its archive.
    const QString serverBackup = QDir(server.dataDir()).filePath(QStringLiteral("backup"));
    QVERIFY(QDir(serverBackup).removeRecursively());
    QFile blocker(serverBackup);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    RecordingPresenter boxes;
    const QString folder = local->path();
    const bool ok = dm->BackupAccountSet(folder);
    QVERIFY(QFile::remove(serverBackup) && QDir().mkpath(serverBackup));
    QVERIFY(!ok);
    QCOMPARE(boxes.shown.size(), 1);
    const QRegularExpressionMatch m = QRegularExpression(
        QStringLiteral("^备份到“ZT001-\\d{8}-\\d{6}”失败：请先在“127\\.0\\.0\\.1”创建目录“")
            + QRegularExpression::escape(folder) + QStringLiteral("”\r\n\r\n（服务器返回的原始错误：(.+)）$"),
        QRegularExpression::DotMatchesEverythingOption)
                                          .match(boxes.shown[0].text);
    QVERIFY2(m.hasMatch(), qPrintable(boxes.shown[0].text));
    QVERIFY(m.captured(1).contains(QStringLiteral("无法打开备份设备")));
    expectOneError(boxes, boxes.shown[0].text, false);
    QVERIFY(FilesIn(folder).isEmpty());
}

void TestDataBackup::namedInstanceGetsNoFolder()
{
    // "host\instance" is never taken for this machine: the folder is not made, so the
    // download has nowhere to go, and the message names the full local file.
    dm->FServerName = QStringLiteral("127.0.0.1\\LEDGER");
    const QString folder = local->filePath(QStringLiteral("missing"));
    RecordingPresenter boxes;
    QVERIFY(!dm->BackupAccountSet(folder));
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(boxes.shown.size(), 1);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("^备份到“") + QRegularExpression::escape(folder)
            + QStringLiteral("/ZT001-\\d{8}-\\d{6}\\.ZIP”失败：无法创建文件“"))
              .match(boxes.shown[0].text);
    QVERIFY2(m.hasMatch(), qPrintable(boxes.shown[0].text));
    expectOneError(boxes, boxes.shown[0].text, false);
}

void TestDataBackup::fakeServer_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("download"); // how the download goes: refused, cut, error
    QTest::addColumn<QString>("message"); // a regular expression
    QTest::addColumn<bool>("popupUp");
    QTest::newRow("other code") << 5 << QString()
                                << QRegularExpression::escape(
                                       QStringLiteral("备份账套时发生未知错误！\r\n请与开发商联系解决！"))
                                << true;
    QTest::newRow("download refused")
        << 0 << QStringLiteral("refused") << QRegularExpression::escape(QStringLiteral("备份文件“X”不存在"))
        << true;
    QTest::newRow("cut off half way")
        << 0 << QStringLiteral("cut")
        << QStringLiteral("^备份到“.*/ZT001-\\d{8}-\\d{6}\\.ZIP”失败：.*连接已断开.*$") << false;
    QTest::newRow("error half way") << 0 << QStringLiteral("error")
                                    << QStringLiteral(
                                           "^备份到“.*/ZT001-\\d{8}-\\d{6}\\.ZIP”失败：读取备份文件失败$")
                                    << false;
}

void TestDataBackup::fakeServer()
{
    QFETCH(int, code);
    QFETCH(QString, download);
    QFETCH(QString, message);
    QFETCH(bool, popupUp);
    FakeAppServer fake([&](const WireMessage& call) {
        QVariantList args = call.args;
        if (call.text == u"BackupDatabase") {
            args[3] = code;
            return FakeAppServer::Answer { { FakeAppServer::Result(call, code, args) } };
        }
        if (call.text == u"GetBackUpFileServer") {
            if (download == u"refused") {
                args[1] = QStringLiteral("备份文件“X”不存在");
                return FakeAppServer::Answer { { FakeAppServer::Result(call, QVariant(), args) } };
            }
            QList<QByteArray> frames
                = { FakeAppServer::Stream(call, 1000), FakeAppServer::Chunk(QByteArray(500, 'P')) };
            if (download == u"error")
                frames.append(FakeAppServer::Error(call, QStringLiteral("读取备份文件失败")));
            return FakeAppServer::Answer { frames, download == u"cut" };
        }
        return FakeAppServer::Answer { { FakeAppServer::Result(call, true, args) } };
    });
    auto fakeDm = env->connect(fake.port(), AccountSet);
    const QString folder = local->filePath(QStringLiteral("made"));
    RecordingPresenter boxes;
    QVERIFY(!fakeDm->BackupAccountSet(folder));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY2(QRegularExpression(message, QRegularExpression::DotMatchesEverythingOption)
                 .match(boxes.shown[0].text)
                 .hasMatch(),
        qPrintable(boxes.shown[0].text));
    expectOneError(boxes, boxes.shown[0].text, popupUp);
    QVERIFY(QFileInfo(folder).isDir()); // local server: the folder was made
    QCOMPARE(FilesIn(folder), QStringList()); // no backup, no partial file under any name
}

QTEST_MAIN(TestDataBackup)
#include "TestDataBackup.moc"
