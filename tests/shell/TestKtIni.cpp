#include "common/Exception.h"
#include "config/TktIni.h"

#include <QDataStream>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace NS = NodeShiftSettings;

namespace {

// A settings format whose values keep their types, as the registry's do (a DWORD stays an integer),
// so that the registry's reading rules can be checked on any platform.
bool ReadTyped(QIODevice& device, QSettings::SettingsMap& map)
{
    QDataStream in(&device);
    in >> map;
    return in.status() == QDataStream::Ok;
}

bool WriteTyped(QIODevice& device, const QSettings::SettingsMap& map)
{
    QDataStream out(&device);
    out << map;
    return out.status() == QDataStream::Ok;
}

const QSettings::Format TypedFormat
    = QSettings::registerFormat(QStringLiteral("typed"), ReadTyped, WriteTyped);

} // namespace

class TestKtIni : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readingRules_data();
    void readingRules();
    void textRoundTripsThroughTheIniFile_data();
    void textRoundTripsThroughTheIniFile();
    void writeReachesTheFileAtOnce();
    void handWrittenIniFile();
    void failedWriteSaysWhichValue();
    void processStoreLivesInTheUsersConfigFolder();

private:
    QString FreshFile(const QString& name) const { return FDir.filePath(name); }
    QTemporaryDir FDir;
    QTemporaryDir FConfigHome;
};

void TestKtIni::initTestCase()
{
    QVERIFY(FDir.isValid() && FConfigHome.isValid());
    // The process's own store must never reach the real user's configuration.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfigHome.path()));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(FConfigHome.filePath(QStringLiteral("system"))));
}

void TestKtIni::readingRules_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: no such value
    QTest::addColumn<QString>("ident");
    QTest::addColumn<QVariant>("expected"); // QString for ReadString, bool for ReadBool
    QTest::addColumn<QString>("error");

    const QVariant none;
    QTest::newRow("ServerName missing")
        << none << NS::ServerName << QVariant(NS::DefaultServerName) << QString();
    QTest::newRow("BackupDir missing")
        << none << NS::BackupDir << QVariant(NS::DefaultBackupDir) << QString();
    QTest::newRow("DatabaseName missing") << none << NS::DatabaseName << QVariant(QString()) << QString();
    QTest::newRow("ServerName stored") << QVariant(QStringLiteral("srv01")) << NS::ServerName
                                       << QVariant(QStringLiteral("srv01")) << QString();
    QTest::newRow("ServerName as DWORD") << QVariant(7u) << NS::ServerName << QVariant()
                                         << QStringLiteral("Invalid data type for 'ServerName'");

    QTest::newRow("BackupDB missing: on") << none << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB DWORD 0: off") << QVariant(0u) << NS::BackupDB << QVariant(false) << QString();
    QTest::newRow("BackupDB DWORD 1: on") << QVariant(1u) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB DWORD 0xFFFFFFFF: on")
        << QVariant(0xFFFFFFFFu) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB \"0\": off")
        << QVariant(QStringLiteral("0")) << NS::BackupDB << QVariant(false) << QString();
    QTest::newRow("BackupDB \" 0\": off")
        << QVariant(QStringLiteral(" 0")) << NS::BackupDB << QVariant(false) << QString();
    QTest::newRow("BackupDB \"$0\": off")
        << QVariant(QStringLiteral("$0")) << NS::BackupDB << QVariant(false) << QString();
    QTest::newRow("BackupDB \"2\": on")
        << QVariant(QStringLiteral("2")) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB \"no\": on")
        << QVariant(QStringLiteral("no")) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB \"0 \": on, no integer")
        << QVariant(QStringLiteral("0 ")) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB empty text: on")
        << QVariant(QString()) << NS::BackupDB << QVariant(true) << QString();
    QTest::newRow("BackupDB multi-string")
        << QVariant(QStringList { QStringLiteral("0") }) << NS::BackupDB << QVariant()
        << QStringLiteral("Invalid data type for 'BackupDB'");
}

void TestKtIni::readingRules()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, ident);
    QFETCH(QVariant, expected);
    QFETCH(QString, error);

    const QString fileName
        = FreshFile(QString::fromLatin1(QTest::currentDataTag()).toHtmlEscaped() + QStringLiteral(".typed"));
    {
        QSettings writer(fileName, TypedFormat);
        writer.setValue(QStringLiteral("Other/") + ident, QStringLiteral("0")); // another section's value
        if (stored.isValid())
            writer.setValue(NS::Section + QLatin1Char('/') + ident, stored);
    }
    TktIni store(std::make_unique<QSettings>(fileName, TypedFormat));
    try {
        if (ident == NS::BackupDB)
            QCOMPARE(QVariant(store.ReadBool(NS::Section, ident, NS::DefaultBackupDB)), expected);
        else
            QCOMPARE(QVariant(store.ReadString(NS::Section, ident, expected.toString())), expected);
        QVERIFY2(error.isEmpty(), "no error raised");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), error);
    }
}

void TestKtIni::textRoundTripsThroughTheIniFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Windows folder") << QStringLiteral("d:\\备份\\");
    QTest::newRow("Chinese account set") << QStringLiteral("账套01（总部）");
    QTest::newRow("comma and quotes") << QStringLiteral("a, \"b\"; c=d");
    QTest::newRow("empty") << QString();
}

void TestKtIni::textRoundTripsThroughTheIniFile()
{
    QFETCH(QString, text);
    const QString fileName = FreshFile(QStringLiteral("roundtrip.ini"));
    TktIni::OverFile(fileName)->WriteString(NS::Section, NS::BackupDir, text);
    QCOMPARE(TktIni::OverFile(fileName)->ReadString(NS::Section, NS::BackupDir, QStringLiteral("x")), text);
}

void TestKtIni::writeReachesTheFileAtOnce()
{
    const QString fileName = FreshFile(QStringLiteral("atonce.ini"));
    auto writer = TktIni::OverFile(fileName);
    writer->WriteString(NS::Section, NS::ServerName, QStringLiteral("srv02"));
    QSettings reader(fileName, QSettings::IniFormat);
    QCOMPARE(reader.value(QStringLiteral("NodeShift/ServerName")).toString(), QStringLiteral("srv02"));
}

void TestKtIni::handWrittenIniFile()
{
    const QString fileName = FreshFile(QStringLiteral("hand.ini"));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[NodeShift]\nServerName=db1,db2\nBackupDB=0\n");
    file.close();
    auto store = TktIni::OverFile(fileName);
    QCOMPARE(store->ReadString(NS::Section, NS::ServerName, QString()), QStringLiteral("db1,db2"));
    QCOMPARE(store->ReadBool(NS::Section, NS::BackupDB, true), false);
}

void TestKtIni::failedWriteSaysWhichValue()
{
    // A folder nobody can create, root included.
    auto store = TktIni::OverFile(QStringLiteral("/proc/nodeshift-none/store.ini"));
    QCOMPARE(store->ReadString(NS::Section, NS::ServerName, NS::DefaultServerName), NS::DefaultServerName);
    try {
        store->WriteString(NS::Section, NS::DatabaseName, QStringLiteral("zt001"));
        QFAIL("the write should fail");
    } catch (const Exception& e) {
        QCOMPARE(e.message(), QStringLiteral("Failed to set data for 'DatabaseName'"));
    }
}

void TestKtIni::processStoreLivesInTheUsersConfigFolder()
{
    const QString expected = FConfigHome.filePath(QStringLiteral("Tallow/TallowPlatform.ini"));
    QCOMPARE(KtIni(), KtIni());
    QCOMPARE(KtIni()->Location(), expected);
    KtIni()->WriteString(NS::Section, NS::ServerName, QStringLiteral("srv03"));
    QVERIFY(QFile::exists(expected));

    auto mine = TktIni::OverFile(FreshFile(QStringLiteral("mine.ini")));
    SetKtIni(mine.get());
    QCOMPARE(KtIni(), mine.get());
    QCOMPARE(KtIni()->ReadString(NS::Section, NS::ServerName, NS::DefaultServerName), NS::DefaultServerName);
    SetKtIni(nullptr);
    QCOMPARE(KtIni()->ReadString(NS::Section, NS::ServerName, QString()), QStringLiteral("srv03"));
}

QTEST_GUILESS_MAIN(TestKtIni)
#include "TestKtIni.moc"
