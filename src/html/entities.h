#pragma once

#include <QString>
#include <QStringView>

namespace html {
enum class ReferenceContext { Text, Attribute };

// Character references decoded once, as HTML5 reads them ("&amp;lt;" gives "&lt;"):
// - every HTML5 name, the longest that matches; the names older pages wrote without ";"
//   also without it, except in an attribute value when a letter, a digit or "=" follows
//   (so "?a=1&copy=2" in an address stays as written);
// - numbers, decimal or hexadecimal, with or without ";": 0, surrogates and numbers beyond
//   U+10FFFF give U+FFFD, 0x80..0x9F the Windows-1252 character of that byte.
// Everything else stays as written.
QString decodeReferences(QStringView text, ReferenceContext context = ReferenceContext::Text);

// Text as a title shows it: every run of blanks and control characters (up to U+0020) one
// space, none at either end.
QString collapseBlanks(QString text);
} // namespace html
