#pragma once

#include "common/Exception.h"

// A failed call: either the server answered with an error (its message as it stands), or the
// connection failed (closed, timed out, garbled reply), after which the client is disconnected.
class WireError : public Exception {
public:
    enum class Cause { Server, Connection };

    WireError(Cause cause, const QString& message);
    Cause cause() const noexcept { return FCause; }

private:
    Cause FCause;
};
