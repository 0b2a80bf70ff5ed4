#include "server/MoveNodeProcedure.h"

MoveNodeProcedure::MoveNodeProcedure(sqlite3* database)
    : db(database)
{
}

MoveNodeProcedure::~MoveNodeProcedure() = default;

int MoveNodeProcedure::move(const QString&, const QString&, const QString&, const QString&, int, QString*,
    const ClientInfo&, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return Failed;
}
