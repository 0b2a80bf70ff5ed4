#pragma once

#include <QString>
#include <memory>

class TCfgFileReader;

// Read-only view of Movedata.cfg. Every accessor reads the file as it is now (the reader only
// re-parses it when it changed). Failures raise Exception with the operator's text.
class TSysConfig {
public:
    // Movedata.cfg beside the executable.
    TSysConfig();
    // Any file, e.g. in tests.
    explicit TSysConfig(const QString& fileName);
    ~TSysConfig();
    TSysConfig(const TSysConfig&) = delete;
    TSysConfig& operator=(const TSysConfig&) = delete;

    const QString& FileName() const { return FFileName; }

    // Existence check and non-empty check of every value of the working section.
    void CheckConfigFile() const;
    QString GetConfigSection() const;
    QString ReadValue(const QString& key, const QString& def = QString(), bool allowEmpty = false) const;
    void CheckNotEmpty(const QString& section, const QString& key, const QString& value) const;

    QString GetApplicationTitle() const;
    QString GetBaseInfoMenuItems() const;
    QString GetBaseInfoTableNames() const;
    QString GetBaseInfoMaxLevels() const;
    QString GetBaseInfoTableName(int index) const;
    int GetBaseInfoMaxLevel(int index) const;
    QString GetGridColumnHeaders(const QString& tableName) const;
    QString GetGridColumnFieldNames(const QString& tableName) const;
    QString GetSelectRootNodeSQL() const;
    QString GetCommonFieldNames(const QString& tableName) const;
    QString GetCommonFieldName(const QString& tableName, int index) const;
    QString GetSelectNodesByIDSQL(const QString& tableName) const;
    QString GetSelectNodesByParentIDSQL() const;
    QString GetBaseInfoMoveNodeProcedure() const;
    QString GetBaseInfoMoveNodeErrorMessage(int number) const;
    bool GetSupportNotLeafNode() const;

private:
    // Reads of the content as last refreshed: one look at the file per accessor call.
    QString SectionInForce() const;
    QString ValueOf(const QString& key, const QString& def, bool allowEmpty) const;

    QString FFileName;
    std::unique_ptr<TCfgFileReader> FReader;
};

// The process's instance, created on the first call (Movedata.cfg beside the executable).
TSysConfig* SysConfig();
// Replaces the process's instance by one reading the given file (tests, tools).
void SetSysConfigFileName(const QString& fileName);
