#include "server/AccountSetDb.h"

#include "server/BackupWriter.h"
#include "server/MoveNodeProcedure.h"
#include "server/SqliteConnection.h"

#include <QFileInfo>

namespace {
const ProcParam* findParam(const ProcParams& params, const QString& name)
{
    for (const ProcParam& p : params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

void setParam(ProcParams& params, const QString& name, const QVariant& value)
{
    for (ProcParam& p : params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            p.value = value;
            return;
        }
    params.append(ProcParam { name, value });
}

QString missingParam(const QString& procedure, const QString& param)
{
    return QStringLiteral("过程或函数 '%1' 需要参数 '%2'，但未提供该参数。").arg(procedure, param);
}

bool isInteger(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}
}

std::unique_ptr<AccountSetDb> AccountSetDb::open(
    const QString& dbName, const QString& filePath, const QString& backupDir, QString* error)
{
    std::unique_ptr<AccountSetDb> db(new AccountSetDb);
    db->name = dbName;
    db->file = filePath;
    db->backupFolder = backupDir;
    db->writer = SqliteConnection::open(filePath, SqliteConnection::Existing, error);
    if (!db->writer || !db->writer->makeDurable(error))
        return nullptr;
    if (!db->writer->hasTable(QStringLiteral("BaseInfoTables"))
        || !db->writer->hasTable(QStringLiteral("MoveJournal"))) {
        *error = QStringLiteral("“%1”不是账套数据库").arg(dbName);
        return nullptr;
    }
    db->reader = SqliteConnection::open(filePath, SqliteConnection::Existing, error);
    if (!db->reader || !db->reader->exec(QStringLiteral("PRAGMA query_only=1"), error))
        return nullptr;
    ReadOnlyQuery::guardConnection(db->reader->handle(), &db->queryBudget);
    db->mover = std::make_unique<MoveNodeProcedure>(db->writer->handle());
    return db;
}

AccountSetDb::~AccountSetDb() = default;

std::unique_ptr<ReadOnlyQuery> AccountSetDb::query(const QString& sql, QString* error)
{
    return ReadOnlyQuery::prepare(reader->handle(), &queryBudget, sql, error);
}

bool AccountSetDb::execProcedure(
    const QString& procName, ProcParams& params, const ClientInfo& client, int* result, QString* error)
{
    const qsizetype semicolon = procName.indexOf(QLatin1Char(';'));
    const QString base = procName.left(semicolon).trimmed();
    const bool numberOne = semicolon < 0 || procName.mid(semicolon + 1).trimmed() == QLatin1String("1");
    if (numberOne && base.compare(QLatin1String(MoveNodeProcedure::Name), Qt::CaseInsensitive) == 0)
        return runMoveNode(params, client, result, error);
    *error = QStringLiteral("找不到存储过程 '%1'。").arg(procName);
    return false;
}

bool AccountSetDb::runMoveNode(ProcParams& params, const ClientInfo& client, int* result, QString* error)
{
    const QString procedure = QLatin1String(MoveNodeProcedure::Name);
    QStringList texts;
    for (const char* name : { "@szDBName", "@szOldId", "@szOldParId", "@szNewParid" }) {
        const ProcParam* p = findParam(params, QLatin1String(name));
        if (!p || p->value.isNull()) {
            *error = missingParam(procedure, QLatin1String(name));
            return false;
        }
        texts.append(p->value.toString());
    }
    const QString levelName = QStringLiteral("@NewLeveal");
    const ProcParam* level = findParam(params, levelName);
    if (!level || level->value.isNull()) {
        *error = missingParam(procedure, levelName);
        return false;
    }
    bool isNumber = isInteger(level->value);
    const qlonglong newLevel
        = isNumber ? level->value.toLongLong() : level->value.toString().toLongLong(&isNumber);
    if (!isNumber || newLevel < 0 || newLevel > 1000000) {
        *error = QStringLiteral("参数 '%1' 的值“%2”不是有效的级数").arg(levelName, level->value.toString());
        return false;
    }
    QString newId;
    const int code = moveNode(texts[0], texts[1], texts[2], texts[3], int(newLevel), &newId, client, error);
    if (code == MoveNodeProcedure::Failed)
        return false;
    setParam(params, QStringLiteral("@szNewID"), newId);
    *result = code;
    return true;
}

int AccountSetDb::moveNode(const QString& table, const QString& oldId, const QString& oldParId,
    const QString& newParId, int newLevel, QString* newId, const ClientInfo& client, QString* error)
{
    return mover->move(table, oldId, oldParId, newParId, newLevel, newId, client, error);
}

int AccountSetDb::backup(const QString& backupName, QString* error)
{
    return BackupWriter::write(writer->handle(), backupFolder, backupName, QFileInfo(file).fileName(), error);
}
