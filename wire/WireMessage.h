#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// One message of the wire protocol. Which members a type uses:
//   Hello    text = the server class identifier asked for ("{...}"), client → server, first frame
//   Welcome  (none)                                     server → client: the session is open
//   Refused  text = why                                  server → client, then the server closes
//   Call     id, text = operation or provider, args      client → server
//   Result   id, result, args = all arguments after the call
//   Error    id, text = the server's message
//   Rows     id, rows                                    a packet of a provider's rows
//   Table    id, fields, count = rows sent               ends a provider's data set
//   Stream   id, count = bytes that follow in Chunk frames, then a Result or Error ends them
struct WireMessage {
    enum class Type : quint8 { Hello, Welcome, Refused, Call, Result, Error, Rows, Table, Stream };

    Type type = Type::Error;
    qint32 id = 0;
    QString text;
    QVariant result;
    QVariantList args;
    QStringList fields;
    QList<QVariantList> rows;
    qint64 count = 0;

    static QString typeName(Type type);
};
