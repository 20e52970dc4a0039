#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace exchange {
// How the texts of one bookmark file are decoded: by its byte-order mark, else the
// character set a META tag declares, else UTF-8 when every byte sequence is valid UTF-8,
// else Windows-1252.
class HtmlTextDecoder final
{
  public:
    // Decides for bytes; a file in UTF-16 is turned into UTF-8 in place, and a byte-order
    // mark is removed, so that the tokenizer always sees an ASCII-compatible file.
    static HtmlTextDecoder forFile(QByteArray &bytes);

    // Text or an attribute value as the user reads it: decoded, character references
    // decoded once, runs of white space made one space and trimmed.
    QString text(QByteArrayView raw) const;

  private:
    enum class Kind { Utf8, Windows1252, Named };
    Kind m_kind = Kind::Utf8;
    QByteArray m_charset; // for Named
};

// Only well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isStrictUtf8(QByteArrayView bytes);

// "&amp;", "&#233;", "&#xE9;" and the common named references, each decoded once (the
// "&lt;" in "&amp;lt;" stays as text). Unknown or malformed references stay as written.
QString decodeReferences(QStringView text);

// For the text of an element: "&", "<", ">" and '"' as references.
QString escapeHtml(QStringView text);
} // namespace exchange
