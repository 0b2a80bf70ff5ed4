#pragma once

#include "server/BaseInfoSchema.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class SqliteConnection;

// One demo base-information table: a root, the classes of an indented outline (one class per
// line, one blank of indent per level; "!" before a name gives the protected id "99999"), and
// records spread over every level, most of them in the deepest classes.
class DemoTable {
public:
    // Values of the extra columns after UserCode and FullName, for record number serial.
    using RecordValues = std::function<QVariantList(int serial)>;
    // The name of record serial in class className.
    using RecordName = std::function<QString(int serial, const QString& className)>;

    BaseInfoSchema::Table table;
    QString rootName;
    QString outline;
    QString codePrefix; // of the records' user codes, e.g. "SP"
    QStringList extraColumns; // definitions after UserCode and FullName
    RecordName recordName;
    RecordValues recordValues;

    bool build(SqliteConnection& db, int records, QString* error) const;
};
