#include "common/Exception.h"

Exception::Exception(const QString& message) : FMessage(message), FUtf8(message.toUtf8()) {}

EAbort::EAbort() : Exception(QStringLiteral("Operation aborted")) {}

void Abort()
{
    throw EAbort();
}
