#include "htmlscanner.h"

#include "pageinfo.h"

#include <array>
#include <cstring>

namespace {

bool IsSpace(char c)
{
    return uchar(c) <= 32;
}

char UpperByte(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

QByteArray UpperBytes(QByteArrayView text)
{
    QByteArray upper(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        upper[i] = UpperByte(text[i]);
    return upper;
}

// text upper-cased equals upper, which is already upper case
bool EqualsUpper(QByteArrayView text, QByteArrayView upper)
{
    if (text.size() != upper.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (UpperByte(text[i]) != upper[i])
            return false;
    }
    return true;
}

bool StartsWithUpper(QByteArrayView text, QByteArrayView upper)
{
    return text.size() >= upper.size() && EqualsUpper(text.first(upper.size()), upper);
}

bool EndsWithUpper(QByteArrayView text, QByteArrayView upper)
{
    return text.size() >= upper.size() && EqualsUpper(text.last(upper.size()), upper);
}

QByteArrayView Trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

constexpr QByteArrayView CommentStart("!--", 3);
constexpr QByteArrayView CommentEnd("--", 2);
constexpr QByteArrayView ScriptStart("SCRIPT", 6);
constexpr QByteArrayView ScriptEnd("</SCRIPT", 8);

// Bytes that end a run of ordinary bytes, per state.
enum : quint8 {
    StopText = 1, // "<" and white space
    StopTag = 2,  // ">", white space, quotes, "="
    StopRaw = 4,  // ">", white space, double quote
};

constexpr auto StopTable = [] {
    std::array<quint8, 256> table{};
    for (int c = 0; c <= 32; ++c)
        table[c] = StopText | StopTag | StopRaw;
    table['<'] |= StopText;
    table['>'] |= StopTag | StopRaw;
    table['"'] |= StopTag | StopRaw;
    table['\''] |= StopTag;
    table['='] |= StopTag;
    return table;
}();

bool Stops(char c, quint8 state)
{
    return StopTable[uchar(c)] & state;
}

} // namespace

// One pass over the page. A token inside a tag is always a run of consecutive source
// bytes, so it is kept as a position and a length; texts and raw sections change their
// white space and are written to the scanner's text store.
class THTMLTokenizer final
{
  public:
    explicit THTMLTokenizer(THTMLScanner &scanner)
        : m_scanner(scanner), m_src(scanner.m_source.constData()), m_size(scanner.m_source.size()),
          m_text(scanner.m_text.get())
    {
    }

    void Run()
    {
        qsizetype i = 0;
        while (i < m_size) {
            if (m_raw)
                i = RawRun(i);
            else if (m_inTag)
                i = TagRun(i);
            else
                i = TextRun(i);
        }
        // An unfinished tag is closed as if ">" followed.
        if (m_inTag) {
            EndTag('>');
            if (m_raw)
                m_textSize = m_tokenStart; // an unfinished comment or script is dropped
        } else {
            FlushText();
        }
        Q_ASSERT(m_textSize <= m_size + 1);
    }

  private:
    qsizetype TextRun(qsizetype i)
    {
        char *out = m_text + m_textSize;
        while (i < m_size) {
            const char c = m_src[i];
            if (!Stops(c, StopText)) {
                *out++ = c;
                m_lastSpace = false;
            } else if (c == '<') {
                m_textSize = out - m_text;
                FlushText();
                m_inTag = true;
                m_expectName = true;
                m_afterEq = false;
                m_inQuote = false;
                return i + 1;
            } else if (!m_lastSpace) {
                *out++ = ' ';
                m_lastSpace = true;
            }
            ++i;
        }
        m_textSize = out - m_text;
        return i;
    }

    qsizetype TagRun(qsizetype i)
    {
        while (i < m_size && m_inTag && !m_raw) {
            const char c = m_src[i];
            if (m_inQuote) {
                const char *quote =
                    static_cast<const char *>(std::memchr(m_src + i, m_quoteChar, m_size - i));
                const qsizetype end = quote ? quote - m_src : m_size;
                Append(i, end - i);
                if (!quote)
                    return m_size;
                EndToken(m_quoteChar);
                m_inQuote = false;
                i = end + 1;
                continue;
            }
            if (!Stops(c, StopTag)) {
                qsizetype end = i + 1;
                while (end < m_size && !Stops(m_src[end], StopTag))
                    ++end;
                Append(i, end - i);
                i = end;
                continue;
            }
            if (c == '>') {
                EndTag(c);
            } else if (IsSpace(c)) {
                EndToken(c);
            } else if (c == '"' || c == '\'') {
                if (m_tokenLen == 0 && !m_expectName) {
                    m_quoteChar = c;
                    m_inQuote = true;
                } else {
                    EndToken(c);
                }
            } else { // "="
                EndToken(c);
                if (m_expectName)
                    m_expectName = false;
                else
                    m_afterEq = true;
            }
            ++i;
        }
        return i;
    }

    qsizetype RawRun(qsizetype i)
    {
        char *out = m_text + m_textSize;
        while (i < m_size) {
            const char c = m_src[i];
            if (m_inQuote) {
                const char *quote =
                    static_cast<const char *>(std::memchr(m_src + i, m_quoteChar, m_size - i));
                const qsizetype end = quote ? quote - m_src + 1 : m_size;
                std::memcpy(out, m_src + i, end - i);
                out += end - i;
                i = end;
                if (quote) {
                    m_inQuote = false;
                    m_rawSpace = false;
                }
                continue;
            }
            if (!Stops(c, StopRaw)) {
                *out++ = c;
                m_rawSpace = false;
            } else if (c == '"') {
                m_quoteChar = c;
                m_inQuote = true;
                *out++ = c;
                m_rawSpace = false;
            } else if (IsSpace(c)) {
                if (!m_rawSpace) {
                    *out++ = ' ';
                    m_rawSpace = true;
                }
            } else { // ">"
                const char *end = out;
                while (end > m_text + m_tokenStart && IsSpace(end[-1]))
                    --end;
                const QByteArrayView token(m_text + m_tokenStart, end - (m_text + m_tokenStart));
                *out++ = c;
                m_rawSpace = false;
                if (EndsWithUpper(token, m_rawEnd)) {
                    m_textSize = out - m_text;
                    FlushRaw();
                    return i + 1;
                }
            }
            ++i;
        }
        m_textSize = out - m_text;
        return i;
    }

    void Append(qsizetype pos, qsizetype len)
    {
        if (m_tokenLen == 0)
            m_tokenPos = quint32(pos);
        m_tokenLen += quint32(len);
    }

    QByteArrayView Token() const { return QByteArrayView(m_src + m_tokenPos, m_tokenLen); }

    void EndToken(char c)
    {
        if (m_raw)
            return;
        if (m_inTag && m_expectName) {
            m_currentTag = -1;
            if (m_tokenLen == 0)
                return;
            const QByteArrayView name = Token();
            if (name[0] == '!' && StartsWithUpper(name, CommentStart))
                m_rawEnd = CommentEnd;
            else if (UpperByte(name[0]) == 'S' && StartsWithUpper(name, ScriptStart))
                m_rawEnd = ScriptEnd;
            else
                m_rawEnd = {};
            if (!m_rawEnd.isEmpty()) {
                StartRaw(name, c);
                return;
            }
            m_scanner.m_items.push_back(THTMLScanner::Item{
                m_tokenPos, m_tokenLen, quint32(m_scanner.m_params.size()), THTMLKind::Tag});
            m_currentTag = qsizetype(m_scanner.m_items.size()) - 1;
            m_expectName = false;
        } else if (m_inTag && m_currentTag >= 0) {
            AddParam(m_afterEq);
        }
        m_tokenLen = 0;
        m_afterEq = false;
    }

    // A comment or script begins; its section starts with "<", the name and the byte
    // that ended the name.
    void StartRaw(QByteArrayView name, char c)
    {
        m_raw = true;
        // A comment written whole as its first token ("<!-->", "<!---->") ends at once.
        if (c == '>' && EndsWithUpper(name, m_rawEnd))
            m_raw = false;
        m_rawSpace = IsSpace(c);
        m_tokenStart = m_textSize;
        char *out = m_text + m_textSize;
        *out++ = '<';
        std::memcpy(out, name.data(), name.size());
        out += name.size();
        *out++ = IsSpace(c) ? ' ' : c;
        m_textSize = out - m_text;
        m_tokenLen = 0;
        if (!m_raw)
            FlushRaw();
    }

    void AddParam(bool isValue)
    {
        auto &params = m_scanner.m_params;
        if (params.size() == m_scanner.m_items[m_currentTag].firstParam)
            isValue = false;
        const QByteArrayView text = Trimmed(Token());
        const quint32 pos = m_tokenLen ? quint32(text.data() - m_src) : 0;
        if (isValue) {
            params.back().valuePos = pos;
            params.back().valueLen = quint32(text.size());
        } else if (!text.isEmpty()) {
            params.push_back(
                THTMLScanner::ParamItem{pos, quint32(text.size()), THTMLScanner::NoValue, 0});
        }
    }

    void EndTag(char c)
    {
        EndToken(c);
        m_currentTag = -1;
        m_inTag = false;
    }

    void FlushText()
    {
        if (m_textSize > m_tokenStart)
            PushStored(THTMLKind::Text);
    }

    void FlushRaw()
    {
        PushStored(THTMLKind::Raw);
        m_inTag = false;
        m_raw = false;
    }

    void PushStored(THTMLKind kind)
    {
        m_scanner.m_items.push_back(THTMLScanner::Item{quint32(m_tokenStart),
                                                       quint32(m_textSize - m_tokenStart),
                                                       quint32(m_scanner.m_params.size()), kind});
        m_tokenStart = m_textSize;
    }

    THTMLScanner &m_scanner;
    const char *const m_src;
    const qsizetype m_size;
    char *const m_text;
    qsizetype m_textSize = 0;
    qsizetype m_tokenStart = 0; // where the text or raw token begins in m_text

    quint32 m_tokenPos = 0; // the token inside a tag, in m_src
    quint32 m_tokenLen = 0;
    qsizetype m_currentTag = -1;

    bool m_inTag = false;
    bool m_expectName = false;
    bool m_afterEq = false;
    bool m_inQuote = false;
    char m_quoteChar = 0;
    bool m_raw = false;
    QByteArrayView m_rawEnd;
    bool m_rawSpace = false;
    bool m_lastSpace = true;
};

QByteArray THTMLParam::Name() const
{
    const auto &p = m_scanner->m_params[m_index];
    return UpperBytes(m_scanner->SourceBytes(p.namePos, p.nameLen));
}

QByteArrayView THTMLParam::Value() const
{
    const auto &p = m_scanner->m_params[m_index];
    if (p.valuePos == THTMLScanner::NoValue)
        return {};
    return m_scanner->SourceBytes(p.valuePos, p.valueLen);
}

bool THTMLParam::HasValue() const
{
    return m_scanner->m_params[m_index].valuePos != THTMLScanner::NoValue;
}

QByteArray THTMLParam::Text() const
{
    const auto &p = m_scanner->m_params[m_index];
    QByteArray text = m_scanner->SourceBytes(p.namePos, p.nameLen).toByteArray();
    if (HasValue())
        text += "=\"" + Value().toByteArray() + '"';
    return text;
}

qsizetype THTMLTag::FirstParam() const
{
    return m_scanner->m_items[m_index].firstParam;
}

QByteArray THTMLTag::Name() const
{
    return UpperBytes(m_scanner->ItemBytes(m_index));
}

bool THTMLTag::NameIs(QByteArrayView upperName) const
{
    return EqualsUpper(m_scanner->ItemBytes(m_index), upperName);
}

QByteArray THTMLTag::Text() const
{
    QByteArray text = m_scanner->ItemBytes(m_index).toByteArray();
    for (qsizetype i = 0; i < ParamCount(); ++i)
        text += ' ' + Param(i)->Text();
    return text;
}

qsizetype THTMLTag::ParamCount() const
{
    const auto &items = m_scanner->m_items;
    const qsizetype end = m_index + 1 < qsizetype(items.size())
                              ? qsizetype(items[m_index + 1].firstParam)
                              : qsizetype(m_scanner->m_params.size());
    return end - FirstParam();
}

std::optional<THTMLParam> THTMLTag::Param(qsizetype index) const
{
    if (index < 0 || index >= ParamCount())
        return std::nullopt;
    return THTMLParam(m_scanner, FirstParam() + index);
}

qsizetype THTMLTag::IndexOfParam(QByteArrayView name) const
{
    const QByteArray upper = UpperBytes(Trimmed(name));
    const qsizetype first = FirstParam();
    for (qsizetype i = ParamCount() - 1; i >= 0; --i) {
        const auto &p = m_scanner->m_params[first + i];
        if (EqualsUpper(m_scanner->SourceBytes(p.namePos, p.nameLen), upper))
            return i;
    }
    return -1;
}

QByteArrayView THTMLTag::ParamValue(QByteArrayView name) const
{
    const qsizetype index = IndexOfParam(name);
    return index < 0 ? QByteArrayView() : Param(index)->Value();
}

QByteArray THTMLTag::ParamValueUpper(QByteArrayView name) const
{
    return UpperBytes(Trimmed(ParamValue(name)));
}

QByteArray THTMLObject::Text() const
{
    if (Kind() == THTMLKind::Tag)
        return Tag()->Text();
    return Bytes().toByteArray();
}

THTMLScanner::THTMLScanner() = default;
THTMLScanner::~THTMLScanner() = default;

void THTMLScanner::Clear()
{
    m_source.clear();
    m_text.reset();
    m_items.clear();
    m_params.clear();
    m_title.clear();
    m_description.clear();
    m_headerCharset.clear();
    m_metaCharset.clear();
    m_charset.clear();
}

void THTMLScanner::Parse(const QByteArray &source, const QByteArray &rawHeaders)
{
    Clear();
    if (source.isEmpty())
        return;
    m_source = source.size() > MaxSourceSize ? source.first(MaxSourceSize) : source;
    m_headerCharset = ::HeaderCharset(rawHeaders);
    // Every source byte adds at most one byte to the text store; a tag closed by the end
    // of the page adds its ">".
    m_text.reset(new char[m_source.size() + 1]);
    THTMLTokenizer(*this).Run();
    THeadInfo head = ReadHead(*this);
    m_title = std::move(head.Title);
    m_description = std::move(head.Description);
    m_metaCharset = std::move(head.MetaCharset);
    if (IsUsableCharset(m_headerCharset))
        m_charset = m_headerCharset;
    else if (IsUsableCharset(m_metaCharset))
        m_charset = m_metaCharset;
}

QString THTMLScanner::GetTitle() const
{
    return DecodeHTML(m_title, Charset());
}

QString THTMLScanner::GetDescription() const
{
    return DecodeHTML(m_description, Charset());
}

qsizetype THTMLScanner::MemoryUsage() const
{
    return m_items.bytes() + m_params.bytes() + (m_text ? m_source.size() + 1 : 0);
}
