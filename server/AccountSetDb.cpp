#include "server/AccountSetDb.h"

#include "server/MoveNodeProcedure.h"

std::unique_ptr<AccountSetDb> AccountSetDb::open(
    const QString&, const QString&, const QString&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return nullptr;
}

AccountSetDb::~AccountSetDb() = default;

std::unique_ptr<ReadOnlyQuery> AccountSetDb::query(const QString&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return nullptr;
}

bool AccountSetDb::execProcedure(const QString&, ProcParams&, const ClientInfo&, int*, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return false;
}

int AccountSetDb::moveNode(const QString&, const QString&, const QString&, const QString&, int, QString*,
    const ClientInfo&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return MoveNodeProcedure::Failed;
}

int AccountSetDb::backup(const QString&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return 1;
}
