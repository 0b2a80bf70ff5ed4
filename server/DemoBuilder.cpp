#include "server/DemoBuilder.h"

#include "server/DemoNames.h"
#include "server/DemoTable.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr int MaxGoods = 1000000;

const QString GoodsOutline = QStringLiteral(R"(
五金工具
 手动工具
  扳手
   开口扳手
   梅花扳手
   活动扳手
  螺丝刀
  钳子
 电动工具
  电钻
  角磨机
 测量工具
  卷尺
  水平仪
电工电气
 开关插座
  墙壁开关
  插座
 电线电缆
  护套线
  网线
 照明灯具
  LED灯泡
  吸顶灯
日用百货
 清洁用品
  洗衣液
  洗洁精
 厨房用品
  锅具
   炒锅
   汤锅
  刀具
食品饮料
 饮料
  碳酸饮料
  果汁
  瓶装水
 休闲食品
  饼干
  糖果
 粮油调味
  食用油
  酱油醋
办公用品
 纸张本册
  复印纸
  笔记本
 书写工具
  中性笔
  白板笔
!加盟店总店商品
 总店统配商品
  统配食品
  统配日化
 总店自有品牌
)");

const QString PartnersOutline = QStringLiteral(R"(
客户
 华东地区
  上海
  江苏
   南京
   苏州
  浙江
   杭州
   宁波
 华北地区
  北京
  天津
 西南地区
  四川
  重庆
供应商
 生产厂家
  五金厂家
  食品厂家
 批发商
  一级批发商
  二级批发商
)");

const QString StaffOutline = QStringLiteral(R"(
总经理办公室
财务部
 会计组
 出纳组
销售部
 华东销售区
  上海办事处
  杭州办事处
   城区业务组
   郊县业务组
 华北销售区
  北京办事处
采购部
 国内采购组
仓储物流部
 仓库管理组
 配送车队
  市内配送
  长途运输
)");

const QString WarehousesOutline = QStringLiteral(R"(
华东区仓库
 杭州仓储中心
  成品仓
  原料仓
 上海仓储中心
华北区仓库
 北京仓储中心
西南区仓库
 成都仓储中心
  冷链仓
)");

QList<DemoTable> categories()
{
    return {
        DemoTable { { QStringLiteral("Goods"), QStringLiteral("商品"), 6 }, QStringLiteral("全部商品"),
            GoodsOutline, QStringLiteral("SP"),
            { QStringLiteral("Specs TEXT"), QStringLiteral("Model TEXT"), QStringLiteral("Unit TEXT"),
                QStringLiteral("Price REAL"), QStringLiteral("Barcode TEXT") },
            [](int serial, const QString& className) {
                return DemoNames::brand(serial) + className + QLatin1Char(' ') + DemoNames::specs(serial);
            },
            [](int serial) {
                return QVariantList { DemoNames::specs(serial),
                    QStringLiteral("M-%1").arg(serial % 9000 + 1000), DemoNames::unit(serial),
                    DemoNames::price(serial), DemoNames::barcode(serial) };
            } },
        DemoTable { { QStringLiteral("Partners"), QStringLiteral("往来单位"), 5 },
            QStringLiteral("全部往来单位"), PartnersOutline, QStringLiteral("WL"),
            { QStringLiteral("Contact TEXT"), QStringLiteral("Phone TEXT"), QStringLiteral("Address TEXT"),
                QStringLiteral("TaxNo TEXT") },
            [](int serial, const QString&) { return DemoNames::company(serial); },
            [](int serial) {
                return QVariantList { DemoNames::person(serial + 500), DemoNames::mobile(serial),
                    DemoNames::address(serial), DemoNames::taxNumber(serial) };
            } },
        DemoTable { { QStringLiteral("Employees"), QStringLiteral("职员"), 5 }, QStringLiteral("全体职员"),
            StaffOutline, QStringLiteral("ZY"),
            { QStringLiteral("Gender TEXT"), QStringLiteral("Title TEXT"), QStringLiteral("Phone TEXT"),
                QStringLiteral("HireDate TEXT") },
            [](int serial, const QString&) { return DemoNames::person(serial); },
            [](int serial) {
                const QDate hired = QDate(2008, 3, 1).addDays(serial * 37 % 5800);
                return QVariantList { DemoNames::gender(serial), DemoNames::jobTitle(serial),
                    DemoNames::mobile(serial + 9000), hired.toString(Qt::ISODate) };
            } },
        DemoTable { { QStringLiteral("Warehouses"), QStringLiteral("仓库"), 4 }, QStringLiteral("全部仓库"),
            WarehousesOutline, QStringLiteral("CK"),
            { QStringLiteral("Keeper TEXT"), QStringLiteral("Phone TEXT"), QStringLiteral("Address TEXT") },
            [](int serial, const QString& className) {
                return className + QStringLiteral("%1号库").arg(serial);
            },
            [](int serial) {
                return QVariantList { DemoNames::person(serial + 3000), DemoNames::mobile(serial + 20000),
                    DemoNames::address(serial + 77) };
            } },
    };
}

struct AccountSet {
    QString dbName;
    QString fullName;
    int partners, staff, warehouses;
};

bool buildAccountSet(const QString& path, const AccountSet& set, int goods, QString* error)
{
    auto db = SqliteConnection::open(path, SqliteConnection::Create, error);
    if (!db || !db->exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"), error)
        || !BaseInfoSchema::createCatalogueTables(*db, error))
        return false;
    const QList<int> counts { goods, set.partners, set.staff, set.warehouses };
    const QList<DemoTable> tables = categories();
    for (int i = 0; i < tables.size(); ++i)
        if (!tables[i].build(*db, counts[i], error))
            return false;
    return db->exec(QStringLiteral("COMMIT; PRAGMA journal_mode=DELETE"), error) && db->makeDurable(error);
}
}

bool DemoBuilder::initDemo(const QString& dir, int goods, QString* error)
{
    if (goods < 0 || goods > MaxGoods) {
        *error = QStringLiteral("商品数量必须在 0 到 %1 之间").arg(MaxGoods);
        return false;
    }
    const QDir folder(dir);
    if (QFileInfo::exists(folder.filePath(QStringLiteral("master.db")))) {
        *error = QStringLiteral("“%1”中已有账套目录，不覆盖").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    if (!QDir().mkpath(folder.filePath(QStringLiteral("backup")))) {
        *error = QStringLiteral("无法创建目录“%1”").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    const QList<AccountSet> sets {
        { QStringLiteral("ZT001"), QStringLiteral("杭州明辉五金机电有限公司"), 400, 150, 40 },
        { QStringLiteral("ZT002"), QStringLiteral("成都蜀味源食品贸易有限公司"), 260, 90, 30 },
    };
    const QString master = folder.filePath(QStringLiteral("master.db"));
    const QString masterPart = master + QStringLiteral(".part");
    QFile::remove(masterPart);
    auto catalogue = SqliteConnection::open(masterPart, SqliteConnection::Create, error);
    if (!catalogue
        || !catalogue->exec(QStringLiteral("CREATE TABLE AccountSets (DbName TEXT PRIMARY KEY COLLATE NOCASE,"
                                           " FullName TEXT NOT NULL, FileName TEXT NOT NULL)"),
            error))
        return false;
    for (const AccountSet& set : sets) {
        const QString file = set.dbName + QStringLiteral(".db");
        const QString path = folder.filePath(file);
        QFile::remove(path);
        if (!buildAccountSet(path, set, goods, error))
            return false;
        SqliteStatement add(
            catalogue->handle(), QStringLiteral("INSERT INTO AccountSets VALUES (?1, ?2, ?3)"));
        if (!add.bind(1, set.dbName).bind(2, set.fullName).bind(3, file).exec()) {
            *error = add.errorText();
            return false;
        }
    }
    catalogue.reset();
    // The catalogue appears last, so a folder with master.db is always a complete demo.
    if (!QFile::rename(masterPart, master)) {
        *error = QStringLiteral("无法创建“%1”").arg(QDir::toNativeSeparators(master));
        return false;
    }
    return true;
}
