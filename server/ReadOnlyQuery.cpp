#include "server/ReadOnlyQuery.h"

#include <sqlite3.h>

ReadOnlyQuery::ReadOnlyQuery(sqlite3_stmt* statement)
    : stmt(statement)
{
}

ReadOnlyQuery::~ReadOnlyQuery()
{
    sqlite3_finalize(stmt);
}

bool ReadOnlyQuery::next(QVariantList&, QString*)
{
    return false;
}
