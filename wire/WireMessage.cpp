#include "wire/WireMessage.h"

QString WireMessage::typeName(Type type)
{
    switch (type) {
    case Type::Hello:
        return QStringLiteral("hello");
    case Type::Welcome:
        return QStringLiteral("welcome");
    case Type::Refused:
        return QStringLiteral("refused");
    case Type::Call:
        return QStringLiteral("call");
    case Type::Result:
        return QStringLiteral("result");
    case Type::Error:
        return QStringLiteral("error");
    case Type::Rows:
        return QStringLiteral("rows");
    case Type::Table:
        return QStringLiteral("table");
    case Type::Stream:
        return QStringLiteral("stream");
    }
    return {};
}
