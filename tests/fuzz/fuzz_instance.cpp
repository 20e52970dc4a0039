// Any bytes read as a frame between two copies: a whole frame (at least the 10 header bytes)
// stays within the limits and encodes back to exactly the same bytes, and shorter beginnings
// of it need more.
#include "platform/instanceframe.h"

#include <cstdint>
#include <cstdlib>

namespace {
template <typename Read> void CheckBeginnings(QByteArrayView frame, Read read)
{
    for (const qsizetype size : {qsizetype(0), qsizetype(9), frame.size() / 2, frame.size() - 1}) {
        if (read(frame.first(size)).State != platform::TFrameState::NeedMore)
            std::abort();
    }
}

void CheckParams(QByteArrayView bytes)
{
    const platform::TParamsRead read = platform::ReadParamsFrame(bytes);
    if (bytes.size() > platform::MaxFrameBytes && read.State != platform::TFrameState::Invalid)
        std::abort();
    if (read.State != platform::TFrameState::Done)
        return;
    if (read.Params.size() > platform::MaxParams)
        std::abort();
    for (const QString &param : read.Params) {
        if (param.size() > platform::MaxParamLength)
            std::abort();
    }
    if (platform::EncodeParamsFrame(read.Params) != bytes)
        std::abort();
    CheckBeginnings(bytes, platform::ReadParamsFrame);
}

// The first of the running copy's frames: a notice or the reply, perhaps with more after it.
void CheckReply(QByteArrayView bytes)
{
    const platform::TReplyRead read = platform::ReadReplyFrame(bytes);
    if (read.State != platform::TFrameState::Done)
        return;
    if (read.Size > platform::MaxFrameBytes || read.ExitStatus < 0 || read.ExitStatus > 255 ||
        read.Text.size() > platform::MaxReplyTextLength || (read.Notice && read.ExitStatus != 0))
        std::abort();
    const QByteArrayView frame = bytes.first(read.Size);
    if ((read.Notice ? platform::EncodeNoticeFrame(read.Text)
                     : platform::EncodeReplyFrame(read.ExitStatus, read.Text)) != frame)
        std::abort();
    CheckBeginnings(frame, platform::ReadReplyFrame);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    CheckParams(bytes);
    CheckReply(bytes);
    return 0;
}
