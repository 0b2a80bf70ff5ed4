// BackupDatabase on a real account set: the archive is a faithful, checkable copy; names that
// could escape the backup folder are refused; a name in use answers -1.
#include "DemoFolder.h"
#include "server/BackupWriter.h"
#include "server/SqliteStatement.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
int runTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList backupFolderFiles(const DemoFolder& demo)
{
    return QDir(demo.dataDir() + u"/backup"_s).entryList(QDir::Files | QDir::Hidden);
}
}

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void unsafeNamesAreRefused_data();
    void unsafeNamesAreRefused();
    void archiveIsAFaithfulCopy();
    void sameNameAnswersMinusOne();
    void unwritableFolderNamesTheBackupDevice();
    void downloadPathNeedsAFinishedBackup();
};

void TestBackup::unsafeNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << u"../evil"_s;
    QTest::newRow("two dots") << u".."_s;
    QTest::newRow("dots inside") << u"a..b"_s;
    QTest::newRow("slash") << u"a/b"_s;
    QTest::newRow("absolute") << u"/tmp/evil"_s;
    QTest::newRow("backslash") << u"..\\evil"_s;
    QTest::newRow("hidden") << u".hidden"_s;
    QTest::newRow("blank") << u"a b"_s;
    QTest::newRow("shell characters") << u"a;rm"_s;
    QTest::newRow("control character") << u"a\nb"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("too long") << QString(129, u'x');
}

void TestBackup::unsafeNamesAreRefused()
{
    QFETCH(QString, name);
    DemoFolder demo;
    auto db = demo.open();
    QString error;
    QCOMPARE(db->backup(name, &error), int(BackupWriter::Failed));
    QVERIFY(error.contains(u"不合法"_s));
    QCOMPARE(backupFolderFiles(demo), QStringList());
    QCOMPARE(QDir(demo.dataDir()).entryList({ u"*.ZIP"_s }, QDir::Files), QStringList());
    QVERIFY(!QFile::exists(u"/tmp/evil.ZIP"_s));
    QVERIFY(demo.store().backupFilePath(name, &error).isEmpty());
}

void TestBackup::archiveIsAFaithfulCopy()
{
    DemoFolder demo;
    auto db = demo.open();
    QString error, newId;
    // A committed move must be in the copy: the snapshot reads through the WAL.
    QCOMPARE(db->moveNode(u"Goods"_s, DemoFolder::Record, DemoFolder::HandTools, DemoFolder::PowerTools, 3,
                 &newId, {}, &error),
        0);
    const QString name = u"ZT001-20240102-030405"_s;
    QCOMPARE(db->backup(name, &error), int(BackupWriter::Made));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString archive = demo.store().backupFilePath(name, &error);
    QCOMPARE(archive, demo.dataDir() + u"/backup/ZT001-20240102-030405.ZIP"_s);
    QCOMPARE(backupFolderFiles(demo), QStringList({ u"ZT001-20240102-030405.ZIP"_s }));

    QCOMPARE(runTool(u"unzip"_s, { u"-t"_s, archive }), 0);
    QByteArray listing;
    QCOMPARE(runTool(u"unzip"_s, { u"-Z1"_s, archive }, &listing), 0);
    QCOMPARE(listing.trimmed(), QByteArray("ZT001.db"));

    QTemporaryDir out;
    QCOMPARE(runTool(u"unzip"_s, { u"-q"_s, archive, u"-d"_s, out.path() }), 0);
    auto copy = SqliteConnection::open(out.filePath(u"ZT001.db"_s), SqliteConnection::Existing, &error);
    QVERIFY2(copy, qPrintable(error));
    SqliteStatement integrity(copy->handle(), u"PRAGMA integrity_check"_s);
    QVERIFY(integrity.step());
    QCOMPARE(integrity.text(0), u"ok"_s);
    // The same rows as the live account set, the move included.
    SqliteStatement moved(copy->handle(), u"SELECT ParId FROM Goods WHERE TypeId = ?1"_s);
    QVERIFY(moved.bind(1, DemoFolder::Record).step());
    QCOMPARE(moved.text(0), DemoFolder::PowerTools);
    SqliteStatement rows(copy->handle(), u"SELECT count(*) FROM Goods"_s);
    QVERIFY(rows.step());
    QCOMPARE(int(rows.integer(0)), demo.count(u"SELECT count(*) FROM Goods"_s));
}

void TestBackup::sameNameAnswersMinusOne()
{
    DemoFolder demo;
    auto db = demo.open();
    QString error;
    QCOMPARE(db->backup(u"ZT001-same"_s, &error), 0);
    const QString archive = demo.store().backupFilePath(u"ZT001-same"_s, &error);
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray first = file.readAll();
    file.close();
    QCOMPARE(db->backup(u"ZT001-same"_s, &error), int(BackupWriter::Exists));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), first);
    // Another account set may not take the name either.
    QCOMPARE(demo.open(u"ZT002"_s)->backup(u"ZT001-same"_s, &error), int(BackupWriter::Exists));
    QCOMPARE(backupFolderFiles(demo), QStringList({ u"ZT001-same.ZIP"_s }));
}

void TestBackup::unwritableFolderNamesTheBackupDevice()
{
    DemoFolder demo;
    auto db = demo.open();
    // A file where the backup folder should be: nothing can be written there, not even as root.
    const QString folder = demo.dataDir() + u"/backup"_s;
    QVERIFY(QDir(folder).removeRecursively());
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QCOMPARE(db->backup(u"ZT001-x"_s, &error), int(BackupWriter::Failed));
    QVERIFY2(error.contains(u"无法打开备份设备"_s), qPrintable(error));
}

void TestBackup::downloadPathNeedsAFinishedBackup()
{
    DemoFolder demo;
    QString error;
    QVERIFY(demo.store().backupFilePath(u"ZT001-none"_s, &error).isEmpty());
    QVERIFY2(error.contains(u"不存在"_s), qPrintable(error));
    // A half-written archive of another session is not offered.
    QFile partial(demo.dataDir() + u"/backup/.ZT001-none-0000.zip"_s);
    QVERIFY(partial.open(QIODevice::WriteOnly));
    partial.close();
    QVERIFY(demo.store().backupFilePath(u".ZT001-none-0000"_s, &error).isEmpty());
}

QTEST_GUILESS_MAIN(TestBackup)
#include "TestBackup.moc"
