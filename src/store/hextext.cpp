#include "hextext.h"

#include "textutil.h"

int hexDigitValue(char16_t u)
{
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

namespace {
const char digits[] = "0123456789ABCDEF";
} // namespace

QByteArray encodeHexText(const QString &text)
{
    QByteArray out(text.size() * 4, Qt::Uninitialized);
    char *p = out.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        *p++ = digits[(u >> 12) & 0xF];
        *p++ = digits[(u >> 8) & 0xF];
        *p++ = digits[(u >> 4) & 0xF];
        *p++ = digits[u & 0xF];
    }
    return out;
}

QString decodeHexText(QStringView stored)
{
    const QStringView text = trimBlanks(stored);
    QString out;
    out.reserve(text.size() / 4);
    char16_t unit = 0;
    int digits = 0;
    for (const QChar c : text) {
        const int value = hexDigitValue(c.unicode());
        if (value < 0)
            return QString();
        unit = char16_t(unit * 16 + value);
        if (++digits == 4) {
            out.append(QChar(unit));
            unit = 0;
            digits = 0;
        }
    }
    return out;
}

int64_t hexToInt64(QStringView stored)
{
    uint64_t value = 0;
    for (const QChar c : trimBlanks(stored)) {
        const int digit = hexDigitValue(c.unicode());
        if (digit < 0)
            return -1;
        value = (value << 4) | uint64_t(digit);
    }
    return int64_t(value);
}

QByteArray int64ToHex(int64_t value)
{
    QByteArray out(16, Qt::Uninitialized);
    char *p = out.data();
    uint64_t bits = uint64_t(value);
    for (int i = 15; i >= 0; --i, bits >>= 4)
        p[i] = digits[bits & 0xF];
    return out;
}

QString cutStoredText(const QString &text)
{
    if (text.size() <= maxStoredTextLength)
        return text;
    int length = maxStoredTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}
