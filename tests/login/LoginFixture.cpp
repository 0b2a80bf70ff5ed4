#include "tests/login/LoginFixture.h"

#include "config/TSysConfig.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

namespace {

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// Runs statements on the server's catalogue; the server reads it afresh at every listing.
bool ExecCatalogue(const QString& dataDir, const QStringList& statements, QString* error)
{
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(QDir(dataDir).filePath(QStringLiteral("master.db")));
    bool ok = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    for (qsizetype i = 0; ok && i < statements.size(); ++i)
        ok = sqlite3_exec(db, statements[i].toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

QString Quoted(const QString& text)
{
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

bool LoginFixture::start(const QStringList& extraArgs, QString* error)
{
    QString reason;
    if (!FDir.isValid()) {
        reason = QStringLiteral("no temporary folder");
    } else if (!WriteFile(FDir.filePath(QStringLiteral("Movedata.cfg")), "[System]\r\n")) {
        reason = QStringLiteral("cannot write Movedata.cfg");
    } else if (FServer.start(extraArgs, &reason)) {
        SetSysConfigFileName(FDir.filePath(QStringLiteral("Movedata.cfg")));
        setServerPort(FServer.port());
        return true;
    }
    if (error)
        *error = reason;
    return false;
}

void LoginFixture::setServerPort(quint16 port)
{
    const QString config = FDir.filePath(QStringLiteral("CONFIG.CFG"));
    WriteFile(config, QStringLiteral("[SERVER]\r\nSOCKETPORT=%1\r\n").arg(port).toLatin1());
    TdmMain::SetServerConfigFileName(config);
}

void LoginFixture::reset(QList<bool> answers)
{
    clear();
    ++FRun;
    FSettings = TktIni::OverFile(FDir.filePath(QStringLiteral("settings-%1.ini").arg(FRun)));
    SetKtIni(FSettings.get());
    FMessages = std::make_unique<ScriptedMessages>(std::move(answers));
    FDm = std::make_unique<TdmMain>();
}

void LoginFixture::clear()
{
    FDm.reset();
    FMessages.reset();
    SetKtIni(nullptr);
    FSettings.reset();
}

QString LoginFixture::setting(const QString& ident) const
{
    return FSettings->ReadString(NodeShiftSettings::Section, ident, QStringLiteral("<missing>"));
}

QString LoginFixture::dbName(int n)
{
    return QStringLiteral("ZT%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString LoginFixture::fullName(int n)
{
    return QStringLiteral("第%1号测试账套").arg(n);
}

bool LoginFixture::setAccountSets(int count, const QStringList& missing, QString* error)
{
    QStringList statements { QStringLiteral("DELETE FROM AccountSets") };
    // Every listed account set opens one of the demo's two databases.
    for (int n = 1; n <= count; ++n) {
        statements.append(QStringLiteral("INSERT INTO AccountSets VALUES (%1, %2, %3)")
                              .arg(Quoted(dbName(n)), Quoted(fullName(n)),
                                  Quoted(n % 2 ? QStringLiteral("ZT001.db") : QStringLiteral("ZT002.db"))));
    }
    for (const QString& name : missing) {
        statements.append(QStringLiteral("INSERT INTO AccountSets VALUES (%1, %2, 'nowhere.db')")
                              .arg(Quoted(name), Quoted(name)));
    }
    return ExecCatalogue(FServer.dataDir(), statements, error);
}
