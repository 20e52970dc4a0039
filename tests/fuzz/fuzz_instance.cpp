// Any bytes read as a frame between two copies: a whole frame (at least the 10 header bytes)
// stays within the limits and encodes back to exactly the same bytes, and shorter beginnings
// of it need more.
#include "platform/instanceframe.h"

#include <cstdint>
#include <cstdlib>

namespace {
template <typename Read> void checkBeginnings(QByteArrayView frame, Read read)
{
    for (const qsizetype size : {qsizetype(0), qsizetype(9), frame.size() / 2, frame.size() - 1}) {
        if (read(frame.first(size)).state != platform::FrameState::NeedMore)
            std::abort();
    }
}

void checkParams(QByteArrayView bytes)
{
    const platform::ParamsRead read = platform::readParamsFrame(bytes);
    if (bytes.size() > platform::maxFrameBytes && read.state != platform::FrameState::Invalid)
        std::abort();
    if (read.state != platform::FrameState::Done)
        return;
    if (read.params.size() > platform::maxParams)
        std::abort();
    for (const QString &param : read.params) {
        if (param.size() > platform::maxParamLength)
            std::abort();
    }
    if (platform::encodeParamsFrame(read.params) != bytes)
        std::abort();
    checkBeginnings(bytes, platform::readParamsFrame);
}

// The first of the running copy's frames: a notice or the reply, perhaps with more after it.
void checkReply(QByteArrayView bytes)
{
    const platform::ReplyRead read = platform::readReplyFrame(bytes);
    if (read.state != platform::FrameState::Done)
        return;
    if (read.size > platform::maxFrameBytes || read.exitStatus < 0 || read.exitStatus > 255 ||
        read.text.size() > platform::maxReplyTextLength || (read.notice && read.exitStatus != 0))
        std::abort();
    const QByteArrayView frame = bytes.first(read.size);
    if ((read.notice ? platform::encodeNoticeFrame(read.text)
                     : platform::encodeReplyFrame(read.exitStatus, read.text)) != frame)
        std::abort();
    checkBeginnings(frame, platform::readReplyFrame);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    checkParams(bytes);
    checkReply(bytes);
    return 0;
}
