#pragma once

#include <QByteArrayView>
#include <array>
#include <vector>

namespace html {
// Splits HTML into texts and tags, one token per call, as browsers split it, without a tree
// and without copying: every view points into the bytes, so a huge attribute costs nothing.
// The elements whose content is text (script, style, title, textarea and their kin) give
// that content as one RawText token, never as tags; comments, DOCTYPEs and processing
// instructions give nothing. Anything is read, in linear time:
// - an element of that kind that is never closed opens nothing: what follows its start tag
//   is read as markup;
// - a comment that is never closed ends at the next ">";
// - a tag ends before a "<" outside quotes;
// - a quoted value that runs across a line break into a line starting with a tag and then
//   closes badly (or never) ends at that line break;
// - a tag that the end of the bytes cuts off is no tag, and nothing after it is read.
// Names are compared without regard to ASCII case; references stay as written (entities.h
// decodes them).
class Tokenizer final
{
  public:
    enum class Token { Text, RawText, StartTag, EndTag, End };
    struct Attribute
    {
        QByteArrayView name;
        QByteArrayView value; // empty when none was given
    };

    explicit Tokenizer(QByteArrayView bytes) : m_bytes(bytes) { m_noEndTagFrom.fill(noLimit); }

    Token next();
    // The content of a Text or RawText token; the name of a tag.
    QByteArrayView text() const { return m_text; }
    bool nameIs(QByteArrayView name) const
    {
        return m_text.size() == name.size() && sameName(m_text, name);
    }
    // The value of the tag's first attribute of that name (HTML drops later ones); empty when
    // absent.
    QByteArrayView attribute(QByteArrayView name) const;
    bool hasAttribute(QByteArrayView name) const;
    const std::vector<Attribute> &attributes() const { return m_attributes; }

  private:
    static constexpr size_t maxAttributes = 256;
    static constexpr qsizetype noLimit = -1;
    static constexpr size_t rawTextElements = 9;

    static bool sameName(QByteArrayView a, QByteArrayView b); // ASCII case aside
    bool startsMarkup(qsizetype at) const;
    bool readTag(bool closing);
    bool readAttribute(qsizetype &pos);
    bool readQuotedValue(qsizetype &pos, QByteArrayView &value);
    bool lineStartsTag(qsizetype from) const;
    void readText(qsizetype from);
    void skipComment();
    void skipToTagEnd(qsizetype from);
    void findRawTextEnd();

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    QByteArrayView m_text;
    std::vector<Attribute> m_attributes;
    qsizetype m_rawTextEnd = noLimit; // the content of a raw-text element comes next
    // Once a search for an end failed from a point, it fails from every later point too:
    // remembering that keeps hostile pages linear.
    std::array<qsizetype, rawTextElements> m_noEndTagFrom;
    qsizetype m_noCommentEndFrom = noLimit;
    qsizetype m_keepQuotesBefore = 0; // a value cut at its line break is not cut twice
};
} // namespace html
