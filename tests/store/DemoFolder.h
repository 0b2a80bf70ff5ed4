#pragma once

#include "server/AccountSetDb.h"
#include "server/AccountSetStore.h"
#include "server/SqliteConnection.h"

#include <QTemporaryDir>
#include <memory>

// A private copy of a small demo data folder (built once per test process), with the ids of the
// demo goods that the tests move around.
class DemoFolder {
public:
    static constexpr int Goods = 300;

    // Well-known demo goods (Goods table of ZT001): the root, 五金工具 (level 1), 手动工具
    // (level 2), its sub-class 扳手 (level 3) with 开口扳手 and 梅花扳手 (level 4) below, a record
    // of 手动工具 (level 3) and its sibling record, 电动工具 (level 2), 电工电气 (level 1), 炒锅 (level 4).
    static inline const QString Root = QStringLiteral("00000");
    static inline const QString Tools = QStringLiteral("00001");
    static inline const QString HandTools = QStringLiteral("0000100001");
    static inline const QString Wrenches = QStringLiteral("000010000100001");
    static inline const QString OpenWrenches = QStringLiteral("00001000010000100001");
    static inline const QString RingWrenches = QStringLiteral("00001000010000100002");
    static inline const QString Record = QStringLiteral("000010000100004");
    static inline const QString SiblingRecord = QStringLiteral("000010000100005");
    static inline const QString PowerTools = QStringLiteral("0000100002");
    static inline const QString Electrical = QStringLiteral("00002");
    static inline const QString Woks = QStringLiteral("00003000020000100001"); // 炒锅, level 4

    DemoFolder();
    bool isValid() const { return !dir.isEmpty(); }
    QString dataDir() const { return dir; }
    QString accountSetFile(const QString& dbName = QStringLiteral("ZT001")) const;

    AccountSetStore& store() { return *storePtr; }
    std::unique_ptr<AccountSetDb> open(const QString& dbName = QStringLiteral("ZT001"));
    // A plain connection to an account set, for planting data and looking at it.
    std::unique_ptr<SqliteConnection> raw(const QString& dbName = QStringLiteral("ZT001"));

    struct Node {
        QString parId;
        int level = -1;
        int hasChild = -1;
        bool exists() const { return level >= 0; }
    };
    Node node(const QString& id, const QString& table = QStringLiteral("Goods"));
    // A digest of every row of every table: equal digests mean nothing changed.
    QByteArray digest(const QString& dbName = QStringLiteral("ZT001"));
    int count(const QString& sql, const QString& dbName = QStringLiteral("ZT001"));

private:
    QTemporaryDir root;
    QString dir;
    std::unique_ptr<AccountSetStore> storePtr;
};
