#pragma once

#include <QByteArray>
#include <QString>

namespace platform {
// File names on Linux are bytes. A name is read as UTF-8; each byte that is not part of
// valid UTF-8 becomes the lone code unit U+DC00 + byte (U+DC80 to U+DCFF), so every name
// turns back into the same bytes. Every system call on a path takes encodeFileName of it,
// and every name a listing gives goes through decodeFileName.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(QStringView name);

// The path made absolute against the working folder; unchanged when it is absolute already.
QString absolutePath(const QString &path);

// The length of the valid UTF-8 sequence that starts at p (1 to 4 bytes) with its code
// point, or 0 when none does: no overlong forms, no surrogates, nothing above U+10FFFF.
inline int utf8Sequence(const uchar *p, const uchar *end, char32_t &codePoint)
{
    const uchar b = *p;
    codePoint = b;
    if (b < 0x80)
        return 1;
    int more = 0;
    uint min = 0;
    uint cp = 0;
    if ((b & 0xE0) == 0xC0) {
        more = 1, min = 0x80, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        more = 2, min = 0x800, cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        more = 3, min = 0x10000, cp = b & 0x07;
    } else {
        return 0;
    }
    if (end - p <= more)
        return 0;
    for (int i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    codePoint = cp;
    return more + 1;
}
} // namespace platform
