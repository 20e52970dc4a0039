#include "instanceframe.h"

#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>

namespace platform {
namespace {
constexpr char magic[] = {'F', 'V', 'R', 'K'};
constexpr char version = 1;
enum class Kind : char { Params = 1, Reply = 2, Notice = 3 };
constexpr qsizetype headerBytes = 10;
// A UTF-16 code unit takes at most three bytes of UTF-8.
constexpr qsizetype maxParamBytes = maxParamLength * 3;
constexpr qsizetype maxReplyTextBytes = maxReplyTextLength * 3;

void appendText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.append(char(utf8.size() >> 8)).append(char(utf8.size() & 0xff)).append(utf8);
}

QByteArray frame(Kind kind, const QByteArray &payload)
{
    char length[4];
    qToBigEndian(quint32(payload.size()), length);
    QByteArray out(magic, sizeof magic);
    out.append(version).append(char(kind)).append(length, sizeof length);
    return out.append(payload);
}

struct Frame
{
    FrameState state = FrameState::Invalid;
    Kind kind = Kind::Params;
    QByteArrayView payload;
    qsizetype size = 0;
};

// The whole frame at the front of bytes, when its kind is one of kinds. A beginning that
// can still become such a frame needs more; anything else is invalid at once.
Frame frontFrame(QByteArrayView bytes, std::initializer_list<Kind> kinds)
{
    const char start[] = {magic[0], magic[1], magic[2], magic[3], version};
    const qsizetype known = std::min<qsizetype>(bytes.size(), sizeof start);
    if (bytes.first(known) != QByteArrayView(start, known))
        return {};
    if (bytes.size() > qsizetype(sizeof start) &&
        std::ranges::find(kinds, Kind(bytes[sizeof start])) == kinds.end())
        return {};
    if (bytes.size() < headerBytes)
        return {FrameState::NeedMore, Kind::Params, {}, 0};
    const quint32 length = qFromBigEndian<quint32>(bytes.data() + sizeof start + 1);
    if (length > quint32(maxFrameBytes - headerBytes))
        return {};
    const qsizetype total = headerBytes + qsizetype(length);
    if (bytes.size() < total)
        return {FrameState::NeedMore, Kind::Params, {}, 0};
    return {FrameState::Done, Kind(bytes[sizeof start]), bytes.sliced(headerBytes, length), total};
}

// Takes a payload apart from the front; any shortfall or fault fails the whole payload.
class PayloadReader
{
  public:
    explicit PayloadReader(QByteArrayView payload) : m_rest(payload) {}

    int byte()
    {
        if (m_rest.isEmpty()) {
            m_ok = false;
            return 0;
        }
        const int value = quint8(m_rest.front());
        m_rest = m_rest.sliced(1);
        return value;
    }

    QString text(qsizetype maxBytes, qsizetype maxLength)
    {
        const int high = byte();
        const qsizetype size = high << 8 | byte();
        if (!m_ok || size > maxBytes || size > m_rest.size()) {
            m_ok = false;
            return QString();
        }
        // A leading U+FEFF is part of the text, not a byte order mark.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(m_rest.first(size));
        m_rest = m_rest.sliced(size);
        if (decoder.hasError() || text.size() > maxLength)
            m_ok = false;
        return text;
    }

    bool finished() const { return m_ok && m_rest.isEmpty(); }

  private:
    QByteArrayView m_rest;
    bool m_ok = true;
};
} // namespace

QString cutText(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    const bool splitsPair = maxLength > 0 && text.at(maxLength - 1).isHighSurrogate();
    return text.first(splitsPair ? maxLength - 1 : maxLength);
}

QStringList cutParams(const QStringList &params)
{
    QStringList cut;
    for (const QString &param : params.mid(0, maxParams))
        cut.append(cutText(param, maxParamLength));
    return cut;
}

QByteArray encodeParamsFrame(const QStringList &params)
{
    const QStringList cut = cutParams(params);
    QByteArray payload(1, char(cut.size()));
    for (const QString &param : cut)
        appendText(payload, param);
    return frame(Kind::Params, payload);
}

QByteArray encodeReplyFrame(int exitStatus, const QString &text)
{
    const bool valid = exitStatus >= 0 && exitStatus <= 255;
    QByteArray payload(1, char(valid ? exitStatus : 1));
    appendText(payload, cutText(text, maxReplyTextLength));
    return frame(Kind::Reply, payload);
}

QByteArray encodeNoticeFrame(const QString &text)
{
    QByteArray payload;
    appendText(payload, cutText(text, maxReplyTextLength));
    return frame(Kind::Notice, payload);
}

ParamsRead readParamsFrame(QByteArrayView bytes)
{
    const Frame frame = frontFrame(bytes, {Kind::Params});
    if (frame.state == FrameState::Done && frame.size != bytes.size())
        return {};
    if (frame.state != FrameState::Done)
        return {frame.state, {}};
    PayloadReader reader(frame.payload);
    const int count = reader.byte();
    if (count > maxParams)
        return {};
    QStringList params;
    for (int i = 0; i < count; ++i)
        params.append(reader.text(maxParamBytes, maxParamLength));
    if (!reader.finished())
        return {};
    return {FrameState::Done, params};
}

ReplyRead readReplyFrame(QByteArrayView bytes)
{
    const Frame frame = frontFrame(bytes, {Kind::Reply, Kind::Notice});
    if (frame.state != FrameState::Done)
        return {frame.state, false, 0, {}, 0};
    PayloadReader reader(frame.payload);
    const bool notice = frame.kind == Kind::Notice;
    const int exitStatus = notice ? 0 : reader.byte();
    const QString text = reader.text(maxReplyTextBytes, maxReplyTextLength);
    if (!reader.finished())
        return {};
    return {FrameState::Done, notice, exitStatus, text, frame.size};
}
} // namespace platform
