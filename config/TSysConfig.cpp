#include "config/TSysConfig.h"

#include "common/Exception.h"
#include "common/Helpers.h"
#include "config/CommaList.h"
#include "config/TCfgFileReader.h"

namespace {

const QString SystemSection = QStringLiteral("System");
const QString ConfigSectionKey = QStringLiteral("ConfigSection");

std::unique_ptr<TSysConfig>& instance()
{
    static std::unique_ptr<TSysConfig> config;
    return config;
}

[[noreturn]] void raiseIndex(const char16_t* format, int index)
{
    throw Exception(QString::fromUtf16(format).arg(qint64(index) + 1));
}

} // namespace

TSysConfig::TSysConfig()
    : TSysConfig(GetExeFolder() + QStringLiteral("Movedata.cfg"))
{
}

TSysConfig::TSysConfig(const QString& fileName)
    : FFileName(fileName)
    , FReader(std::make_unique<TCfgFileReader>(fileName))
{
}

TSysConfig::~TSysConfig() = default;

void TSysConfig::CheckConfigFile() const
{
    if (!FReader->FileExists())
        throw Exception(QStringLiteral("配置文件“%1”不存在").arg(FFileName));
    const QString section = GetConfigSection();
    for (const TCfgFileReader::Entry& entry : FReader->SectionValues(section))
        CheckNotEmpty(section, entry.key, FReader->Value(section, entry.key, QString()));
}

QString TSysConfig::GetConfigSection() const
{
    FReader->Refresh();
    return SectionInForce();
}

QString TSysConfig::ReadValue(const QString& key, const QString& def, bool allowEmpty) const
{
    FReader->Refresh();
    return ValueOf(key, def, allowEmpty);
}

QString TSysConfig::SectionInForce() const
{
    const QString section = Trim(FReader->Value(SystemSection, ConfigSectionKey, SystemSection));
    CheckNotEmpty(SystemSection, ConfigSectionKey, section);
    return section;
}

QString TSysConfig::ValueOf(const QString& key, const QString& def, bool allowEmpty) const
{
    const QString section = SectionInForce();
    const QString value = Trim(FReader->Value(section, key, def));
    if (!allowEmpty)
        CheckNotEmpty(section, key, value);
    return value;
}

void TSysConfig::CheckNotEmpty(const QString& section, const QString& key, const QString& value) const
{
    if (Trim(value).isEmpty())
        throw Exception(QStringLiteral("配置文件“%1”[%2]中“%3”的值不能为空").arg(FFileName, section, key));
}

QString TSysConfig::GetApplicationTitle() const
{
    return ReadValue(QStringLiteral("ApplicationTitle"), QStringLiteral("Ledgerine基本信息搬移工具"));
}

QString TSysConfig::GetBaseInfoMenuItems() const
{
    return ReadValue(QStringLiteral("BaseInfoMenuItems"));
}

QString TSysConfig::GetBaseInfoTableNames() const
{
    return ReadValue(QStringLiteral("BaseInfoTableNames"));
}

QString TSysConfig::GetBaseInfoMaxLevels() const
{
    return ReadValue(QStringLiteral("BaseInfoMaxLevels"), QString(), true);
}

QString TSysConfig::GetBaseInfoTableName(int index) const
{
    const QStringList names = SplitCommaList(GetBaseInfoTableNames());
    if (index < 0 || index >= names.size())
        raiseIndex(u"配置中找不到第 %1 个基本信息菜单项对应表名", index);
    return Trim(names[index]);
}

int TSysConfig::GetBaseInfoMaxLevel(int index) const
{
    const QString levels = GetBaseInfoMaxLevels();
    if (levels.isEmpty())
        return 10;
    const QStringList items = SplitCommaList(levels);
    if (index < 0 || index >= items.size())
        raiseIndex(u"配置中找不到第 %1 个基本信息菜单项对应最多级", index);
    return StrToInt(Trim(items[index]));
}

QString TSysConfig::GetGridColumnHeaders(const QString& tableName) const
{
    return ReadValue(QStringLiteral("GridColumnHeaders_") + tableName);
}

QString TSysConfig::GetGridColumnFieldNames(const QString& tableName) const
{
    return ReadValue(QStringLiteral("GridColumnFieldNames_") + tableName);
}

QString TSysConfig::GetSelectRootNodeSQL() const
{
    return ReadValue(QStringLiteral("SelectRootNodeSQL"));
}

QString TSysConfig::GetCommonFieldNames(const QString& tableName) const
{
    FReader->Refresh();
    const QString names = ValueOf(QStringLiteral("CommonFieldNames_") + tableName, QString(), true);
    return names.isEmpty() ? ValueOf(QStringLiteral("CommonFieldNames"), QString(), false) : names;
}

QString TSysConfig::GetCommonFieldName(const QString& tableName, int index) const
{
    const QStringList names = SplitCommaList(GetCommonFieldNames(tableName));
    if (index < 0 || index >= names.size())
        raiseIndex(u"配置中找不到第 %1 个基本信息公共字段名", index);
    return Trim(names[index]);
}

QString TSysConfig::GetSelectNodesByIDSQL(const QString& tableName) const
{
    FReader->Refresh();
    const QString sql = ValueOf(QStringLiteral("SelectNodesByIDSQL_") + tableName, QString(), true);
    return sql.isEmpty() ? ValueOf(QStringLiteral("SelectNodesByIDSQL"), QString(), false) : sql;
}

QString TSysConfig::GetSelectNodesByParentIDSQL() const
{
    return ReadValue(QStringLiteral("SelectNodesByParentIDSQL"));
}

QString TSysConfig::GetBaseInfoMoveNodeProcedure() const
{
    return ReadValue(QStringLiteral("BaseInfoMoveNodeProcedure"));
}

QString TSysConfig::GetBaseInfoMoveNodeErrorMessage(int number) const
{
    const QString key
        = QStringLiteral("BaseInfoMoveNodeErrorMessage_") + QString::number(qAbs(qint64(number)));
    return ReadValue(key, QStringLiteral("详情未知")) + QStringLiteral("\r（错误号 ")
        + QString::number(number) + QStringLiteral("）");
}

bool TSysConfig::GetSupportNotLeafNode() const
{
    return TextToBool(
        ReadValue(QStringLiteral("BaseInfoMoveNodeProcedureSupportNotLeafNode"), QStringLiteral("N")));
}

TSysConfig* SysConfig()
{
    if (!instance())
        instance() = std::make_unique<TSysConfig>();
    return instance().get();
}

void SetSysConfigFileName(const QString& fileName)
{
    instance() = std::make_unique<TSysConfig>(fileName);
}
