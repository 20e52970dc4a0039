#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace platform {
// The messages between two copies of the program. A starting copy sends its parameters
// in a params frame; the running copy answers with a reply frame (exit status and text),
// and until then sends notice frames now and then: signs of life, some with a text that
// says what the answer waits for.
// Every frame: "FVRK", version 1, kind, payload length (4 bytes, big-endian), payload.
// A text travels as its UTF-8 length (2 bytes, big-endian) and its bytes.
inline constexpr qsizetype maxFrameBytes = 16 * 1024;
inline constexpr qsizetype maxParams = 10;
inline constexpr qsizetype maxParamLength = 300;      // UTF-16 code units
inline constexpr qsizetype maxReplyTextLength = 4000; // UTF-16 code units

enum class FrameState { NeedMore, Done, Invalid };

struct ParamsRead
{
    FrameState state = FrameState::Invalid;
    QStringList params;
};

struct ReplyRead
{
    FrameState state = FrameState::Invalid;
    bool notice = false; // a notice, not yet the answer
    int exitStatus = 0;
    QString text;
    qsizetype size = 0; // the frame's bytes
};

// The first maxLength code units, one fewer when the cut would split a surrogate pair.
QString cutText(const QString &text, qsizetype maxLength);
// The first ten parameters, each cut to 300 code units.
QStringList cutParams(const QStringList &params);

QByteArray encodeParamsFrame(const QStringList &params); // cuts them first
// An exit status outside 0 to 255 travels as 1 (failure); the text is cut to 4000 units.
QByteArray encodeReplyFrame(int exitStatus, const QString &text);
QByteArray encodeNoticeFrame(const QString &text); // cut to 4000 units

// Read what has arrived so far: NeedMore for a correct beginning, Done for a whole frame,
// Invalid for anything else (foreign bytes, limits exceeded, bad UTF-8). The parameters
// come alone: bytes after their frame are invalid. Of the running copy's frames the first
// one is read; more may follow it.
ParamsRead readParamsFrame(QByteArrayView bytes);
ReplyRead readReplyFrame(QByteArrayView bytes);
} // namespace platform
