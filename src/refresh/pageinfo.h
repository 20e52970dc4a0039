#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <span>

class THTMLScanner;

// The two facts kept about a site, as the refresh engine stores them.
struct TPageInfo
{
    QString Title;
    QString Description;
};

// Title and description of a downloaded page: taken from the document head, decoded with
// the page's declared character set, character references decoded. Neither is trimmed or
// shortened.
TPageInfo ReadPageInfo(const QByteArray &body, const QByteArray &rawHeaders);

// What the head of a scanned page holds, before decoding.
struct THeadInfo
{
    QByteArray Title;       // the texts between TITLE tags, joined
    QByteArray Description; // CONTENT of META NAME=description; a later English one wins
    QByteArray MetaCharset; // the last character set a META tag declares; empty when none
};
THeadInfo ReadHead(const THTMLScanner &scanner);

// The character set of the last "charset=" on a Content-Type line of raw header text,
// upper-cased and without blanks or quotes; empty when none is given.
QByteArray HeaderCharset(QByteArrayView rawHeaders);

// Whether a declared character set can decode a page: it names a known character set
// that reads ASCII as ASCII (the scanner looks for "<", quotes and "=" as bytes).
bool IsUsableCharset(QByteArrayView charset);

// Bytes to text: with the given character set when usable, else UTF-8, or Windows-1252
// when the bytes are not valid UTF-8. ISO-8859-1 and US-ASCII are read as Windows-1252,
// as browsers do.
QString DecodeCharset(QByteArrayView bytes, QByteArrayView charset);

// One named character reference: "&Name;" stands for the character Code.
struct THTMLReference
{
    const char *Name;
    char16_t Code;
};
// The 243 named references in their order of decoding: "quot" first, then "amp", then
// the rest of HTML 4.01 without OElig, oelig, Scaron, scaron, Yuml, fnof, circ, tilde
// and Prime.
std::span<const THTMLReference> NamedReferences();

// Named references first (an "&amp;" may form a reference that is decoded in turn), then
// numeric ones from right to left. A numeric reference above U+FFFF becomes a surrogate
// pair; one beyond U+10FFFF, or to a surrogate, stays as written. Linear in the length.
QString DecodeReferences(QStringView text);

// A gathered title or description as the program keeps it: DecodeCharset, then
// DecodeReferences. An empty charset means none was declared.
QString DecodeHTML(QByteArrayView text, QByteArrayView charset = {});
