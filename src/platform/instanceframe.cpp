#include "instanceframe.h"

#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>

namespace platform {
namespace {
constexpr char Magic[] = {'F', 'V', 'R', 'K'};
constexpr char Version = 1;
enum class TKind : char { Params = 1, Reply = 2, Notice = 3 };
constexpr qsizetype HeaderBytes = 10;
// A UTF-16 code unit takes at most three bytes of UTF-8.
constexpr qsizetype MaxParamBytes = MaxParamLength * 3;
constexpr qsizetype MaxReplyTextBytes = MaxReplyTextLength * 3;

void AppendText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.append(char(utf8.size() >> 8)).append(char(utf8.size() & 0xff)).append(utf8);
}

QByteArray Frame(TKind kind, const QByteArray &payload)
{
    char length[4];
    qToBigEndian(quint32(payload.size()), length);
    QByteArray out(Magic, sizeof Magic);
    out.append(Version).append(char(kind)).append(length, sizeof length);
    return out.append(payload);
}

struct TFrame
{
    TFrameState State = TFrameState::Invalid;
    TKind Kind = TKind::Params;
    QByteArrayView Payload;
    qsizetype Size = 0;
};

// The whole frame at the front of bytes, when its kind is one of kinds. A beginning that
// can still become such a frame needs more; anything else is invalid at once.
TFrame FrontFrame(QByteArrayView bytes, std::initializer_list<TKind> kinds)
{
    const char start[] = {Magic[0], Magic[1], Magic[2], Magic[3], Version};
    const qsizetype known = std::min<qsizetype>(bytes.size(), sizeof start);
    if (bytes.first(known) != QByteArrayView(start, known))
        return {};
    if (bytes.size() > qsizetype(sizeof start) &&
        std::ranges::find(kinds, TKind(bytes[sizeof start])) == kinds.end())
        return {};
    if (bytes.size() < HeaderBytes)
        return {TFrameState::NeedMore, TKind::Params, {}, 0};
    const quint32 length = qFromBigEndian<quint32>(bytes.data() + sizeof start + 1);
    if (length > quint32(MaxFrameBytes - HeaderBytes))
        return {};
    const qsizetype total = HeaderBytes + qsizetype(length);
    if (bytes.size() < total)
        return {TFrameState::NeedMore, TKind::Params, {}, 0};
    return {TFrameState::Done, TKind(bytes[sizeof start]), bytes.sliced(HeaderBytes, length),
            total};
}

// Takes a payload apart from the front; any shortfall or fault fails the whole payload.
class TPayloadReader
{
  public:
    explicit TPayloadReader(QByteArrayView payload) : m_rest(payload) {}

    int Byte()
    {
        if (m_rest.isEmpty()) {
            m_ok = false;
            return 0;
        }
        const int value = quint8(m_rest.front());
        m_rest = m_rest.sliced(1);
        return value;
    }

    QString Text(qsizetype maxBytes, qsizetype maxLength)
    {
        const int high = Byte();
        const qsizetype size = high << 8 | Byte();
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

    bool Finished() const { return m_ok && m_rest.isEmpty(); }

  private:
    QByteArrayView m_rest;
    bool m_ok = true;
};
} // namespace

QString CutText(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    const bool splitsPair = maxLength > 0 && text.at(maxLength - 1).isHighSurrogate();
    return text.first(splitsPair ? maxLength - 1 : maxLength);
}

QStringList CutParams(const QStringList &params)
{
    QStringList cut;
    for (const QString &param : params.mid(0, MaxParams))
        cut.append(CutText(param, MaxParamLength));
    return cut;
}

QByteArray EncodeParamsFrame(const QStringList &params)
{
    const QStringList cut = CutParams(params);
    QByteArray payload(1, char(cut.size()));
    for (const QString &param : cut)
        AppendText(payload, param);
    return Frame(TKind::Params, payload);
}

QByteArray EncodeReplyFrame(int exitStatus, const QString &text)
{
    const bool valid = exitStatus >= 0 && exitStatus <= 255;
    QByteArray payload(1, char(valid ? exitStatus : 1));
    AppendText(payload, CutText(text, MaxReplyTextLength));
    return Frame(TKind::Reply, payload);
}

QByteArray EncodeNoticeFrame(const QString &text)
{
    QByteArray payload;
    AppendText(payload, CutText(text, MaxReplyTextLength));
    return Frame(TKind::Notice, payload);
}

TParamsRead ReadParamsFrame(QByteArrayView bytes)
{
    const TFrame frame = FrontFrame(bytes, {TKind::Params});
    if (frame.State == TFrameState::Done && frame.Size != bytes.size())
        return {};
    if (frame.State != TFrameState::Done)
        return {frame.State, {}};
    TPayloadReader reader(frame.Payload);
    const int count = reader.Byte();
    if (count > MaxParams)
        return {};
    QStringList params;
    for (int i = 0; i < count; ++i)
        params.append(reader.Text(MaxParamBytes, MaxParamLength));
    if (!reader.Finished())
        return {};
    return {TFrameState::Done, params};
}

TReplyRead ReadReplyFrame(QByteArrayView bytes)
{
    const TFrame frame = FrontFrame(bytes, {TKind::Reply, TKind::Notice});
    if (frame.State != TFrameState::Done)
        return {frame.State, false, 0, {}, 0};
    TPayloadReader reader(frame.Payload);
    const bool notice = frame.Kind == TKind::Notice;
    const int exitStatus = notice ? 0 : reader.Byte();
    const QString text = reader.Text(MaxReplyTextBytes, MaxReplyTextLength);
    if (!reader.Finished())
        return {};
    return {TFrameState::Done, notice, exitStatus, text, frame.Size};
}
} // namespace platform
