#include "charset.h"

#include "tokenizer.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace html {
namespace {
// Windows-1252 code points for the bytes 0x80..0x9F.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The labels browsers read as one of the two character sets handled here without Qt.
constexpr std::string_view utf8Labels[] = {
    "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8",
    // A document that the tokenizer could read is no UTF-16; browsers take UTF-8 then.
    "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "unicodefffe", "utf-16",
    "utf-16be", "utf-16le"};
constexpr std::string_view windows1252Labels[] = {"ansi_x3.4-1968",
                                                  "ascii",
                                                  "cp1252",
                                                  "cp819",
                                                  "csisolatin1",
                                                  "ibm819",
                                                  "iso-8859-1",
                                                  "iso-ir-100",
                                                  "iso8859-1",
                                                  "iso88591",
                                                  "iso_8859-1",
                                                  "iso_8859-1:1987",
                                                  "l1",
                                                  "latin1",
                                                  "us-ascii",
                                                  "windows-1252",
                                                  "x-cp1252",
                                                  "x-user-defined"};

bool isBlank(char c)
{
    return uchar(c) <= 0x20;
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

template <size_t N> bool contains(const std::string_view (&labels)[N], const QByteArray &label)
{
    const std::string_view name(label.constData(), size_t(label.size()));
    return std::find(std::begin(labels), std::end(labels), name) != std::end(labels);
}

// The value of the first "charset" parameter in a Content-Type value, read as browsers read
// it: blanks around "=", a quoted or a bare value.
QByteArrayView charsetParameter(QByteArrayView text)
{
    const QByteArray lower = text.toByteArray().toLower();
    for (qsizetype at = lower.indexOf("charset"); at >= 0; at = lower.indexOf("charset", at)) {
        at += 7;
        qsizetype pos = at;
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || text[pos] != '=')
            continue;
        ++pos;
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
            const qsizetype end = text.indexOf(text[pos], pos + 1);
            return end < 0 ? QByteArrayView() : text.sliced(pos + 1, end - pos - 1);
        }
        qsizetype end = pos;
        while (end < text.size() && !isBlank(text[end]) && text[end] != ';')
            ++end;
        return text.sliced(pos, end - pos);
    }
    return {};
}
} // namespace

char16_t windows1252(uchar byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? cp1252High[byte - 0x80] : char16_t(byte);
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes)
        *out++ = QChar(windows1252(uchar(b)));
    return text;
}

std::optional<QByteArray> toWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        const auto *hit = std::find(cp1252High.begin(), cp1252High.end(), u);
        if (hit == cp1252High.end())
            return std::nullopt;
        out.append(char(0x80 + (hit - cp1252High.begin())));
    }
    return out;
}

bool isStrictUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Plain ASCII eight bytes at a time.
        quint64 word = 0;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ULL) == 0)) {
            p += 8;
            continue;
        }
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        const int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
        if (more < 0 || b > 0xF4 || end - p <= more)
            return false;
        char32_t code = b & (0x3F >> more);
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        static constexpr char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString fromUtf8OrWindows1252(QByteArrayView bytes)
{
    return TextDecoder::forContent(bytes).decode(bytes);
}

TextDecoder TextDecoder::forContent(QByteArrayView bytes)
{
    return TextDecoder(isStrictUtf8(bytes) ? Kind::Utf8 : Kind::Windows1252);
}

std::optional<TextDecoder> TextDecoder::forLabel(QByteArrayView label)
{
    const QByteArray name = trimmed(label).toByteArray().toLower();
    if (name.isEmpty())
        return std::nullopt;
    if (contains(utf8Labels, name))
        return TextDecoder(Kind::Utf8);
    if (contains(windows1252Labels, name))
        return TextDecoder(Kind::Windows1252);
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QByteArray ascii = "\t\n\r";
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    if (QString(decoder.decode(ascii)) != QLatin1StringView(ascii))
        return std::nullopt;
    return TextDecoder(Kind::Other, decoder.name());
}

QString TextDecoder::decode(QByteArrayView bytes) const
{
    switch (m_kind) {
    case Kind::Utf8:
        return QString::fromUtf8(bytes);
    case Kind::Windows1252:
        return fromWindows1252(bytes);
    case Kind::Other:
        break;
    }
    return QStringDecoder(m_name.constData(), QStringDecoder::Flag::Stateless).decode(bytes);
}

QByteArray TextDecoder::name() const
{
    switch (m_kind) {
    case Kind::Utf8:
        return "UTF-8";
    case Kind::Windows1252:
        return "windows-1252";
    case Kind::Other:
        break;
    }
    return m_name;
}

bool takeByteOrderMark(QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        return true;
    }
    if (!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        return false;
    const auto encoding =
        bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
    bytes = QString(QStringDecoder(encoding).decode(QByteArrayView(bytes).sliced(2))).toUtf8();
    return true;
}

QByteArray headerCharset(QByteArrayView rawHeaders)
{
    QByteArray label;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rawHeaders.size(); ++i) {
        if (i < rawHeaders.size() && uchar(rawHeaders[i]) >= 0x20)
            continue;
        const QByteArrayView line = rawHeaders.sliced(start, i - start);
        start = i + 1;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 ||
            trimmed(line.first(colon)).compare("content-type", Qt::CaseInsensitive) != 0)
            continue;
        if (const QByteArrayView found = charsetParameter(line.sliced(colon + 1)); !found.isEmpty())
            label = found.toByteArray();
    }
    return label;
}

QByteArrayView metaCharset(const Tokenizer &tag)
{
    if (tag.hasAttribute("charset"))
        return tag.attribute("charset");
    if (trimmed(tag.attribute("http-equiv")).compare("content-type", Qt::CaseInsensitive) != 0)
        return {};
    return charsetParameter(tag.attribute("content"));
}

TextDecoder documentDecoder(bool byteOrderMark, QByteArrayView headerLabel,
                            const std::optional<TextDecoder> &meta, QByteArrayView content)
{
    if (byteOrderMark)
        return TextDecoder::utf8();
    if (std::optional<TextDecoder> header = TextDecoder::forLabel(headerLabel))
        return *header;
    return meta ? *meta : TextDecoder::forContent(content);
}
} // namespace html
