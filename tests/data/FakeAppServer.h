#pragma once

#include "wire/WireMessage.h"

#include <QByteArray>
#include <QList>
#include <QUuid>
#include <atomic>
#include <functional>
#include <future>
#include <thread>

// A scripted application server on 127.0.0.1 (free port), for answers bksvr never gives:
// odd return codes, a download cut off half way. It runs in a thread of its own because
// the client blocks the test's thread while it waits. It welcomes the default class
// identifier; each call goes to the script, whose frames are sent back in one write.
class FakeAppServer {
public:
    struct Answer {
        QList<QByteArray> frames;
        bool closeAfter = false; // drop the connection once the frames are out
    };
    using Script = std::function<Answer(const WireMessage& call)>;

    explicit FakeAppServer(Script script);
    ~FakeAppServer();

    quint16 port() const { return FPort; }

    // Frames for the script.
    static QByteArray Result(const WireMessage& call, const QVariant& result, const QVariantList& args);
    static QByteArray Error(const WireMessage& call, const QString& message);
    static QByteArray Stream(const WireMessage& call, qint64 size);
    static QByteArray Chunk(const QByteArray& bytes);

private:
    void Run(std::promise<quint16>* listening);

    Script FScript;
    std::atomic<bool> FStop { false };
    quint16 FPort = 0;
    std::thread FThread;
};
