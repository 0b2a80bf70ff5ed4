#include "DemoFolder.h"

#include "server/DemoBuilder.h"
#include "server/SqliteStatement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace {
QString demoTemplate()
{
    static QTemporaryDir built;
    static bool made = false;
    const QString path = built.filePath(QStringLiteral("demo"));
    if (!made) {
        QString error;
        made = DemoBuilder::initDemo(path, DemoFolder::Goods, &error);
        if (!made)
            qWarning("demo not built: %s", qPrintable(error));
    }
    return made ? path : QString();
}
}

DemoFolder::DemoFolder()
{
    const QString source = demoTemplate();
    if (source.isEmpty())
        return;
    const QString target = root.filePath(QStringLiteral("data"));
    QDir().mkpath(target + QStringLiteral("/backup"));
    QDirIterator it(source, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!QFile::copy(file, target + QLatin1Char('/') + it.fileName()))
            return;
    }
    QString error;
    storePtr = AccountSetStore::open(target, &error);
    if (storePtr)
        dir = target;
}

QString DemoFolder::accountSetFile(const QString& dbName) const
{
    return dir + QLatin1Char('/') + dbName + QStringLiteral(".db");
}

std::unique_ptr<AccountSetDb> DemoFolder::open(const QString& dbName)
{
    QString error;
    auto db = storePtr->openAccountSet(dbName, &error);
    if (!db)
        qWarning("cannot open %s: %s", qPrintable(dbName), qPrintable(error));
    return db;
}

std::unique_ptr<SqliteConnection> DemoFolder::raw(const QString& dbName)
{
    QString error;
    return SqliteConnection::open(accountSetFile(dbName), SqliteConnection::Existing, &error);
}

DemoFolder::Node DemoFolder::node(const QString& id, const QString& table)
{
    auto db = raw();
    SqliteStatement q(
        db->handle(), QStringLiteral("SELECT ParId, Level, HasChild FROM %1 WHERE TypeId = ?1").arg(table));
    if (!q.bind(1, id).step())
        return {};
    return Node { q.text(0), int(q.integer(1)), int(q.integer(2)) };
}

QByteArray DemoFolder::digest(const QString& dbName)
{
    auto db = raw(dbName);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    SqliteStatement tables(
        db->handle(), QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    while (tables.step()) {
        SqliteStatement rows(
            db->handle(), QStringLiteral("SELECT * FROM \"%1\" ORDER BY 1, 2").arg(tables.text(0)));
        hash.addData(tables.text(0).toUtf8());
        while (rows.step())
            for (int i = 0; i < rows.columnCount(); ++i)
                hash.addData(rows.value(i).toString().toUtf8() + (rows.isNull(i) ? "\1" : "\0"));
    }
    return hash.result();
}

int DemoFolder::count(const QString& sql, const QString& dbName)
{
    auto db = raw(dbName);
    SqliteStatement q(db->handle(), sql);
    return q.step() ? int(q.integer(0)) : -1;
}
