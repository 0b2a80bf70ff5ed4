#pragma once

#include <QByteArray>

// A call {"type":"call","id":1,"op":"X","args":<args>} with the CBOR of args given raw, so that
// tests can put into it what no writer of ours would.
inline QByteArray callWithRawArgs(const QByteArray& rawArgs)
{
    return QByteArray::fromHex("a4"
                               "6474797065"
                               "6463616c6c"
                               "626964"
                               "01"
                               "626f70"
                               "6158"
                               "6461726773")
        + rawArgs;
}

// The same call with args [<value>].
inline QByteArray callWithRawArg(const QByteArray& rawValue)
{
    return callWithRawArgs(QByteArray::fromHex("81") + rawValue);
}
