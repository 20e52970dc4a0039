#include "tokenizer.h"

namespace html {
namespace {
// The elements whose content a browser reads as text up to their end tag.
constexpr std::array<QByteArrayView, 9> rawTextNames = {
    "script", "style", "title", "textarea", "xmp", "iframe", "noembed", "noframes", "noscript"};

// What a byte is to the tokenizer.
enum ByteClass : quint8 {
    Space = 1,             // HTML's white space
    EndsTagName = 2,       // white space, "/" and ">"
    EndsAttributeName = 4, // those, "=" and "<"
    EndsBareValue = 8,     // white space, ">" and "<"
    Letter = 16,
};

constexpr std::array<quint8, 256> byteClasses = [] {
    std::array<quint8, 256> classes{};
    for (const char c : {' ', '\t', '\n', '\r', '\f'})
        classes[uchar(c)] = Space | EndsTagName | EndsAttributeName | EndsBareValue;
    classes['/'] = EndsTagName | EndsAttributeName;
    classes['>'] = EndsTagName | EndsAttributeName | EndsBareValue;
    classes['<'] = EndsAttributeName | EndsBareValue;
    classes['='] = EndsAttributeName;
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = classes[c - 'a' + 'A'] = Letter;
    return classes;
}();

bool is(char c, ByteClass byteClass)
{
    return byteClasses[uchar(c)] & byteClass;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}
} // namespace

Tokenizer::Token Tokenizer::next()
{
    m_attributes.clear();
    if (m_rawTextEnd != noLimit) {
        m_text = m_bytes.sliced(m_pos, m_rawTextEnd - m_pos);
        m_pos = m_rawTextEnd;
        m_rawTextEnd = noLimit;
        if (!m_text.isEmpty())
            return Token::RawText;
    }
    const qsizetype size = m_bytes.size();
    while (m_pos < size) {
        if (m_bytes[m_pos] != '<' || !startsMarkup(m_pos)) {
            readText(m_pos);
            return Token::Text;
        }
        const char after = m_bytes[m_pos + 1];
        const bool endTagOpen = after == '/';
        if (is(after, Letter) || (endTagOpen && is(m_bytes[m_pos + 2], Letter))) {
            const bool closing = after == '/';
            if (!readTag(closing))
                break;
            if (!closing)
                findRawTextEnd();
            return closing ? Token::EndTag : Token::StartTag;
        }
        if (endTagOpen && m_bytes[m_pos + 2] == '>')
            m_pos += 3; // "</>" is nothing at all
        else if (after == '!' && m_bytes.sliced(m_pos).startsWith("<!--"))
            skipComment();
        else
            skipToTagEnd(m_pos + 2); // a DOCTYPE, "<?", "</ ": nothing up to the next ">"
    }
    m_pos = size;
    m_text = {};
    m_attributes.clear();
    return Token::End;
}

bool Tokenizer::sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

QByteArrayView Tokenizer::attribute(QByteArrayView name) const
{
    for (const Attribute &a : m_attributes)
        if (sameName(a.name, name))
            return a.value;
    return {};
}

bool Tokenizer::hasAttribute(QByteArrayView name) const
{
    for (const Attribute &a : m_attributes)
        if (sameName(a.name, name))
            return true;
    return false;
}

// Whether the "<" there begins a tag, an end tag, a comment or the like.
bool Tokenizer::startsMarkup(qsizetype at) const
{
    const char after = at + 1 < m_bytes.size() ? m_bytes[at + 1] : '\0';
    return is(after, Letter) || after == '!' || after == '?' ||
           (after == '/' && at + 2 < m_bytes.size());
}

// Text runs up to the next "<" that starts markup; a "<" that starts nothing is text.
void Tokenizer::readText(qsizetype from)
{
    qsizetype end = m_bytes.indexOf('<', from + 1);
    while (end >= 0 && !startsMarkup(end))
        end = m_bytes.indexOf('<', end + 1);
    if (end < 0)
        end = m_bytes.size();
    m_text = m_bytes.sliced(from, end - from);
    m_pos = end;
}

// False when the end of the bytes cuts the tag off.
bool Tokenizer::readTag(bool closing)
{
    const qsizetype size = m_bytes.size();
    qsizetype pos = m_pos + (closing ? 2 : 1);
    const qsizetype start = pos;
    while (pos < size && !is(m_bytes[pos], EndsTagName))
        ++pos;
    const QByteArrayView name = m_bytes.sliced(start, pos - start);
    for (;;) {
        while (pos < size && (is(m_bytes[pos], Space) || m_bytes[pos] == '/'))
            ++pos;
        if (pos >= size)
            return false;
        if (m_bytes[pos] == '>') {
            ++pos;
            break;
        }
        if (m_bytes[pos] == '<')
            break; // a tag left open ends where the next one begins
        if (!readAttribute(pos))
            return false;
    }
    m_text = name;
    m_pos = pos;
    if (closing)
        m_attributes.clear();
    return true;
}

bool Tokenizer::readAttribute(qsizetype &pos)
{
    const qsizetype size = m_bytes.size();
    const qsizetype start = pos;
    if (m_bytes[pos] == '=')
        ++pos; // a name may begin with "="
    while (pos < size && !is(m_bytes[pos], EndsAttributeName))
        ++pos;
    const QByteArrayView name = m_bytes.sliced(start, pos - start);
    qsizetype look = pos;
    while (look < size && is(m_bytes[look], Space))
        ++look;
    QByteArrayView value;
    if (look < size && m_bytes[look] == '=') {
        pos = look + 1;
        while (pos < size && is(m_bytes[pos], Space))
            ++pos;
        if (pos >= size)
            return false;
        if (m_bytes[pos] == '"' || m_bytes[pos] == '\'') {
            if (!readQuotedValue(pos, value))
                return false;
        } else {
            const qsizetype from = pos;
            while (pos < size && !is(m_bytes[pos], EndsBareValue))
                ++pos;
            value = m_bytes.sliced(from, pos - from);
        }
    }
    if (m_attributes.size() < maxAttributes)
        m_attributes.push_back({name, value});
    return true;
}

// A quoted value ends at its quote. When that quote never comes, or comes before something
// that cannot follow a value, and the value ran across a line break into a line that starts
// with a tag, the value ends at that line break instead: the file went wrong there, and the
// tags after it are read.
bool Tokenizer::readQuotedValue(qsizetype &pos, QByteArrayView &value)
{
    const qsizetype size = m_bytes.size();
    const char quote = m_bytes[pos];
    const qsizetype start = pos + 1;
    qsizetype lineBreak = noLimit;
    qsizetype badEnd = size;
    for (qsizetype i = start; i < size; ++i) {
        const char c = m_bytes[i];
        if (c == quote) {
            const qsizetype after = i + 1;
            if (lineBreak == noLimit || after == size || is(m_bytes[after], Space) ||
                m_bytes[after] == '/' || m_bytes[after] == '>') {
                value = m_bytes.sliced(start, i - start);
                pos = after;
                return true;
            }
            badEnd = after;
            break;
        }
        if ((c == '\n' || c == '\r') && lineBreak == noLimit && i >= m_keepQuotesBefore &&
            lineStartsTag(i + 1))
            lineBreak = i;
    }
    if (lineBreak == noLimit)
        return false;
    m_keepQuotesBefore = badEnd;
    value = m_bytes.sliced(start, lineBreak - start);
    pos = lineBreak;
    return true;
}

bool Tokenizer::lineStartsTag(qsizetype from) const
{
    const qsizetype size = m_bytes.size();
    while (from < size && (m_bytes[from] == ' ' || m_bytes[from] == '\t'))
        ++from;
    if (from + 1 >= size || m_bytes[from] != '<')
        return false;
    const char after = m_bytes[from + 1];
    return is(after, Letter) || after == '/' || after == '!';
}

// A comment ends at "-->" or "--!>"; "<!-->" and "<!--->" are whole comments.
void Tokenizer::skipComment()
{
    const qsizetype from = m_pos + 4;
    if (m_noCommentEndFrom == noLimit || from < m_noCommentEndFrom) {
        for (qsizetype i = m_bytes.indexOf('>', from); i >= 0; i = m_bytes.indexOf('>', i + 1)) {
            const bool dashes = m_bytes[i - 1] == '-' && m_bytes[i - 2] == '-';
            const bool bang = i - 3 >= from && m_bytes.sliced(i - 3, 3) == "--!";
            if (dashes || bang) {
                m_pos = i + 1;
                return;
            }
        }
        m_noCommentEndFrom = from;
    }
    skipToTagEnd(from); // a comment never closed hides no more than a tag would
}

void Tokenizer::skipToTagEnd(qsizetype from)
{
    const qsizetype end = m_bytes.indexOf('>', from);
    m_pos = end < 0 ? m_bytes.size() : end + 1;
}

// After the start tag of an element whose content is text: where its end tag begins. An
// element never closed gives no raw text, and what follows is read as markup.
void Tokenizer::findRawTextEnd()
{
    if (m_text.size() < 3 || m_text.size() > 8)
        return; // no such name is that short or that long
    size_t which = 0;
    while (which < rawTextNames.size() && !nameIs(rawTextNames[which]))
        ++which;
    if (which == rawTextNames.size())
        return;
    if (m_noEndTagFrom[which] != noLimit && m_pos >= m_noEndTagFrom[which])
        return;
    const QByteArrayView name = rawTextNames[which];
    const qsizetype size = m_bytes.size();
    for (qsizetype i = m_bytes.indexOf("</", m_pos); i >= 0; i = m_bytes.indexOf("</", i + 2)) {
        const qsizetype after = i + 2 + name.size();
        if (after < size && sameName(m_bytes.sliced(i + 2, name.size()), name) &&
            (is(m_bytes[after], Space) || m_bytes[after] == '/' || m_bytes[after] == '>')) {
            m_rawTextEnd = i;
            return;
        }
    }
    m_noEndTagFrom[which] = m_pos;
}
} // namespace html
