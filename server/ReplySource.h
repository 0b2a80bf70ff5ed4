#pragma once

#include <QByteArray>
#include <memory>

// The frames that answer one call, produced one at a time so that a session only asks for the
// next when the socket has room: a long data set or a backup file never piles up in memory.
class ReplySource {
public:
    virtual ~ReplySource() = default;
    // The next whole frame; false when the reply is complete.
    virtual bool nextFrame(QByteArray* frame) = 0;

    // A reply of one frame.
    static std::unique_ptr<ReplySource> single(QByteArray frame);
};
