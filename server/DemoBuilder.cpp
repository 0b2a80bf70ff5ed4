#include "server/DemoBuilder.h"

bool DemoBuilder::initDemo(const QString&, int, QString* error)
{
    *error = QStringLiteral("not implemented yet");
    return false;
}
