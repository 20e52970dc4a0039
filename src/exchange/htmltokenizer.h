#pragma once

#include <QByteArrayView>
#include <limits>
#include <vector>

namespace exchange {
// Splits the bytes of a bookmark file into tags and texts, one token per call, without
// building a tree and without copying: every view points into the bytes, so a huge ICON
// value costs nothing. Tolerant of anything: a tag never spans a "<" outside quotes, a
// quoted value never spans a line break, an unclosed comment ends with its line, and
// script elements are tags like any other, so nothing can swallow the rest of the file.
class HtmlTokenizer final
{
  public:
    enum class Token { Text, StartTag, EndTag, End };
    struct Attribute
    {
        QByteArrayView name;
        QByteArrayView value;
    };

    explicit HtmlTokenizer(QByteArrayView bytes) : m_bytes(bytes) {}

    Token next();
    // The text of a Text token; the name of a tag.
    QByteArrayView bytes() const { return m_token; }
    bool nameIs(QByteArrayView name) const; // without regard to ASCII case
    // The value of a start tag's attribute (the first one of that name); empty when absent.
    QByteArrayView attribute(QByteArrayView name) const;
    const std::vector<Attribute> &attributes() const { return m_attributes; }

  private:
    static constexpr size_t MaxAttributes = 64;

    bool at(qsizetype pos, char c) const { return pos < m_bytes.size() && m_bytes[pos] == c; }
    qsizetype lineEnd(qsizetype from) const;
    void skipMarkup();
    void readTag(bool closing);
    void readAttributes();
    QByteArrayView readAttributeValue();

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    qsizetype m_noCommentCloseFrom = std::numeric_limits<qsizetype>::max();
    QByteArrayView m_token;
    std::vector<Attribute> m_attributes;
};
} // namespace exchange
