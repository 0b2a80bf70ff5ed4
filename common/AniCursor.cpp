#include "common/AniCursor.h"

std::optional<AniCursor> AniCursor::Parse(const QByteArray&, QString* error)
{
    if (error)
        *error = QStringLiteral("not yet");
    return std::nullopt;
}
