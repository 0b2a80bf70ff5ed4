#include "server/FileStreamReply.h"

#include "wire/WireCodec.h"

FileStreamReply::FileStreamReply(qint32 id, std::unique_ptr<QFile> file, QVariantList resultArgs,
    std::function<void(const QString&)> onError)
    : id(id)
    , file(std::move(file))
    , resultArgs(std::move(resultArgs))
    , onError(std::move(onError))
{
    size = this->file->size();
}

bool FileStreamReply::nextFrame(QByteArray* frame)
{
    QString error;
    switch (state) {
    case State::Header: {
        WireMessage stream;
        stream.type = WireMessage::Type::Stream;
        stream.id = id;
        stream.count = size;
        WireCodec::encodeMessage(stream, frame, &error);
        state = size > 0 ? State::Chunks : State::Result;
        return true;
    }
    case State::Chunks: {
        const qint64 want = std::min(ChunkSize, size - sent);
        frame->clear();
        frame->reserve(WireCodec::HeaderSize + 1 + want);
        WireCodec::beginFrame(*frame, WireCodec::FrameKind::Chunk);
        const qsizetype start = frame->size();
        frame->resize(start + want);
        if (file->read(frame->data() + start, want) != want)
            return fail(
                QStringLiteral("reading %1 failed: %2").arg(file->fileName(), file->errorString()), frame);
        WireCodec::endFrame(*frame, 0, &error);
        sent += want;
        if (sent == size)
            state = State::Result;
        return true;
    }
    case State::Result: {
        state = State::Done;
        file.reset();
        WireMessage result;
        result.type = WireMessage::Type::Result;
        result.id = id;
        result.args = resultArgs;
        if (!WireCodec::encodeMessage(result, frame, &error))
            return fail(error, frame);
        return true;
    }
    case State::Done:
        break;
    }
    return false;
}

bool FileStreamReply::fail(const QString& error, QByteArray* frame)
{
    state = State::Done;
    onError(error);
    *frame = WireCodec::errorFrame(id, error);
    return true;
}
