#pragma once

#include <QString>
#include <QTextStream>

class SqliteConnection;

// bksvr --check DIR: SQLite's integrity check of every account set plus the hierarchy invariants of
// each base-information table: every parent exists, levels follow parents (roots at 0), every
// has-children flag is right, no cycles. Prints every problem and one verdict line per account set.
class HierarchyCheck {
public:
    // 0 when everything passes, 1 otherwise.
    static int checkAll(const QString& dataDir, QTextStream& out);
    // Problems of one account-set database, each as one line of text.
    static QStringList checkDatabase(SqliteConnection& db);
};
