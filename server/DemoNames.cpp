#include "server/DemoNames.h"

#include <QStringList>

namespace {
const QStringList Surnames = QStringLiteral(
    "王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 林 罗 高 郑 梁 谢 宋 唐 许 韩 冯 邓 曹")
                                 .split(QLatin1Char(' '));
const QStringList GivenNames = QStringLiteral(
    "伟 芳 娜 秀英 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 秀兰 霞 平 刚 桂英 建华 文 华 红 志强 海燕 晓东 "
    "丹 玉兰 建国 春梅 俊杰 子涵 浩然 雨欣 思远 宏伟")
                                   .split(QLatin1Char(' '));
const QStringList Cities = QStringLiteral(
    "杭州 宁波 温州 上海 南京 苏州 无锡 北京 天津 石家庄 成都 重庆 绵阳 武汉 长沙 广州 深圳 厦门 福州 合肥")
                               .split(QLatin1Char(' '));
const QStringList Districts
    = QStringLiteral("西湖 拱墅 江干 滨江 鼓楼 高新 朝阳 海淀 武侯 锦江 江北 天河").split(QLatin1Char(' '));
const QStringList Roads
    = QStringLiteral("文一 解放 人民 中山 建设 新华 和平 环城 学院 滨河 长江 黄河").split(QLatin1Char(' '));
const QStringList TradeNames = QStringLiteral(
    "华信 恒通 永盛 金泰 宏达 鑫源 瑞丰 嘉禾 天成 德隆 聚丰 万通 博远 汇海 兴隆 正泰 安达 润丰")
                                   .split(QLatin1Char(' '));
const QStringList Trades
    = QStringLiteral("商贸 五金机电 食品 电子科技 物流 建材 日用品 贸易").split(QLatin1Char(' '));
const QStringList Brands = QStringLiteral(
    "世达 得力 晨光 公牛 欧普 雷士 蓝月亮 立白 苏泊尔 康师傅 统一 农夫山泉 旺旺 金龙鱼 海天 史丹利 博世 "
    "长城 美的 双汇")
                               .split(QLatin1Char(' '));
const QStringList Specs = QStringLiteral(
    "8mm 10mm 12mm 6寸 8寸 10寸 500ml 1L 2L 5kg 250g 0.5mm A4 70g 16A 10A 2.5平方 100米 9W 12W")
                              .split(QLatin1Char(' '));
const QStringList Units = QStringLiteral("个 把 台 箱 瓶 包 套 支 卷 盒").split(QLatin1Char(' '));
const QStringList Titles
    = QStringLiteral("职员 职员 职员 主管 经理 会计 出纳 业务员 仓管员 司机").split(QLatin1Char(' '));

const QString& pick(const QStringList& list, int serial)
{
    return list.at(serial % list.size());
}

// Spreads neighbouring serials over the lists, so consecutive records do not look alike.
int mix(int serial)
{
    return int((quint32(serial) * 2654435761u) >> 8);
}
}

QString DemoNames::person(int serial)
{
    return pick(Surnames, mix(serial)) + pick(GivenNames, mix(serial) / 7);
}

QString DemoNames::gender(int serial)
{
    return mix(serial) % 2 ? QStringLiteral("男") : QStringLiteral("女");
}

QString DemoNames::company(int serial)
{
    return city(serial) + pick(TradeNames, mix(serial) / 3) + pick(Trades, mix(serial) / 11)
        + QStringLiteral("有限公司");
}

QString DemoNames::city(int serial)
{
    return pick(Cities, mix(serial));
}

QString DemoNames::address(int serial)
{
    return QStringLiteral("%1市%2区%3路%4号")
        .arg(city(serial), pick(Districts, mix(serial) / 5), pick(Roads, mix(serial) / 13))
        .arg(1 + mix(serial) % 300);
}

QString DemoNames::mobile(int serial)
{
    return QStringLiteral("1%1%2")
        .arg(3 + mix(serial) % 7)
        .arg(mix(serial * 31 + 7) % 1000000000, 9, 10, QLatin1Char('0'));
}

QString DemoNames::brand(int serial)
{
    return pick(Brands, mix(serial));
}
QString DemoNames::specs(int serial)
{
    return pick(Specs, mix(serial) / 3);
}
QString DemoNames::unit(int serial)
{
    return pick(Units, mix(serial) / 5);
}

QString DemoNames::barcode(int serial)
{
    return QStringLiteral("692%1").arg(qint64(serial) * 7919 % 10000000000, 10, 10, QLatin1Char('0'));
}

QString DemoNames::taxNumber(int serial)
{
    return QStringLiteral("91330%1MA2").arg(qint64(serial) * 104729 % 10000000000, 10, 10, QLatin1Char('0'));
}

QString DemoNames::jobTitle(int serial)
{
    return pick(Titles, mix(serial) / 3);
}

double DemoNames::price(int serial)
{
    return (50 + mix(serial) % 50000) / 10.0;
}
