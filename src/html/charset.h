#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace html {
class Tokenizer;

// The character a byte stands for in Windows-1252; the five bytes it leaves unassigned stand
// for the C1 control of the same value, as on Windows.
char16_t windows1252(uchar byte);
QString fromWindows1252(QByteArrayView bytes);
std::optional<QByteArray> toWindows1252(QStringView text); // nullopt when a character has no byte

// Only well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isStrictUtf8(QByteArrayView bytes);
// Narrow text: UTF-8 when it is well-formed UTF-8, else Windows-1252, so that text written on
// Windows stays readable.
QString fromUtf8OrWindows1252(QByteArrayView bytes);

// How the texts of one document become text.
class TextDecoder final
{
  public:
    // Undeclared: UTF-8 when all the bytes are well-formed UTF-8, else Windows-1252.
    static TextDecoder forContent(QByteArrayView bytes);
    // The character set a label names, as browsers read labels (Latin-1 and ASCII are
    // Windows-1252, UTF-16 is UTF-8); none when it names none, or one that does not read
    // ASCII as ASCII, as the tokenizer finds markup as ASCII bytes.
    static std::optional<TextDecoder> forLabel(QByteArrayView label);
    static TextDecoder utf8() { return TextDecoder(Kind::Utf8); }

    QString decode(QByteArrayView bytes) const;
    QByteArray name() const;

  private:
    enum class Kind { Utf8, Windows1252, Other };
    explicit TextDecoder(Kind kind, QByteArray name = {}) : m_kind(kind), m_name(std::move(name)) {}
    Kind m_kind;
    QByteArray m_name; // for Other, as Qt names it
};

// A byte-order mark is removed, and UTF-16 is turned into UTF-8 so that the tokenizer sees
// ASCII as ASCII; true when there was one, and the text is UTF-8 then.
bool takeByteOrderMark(QByteArray &bytes);

// The label of the last "charset" on a Content-Type line of raw header text (lines end at
// any control byte); empty when none is given.
QByteArray headerCharset(QByteArrayView rawHeaders);

// The label a META start tag declares, by its charset attribute or, with http-equiv
// "content-type", by its content; empty when none.
QByteArrayView metaCharset(const Tokenizer &tag);

// The decoder of a document: after a byte-order mark UTF-8, else the header's character set
// when usable, else the first usable one that META declares, else as the content reads.
TextDecoder documentDecoder(bool byteOrderMark, QByteArrayView headerLabel,
                            const std::optional<TextDecoder> &meta, QByteArrayView content);
} // namespace html
