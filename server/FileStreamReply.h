#pragma once

#include "server/ReplySource.h"

#include <QFile>
#include <QVariantList>
#include <functional>

// A file sent as "stream" (its size), raw chunks read one at a time, then the call's "result";
// a read failure half way ends it with "error".
class FileStreamReply : public ReplySource {
public:
    static constexpr qint64 ChunkSize = 256 * 1024;

    // file is open for reading; resultArgs are the call's arguments after it.
    FileStreamReply(qint32 id, std::unique_ptr<QFile> file, QVariantList resultArgs,
        std::function<void(const QString&)> onError);

    bool nextFrame(QByteArray* frame) override;

private:
    enum class State { Header, Chunks, Result, Done };

    bool fail(const QString& error, QByteArray* frame);

    qint32 id;
    std::unique_ptr<QFile> file;
    QVariantList resultArgs;
    std::function<void(const QString&)> onError;
    qint64 size = 0;
    qint64 sent = 0;
    State state = State::Header;
};
