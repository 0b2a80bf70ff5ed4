#pragma once

#include <QString>

// One row of the catalogue (master.db): an account set and the file that holds it.
struct AccountSetEntry {
    QString dbName; // "DBNAME" of pv_sp_Open, the name ChangeDb takes
    QString fullName; // "FULLNAME"
    QString file; // plain file name inside the data folder, never a path
};
