#pragma once

#include <QString>

// Places in the goods of the demo account set ZT001 (bksvr --init-demo) that the tests use.
namespace DemoGoods {
inline const QString Table = QStringLiteral("Goods");
inline const QString Root = QStringLiteral("全部商品");
inline const QString RootId = QStringLiteral("00000");
inline const QString Hardware = Root + QStringLiteral("\\五金工具");
inline const QString HandTools = Hardware + QStringLiteral("\\手动工具");
inline const QString HandToolsId = QStringLiteral("0000100001");
inline const QString Wrenches = HandTools + QStringLiteral("\\扳手");
inline const QString WrenchesId = QStringLiteral("000010000100001");
inline const QString OpenEnd = Wrenches + QStringLiteral("\\开口扳手"); // 146 records, level 4
inline const QString OpenEndId = QStringLiteral("00001000010000100001");
inline const QString RingWrenches = Wrenches + QStringLiteral("\\梅花扳手");
inline const QString RingWrenchesId = QStringLiteral("00001000010000100002");
inline const QString Adjustable = Wrenches + QStringLiteral("\\活动扳手");
inline const QString AdjustableId = QStringLiteral("00001000010000100003");
inline const QString Screwdrivers = HandTools + QStringLiteral("\\螺丝刀"); // level 3, records only
inline const QString ScrewdriversId = QStringLiteral("000010000100002");
inline const QString Pliers = HandTools + QStringLiteral("\\钳子");
inline const QString PliersId = QStringLiteral("000010000100003");
inline const QString PowerTools = Hardware + QStringLiteral("\\电动工具");
inline const QString PowerToolsId = QStringLiteral("0000100002");
inline const QString Drills = PowerTools + QStringLiteral("\\电钻");
inline const QString DrillsId = QStringLiteral("000010000200001");
inline const QString HeadStore = Root + QStringLiteral("\\加盟店总店商品"); // protected
inline const QString HeadStoreId = QStringLiteral("99999");
inline const QString HeadStoreBrand = HeadStore + QStringLiteral("\\总店自有品牌"); // protected, records only
inline const QString HeadStoreBrandId = QStringLiteral("9999900002");
} // namespace DemoGoods
