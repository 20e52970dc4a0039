#pragma once

#include "html/charset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// What the refresh keeps of a downloaded page: its title and description, read from the
// document head as a browser reads them, and the page's bytes with their character set for
// whoever reads the page further (the link check's page text).
class HtmlScanner final
{
  public:
    // Reads the page: the head up to "</HEAD>" (all of it when there is none), and the
    // character set from a byte-order mark, the raw response headers, a META tag in the
    // head, else the bytes themselves.
    void parse(const QByteArray &source, const QByteArray &rawHeaders);

    // The texts of the title elements in the head, joined, blanks made single and trimmed.
    QString getTitle() const { return m_title; }
    // The content of the first META description in the head, or of the last of them marked
    // as English (LANG "en"), trimmed; line breaks inside stay.
    QString getDescription() const { return m_description; }

    // The page as read, after a byte-order mark; UTF-16 is UTF-8 here.
    QByteArrayView bytes() const { return m_source; }
    const html::TextDecoder &textDecoder() const { return m_decoder; }

  private:
    QByteArray m_source;
    html::TextDecoder m_decoder = html::TextDecoder::utf8();
    QString m_title;
    QString m_description;
};
