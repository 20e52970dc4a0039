#include "htmltokenizer.h"

namespace exchange {
namespace {
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EndsName(char c)
{
    return IsSpace(c) || c == '>' || c == '/' || c == '<' || c == '=';
}
} // namespace

HtmlTokenizer::Token HtmlTokenizer::next()
{
    m_attributes.clear();
    while (m_pos < m_bytes.size()) {
        const qsizetype start = m_pos;
        if (m_bytes[m_pos] != '<') {
            const qsizetype end = m_bytes.indexOf('<', m_pos);
            m_pos = end < 0 ? m_bytes.size() : end;
            m_token = m_bytes.sliced(start, m_pos - start);
            return Token::Text;
        }
        const char after = m_pos + 1 < m_bytes.size() ? m_bytes[m_pos + 1] : '\0';
        if (IsLetter(after)) {
            readTag(false);
            return Token::StartTag;
        }
        if (after == '/' && m_pos + 2 < m_bytes.size() && IsLetter(m_bytes[m_pos + 2])) {
            readTag(true);
            return Token::EndTag;
        }
        if (after == '!' || after == '?') {
            skipMarkup();
            continue;
        }
        // A "<" that starts nothing is text, up to the next "<".
        const qsizetype end = m_bytes.indexOf('<', m_pos + 1);
        m_pos = end < 0 ? m_bytes.size() : end;
        m_token = m_bytes.sliced(start, m_pos - start);
        return Token::Text;
    }
    m_token = {};
    return Token::End;
}

bool HtmlTokenizer::nameIs(QByteArrayView name) const
{
    return m_token.compare(name, Qt::CaseInsensitive) == 0;
}

QByteArrayView HtmlTokenizer::attribute(QByteArrayView name) const
{
    for (const Attribute &a : m_attributes)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0)
            return a.value;
    return {};
}

qsizetype HtmlTokenizer::lineEnd(qsizetype from) const
{
    for (qsizetype i = from; i < m_bytes.size(); ++i)
        if (m_bytes[i] == '\n' || m_bytes[i] == '\r')
            return i;
    return m_bytes.size();
}

// A comment, DOCTYPE or processing instruction: nothing of it is kept.
void HtmlTokenizer::skipMarkup()
{
    if (m_bytes.sliced(m_pos).startsWith("<!--")) {
        // Once no "-->" follows a point, none follows any later point: each unclosed
        // comment must not search the rest of the file again.
        qsizetype close = -1;
        if (m_pos + 2 < m_noCommentCloseFrom) {
            close = m_bytes.indexOf("-->", m_pos + 2);
            if (close < 0)
                m_noCommentCloseFrom = m_pos + 2;
        }
        m_pos = close >= 0 ? close + 3 : lineEnd(m_pos);
        return;
    }
    qsizetype i = m_pos + 1;
    while (i < m_bytes.size() && m_bytes[i] != '>' && m_bytes[i] != '<')
        ++i;
    m_pos = at(i, '>') ? i + 1 : i;
}

void HtmlTokenizer::readTag(bool closing)
{
    m_pos += closing ? 2 : 1;
    const qsizetype start = m_pos;
    while (m_pos < m_bytes.size() && !EndsName(m_bytes[m_pos]))
        ++m_pos;
    m_token = m_bytes.sliced(start, m_pos - start);
    readAttributes();
    if (closing)
        m_attributes.clear();
}

void HtmlTokenizer::readAttributes()
{
    for (;;) {
        while (m_pos < m_bytes.size() && (IsSpace(m_bytes[m_pos]) || m_bytes[m_pos] == '/'))
            ++m_pos;
        if (m_pos >= m_bytes.size() || m_bytes[m_pos] == '<')
            return; // an unclosed tag ends where the next one begins
        if (m_bytes[m_pos] == '>') {
            ++m_pos;
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_bytes.size() && !EndsName(m_bytes[m_pos]))
            ++m_pos;
        if (m_pos == start) { // a stray "="
            ++m_pos;
            continue;
        }
        const QByteArrayView name = m_bytes.sliced(start, m_pos - start);
        qsizetype look = m_pos;
        while (look < m_bytes.size() && IsSpace(m_bytes[look]))
            ++look;
        QByteArrayView value;
        if (at(look, '=')) {
            m_pos = look + 1;
            value = readAttributeValue();
        }
        if (m_attributes.size() < MaxAttributes)
            m_attributes.push_back({name, value});
    }
}

QByteArrayView HtmlTokenizer::readAttributeValue()
{
    while (m_pos < m_bytes.size() && IsSpace(m_bytes[m_pos]))
        ++m_pos;
    if (m_pos >= m_bytes.size())
        return {};
    const char quote = m_bytes[m_pos];
    if (quote == '"' || quote == '\'') {
        const qsizetype start = ++m_pos;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != quote && m_bytes[m_pos] != '\n' &&
               m_bytes[m_pos] != '\r')
            ++m_pos;
        const QByteArrayView value = m_bytes.sliced(start, m_pos - start);
        if (at(m_pos, quote))
            ++m_pos;
        return value;
    }
    const qsizetype start = m_pos;
    while (m_pos < m_bytes.size() && !IsSpace(m_bytes[m_pos]) && m_bytes[m_pos] != '>' &&
           m_bytes[m_pos] != '<')
        ++m_pos;
    return m_bytes.sliced(start, m_pos - start);
}
} // namespace exchange
