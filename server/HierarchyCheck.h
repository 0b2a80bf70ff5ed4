#pragma once

#include <QString>
#include <QTextStream>

// bksvr --check DIR: SQLite's integrity check of every account set plus the hierarchy invariants of
// each base-information table. Prints every problem (and a summary line per account set).
class HierarchyCheck {
public:
    // 0 when everything passes, 1 otherwise.
    static int checkAll(const QString& dataDir, QTextStream& out);
};
