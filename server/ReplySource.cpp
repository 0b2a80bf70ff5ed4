#include "server/ReplySource.h"

namespace {

class SingleFrame : public ReplySource {
public:
    explicit SingleFrame(QByteArray frame)
        : frame(std::move(frame))
    {
    }

    bool nextFrame(QByteArray* out) override
    {
        if (sent)
            return false;
        *out = std::move(frame);
        sent = true;
        return true;
    }

private:
    QByteArray frame;
    bool sent = false;
};

} // namespace

std::unique_ptr<ReplySource> ReplySource::single(QByteArray frame)
{
    return std::make_unique<SingleFrame>(std::move(frame));
}
