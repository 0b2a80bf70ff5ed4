#include "tests/wire/fuzz/FuzzWireDecoder.h"

#include "wire/WireCodec.h"

#include <cstdlib>

namespace {

using Status = WireCodec::Parsed::Status;

// A message the decoder accepted must encode again, and decode to the same encoding.
void checkRoundTrip(const WireMessage& message, qsizetype payloadSize)
{
    QByteArray frame;
    QString error;
    if (!WireCodec::encodeMessage(message, &frame, &error)) {
        // Only size can stop it: short floats and integers grow when written again.
        if (payloadSize < WireCodec::MaxFrameSize / 9)
            std::abort();
        return;
    }
    const WireCodec::Parsed again = WireCodec::parse(frame);
    if (again.status != Status::Complete || again.consumed != frame.size())
        std::abort();
    QByteArray second;
    if (!WireCodec::encodeMessage(again.message, &second, &error) || second != frame)
        std::abort();
}

} // namespace

void FuzzWireDecoder(QByteArrayView bytes)
{
    // As a stream of frames, the way a session reads its socket.
    for (qsizetype offset = 0; offset < bytes.size();) {
        const WireCodec::Parsed p = WireCodec::parse(bytes.sliced(offset));
        if (p.status == Status::Incomplete || p.status == Status::BadFrame)
            break;
        if (p.consumed <= WireCodec::HeaderSize || p.consumed > bytes.size() - offset)
            std::abort();
        if (p.status == Status::Complete && p.kind == WireCodec::FrameKind::Message)
            checkRoundTrip(p.message, p.consumed);
        offset += p.consumed;
    }
    // As one message's payload, so the CBOR decoder sees every input without a frame header.
    WireMessage message;
    QString error;
    if (WireCodec::decodeMessage(bytes, &message, &error))
        checkRoundTrip(message, bytes.size());
    else if (error.isEmpty())
        std::abort();
}

#ifdef NS_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWireDecoder(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
#endif
