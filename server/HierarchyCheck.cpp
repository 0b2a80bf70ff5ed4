#include "server/HierarchyCheck.h"

int HierarchyCheck::checkAll(const QString&, QTextStream& out)
{
    out << "not implemented yet\n";
    return 1;
}
