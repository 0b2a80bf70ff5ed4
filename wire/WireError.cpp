#include "wire/WireError.h"

WireError::WireError(Cause cause, const QString& message)
    : Exception(message)
    , FCause(cause)
{
}
