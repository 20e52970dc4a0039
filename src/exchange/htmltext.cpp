#include "htmltext.h"

#include "htmltokenizer.h"
#include "store/textutil.h"

#include <QStringDecoder>
#include <array>

namespace exchange {
namespace {
struct NamedReference
{
    QLatin1StringView name;
    char16_t code;
};

// What bookmark files hold in practice: the XML five, the space and the typographic marks.
constexpr std::array<NamedReference, 24> References = {{
    {QLatin1StringView("amp"), u'&'},     {QLatin1StringView("lt"), u'<'},
    {QLatin1StringView("gt"), u'>'},      {QLatin1StringView("quot"), u'"'},
    {QLatin1StringView("apos"), u'\''},   {QLatin1StringView("nbsp"), 0xA0},
    {QLatin1StringView("copy"), 0xA9},    {QLatin1StringView("reg"), 0xAE},
    {QLatin1StringView("trade"), 0x2122}, {QLatin1StringView("ndash"), 0x2013},
    {QLatin1StringView("mdash"), 0x2014}, {QLatin1StringView("lsquo"), 0x2018},
    {QLatin1StringView("rsquo"), 0x2019}, {QLatin1StringView("ldquo"), 0x201C},
    {QLatin1StringView("rdquo"), 0x201D}, {QLatin1StringView("hellip"), 0x2026},
    {QLatin1StringView("bull"), 0x2022},  {QLatin1StringView("middot"), 0xB7},
    {QLatin1StringView("laquo"), 0xAB},   {QLatin1StringView("raquo"), 0xBB},
    {QLatin1StringView("euro"), 0x20AC},  {QLatin1StringView("pound"), 0xA3},
    {QLatin1StringView("sect"), 0xA7},    {QLatin1StringView("deg"), 0xB0},
}};

constexpr qsizetype MaxReferenceLength = 10;

// The character of one reference body ("amp", "#233", "#xE9"); 0 when it is none.
char32_t ReferenceCode(QStringView body)
{
    if (body.startsWith(u'#')) {
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const QStringView digits = body.sliced(hex ? 2 : 1);
        bool ok = false;
        const uint code = digits.isEmpty() || digits[0] == u'+' || digits[0] == u'-'
                              ? 0
                              : digits.toUInt(&ok, hex ? 16 : 10);
        const bool valid = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        return valid ? char32_t(code) : 0;
    }
    for (const NamedReference &r : References)
        if (body == r.name)
            return r.code;
    return 0;
}

// The character set a META tag of the file's head declares, if any.
QByteArray MetaCharset(QByteArrayView bytes)
{
    HtmlTokenizer tokens(bytes);
    for (auto t = tokens.next(); t != HtmlTokenizer::Token::End; t = tokens.next()) {
        if (t != HtmlTokenizer::Token::StartTag)
            continue;
        if (tokens.nameIs("DL") || tokens.nameIs("DT") || tokens.nameIs("A"))
            break; // the entries have begun
        if (!tokens.nameIs("META"))
            continue;
        QByteArrayView charset = tokens.attribute("charset");
        const QByteArrayView content = tokens.attribute("content");
        const qsizetype at = content.toByteArray().toLower().indexOf("charset=");
        if (charset.isEmpty() && at >= 0)
            charset = content.sliced(at + 8);
        const qsizetype end = charset.indexOf(';');
        if (end >= 0)
            charset = charset.first(end);
        if (!charset.isEmpty())
            return TrimBlanks(charset).toByteArray().toUpper();
    }
    return {};
}

// A declared character set is used only when Qt knows it and it reads ASCII as ASCII.
bool IsUsable(const QByteArray &charset)
{
    if (charset.isEmpty())
        return false;
    QStringDecoder decoder(charset.constData(), QStringDecoder::Flag::Stateless);
    static const QByteArray Probe = "<A HREF=\"x\">&#;</A>";
    return decoder.isValid() && QString(decoder.decode(Probe)) == QLatin1StringView(Probe);
}
} // namespace

HtmlTextDecoder HtmlTextDecoder::forFile(QByteArray &bytes)
{
    HtmlTextDecoder decoder;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        return decoder;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding =
            bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
        bytes = QString(QStringDecoder(encoding).decode(QByteArrayView(bytes).sliced(2))).toUtf8();
        return decoder;
    }
    const QByteArray charset = MetaCharset(bytes);
    if (charset == "UTF-8" || charset == "UTF8")
        return decoder;
    if (IsUsable(charset)) {
        decoder.m_kind = Kind::Named;
        decoder.m_charset = charset;
    } else if (!isStrictUtf8(bytes)) {
        decoder.m_kind = Kind::Windows1252;
    }
    return decoder;
}

QString HtmlTextDecoder::text(QByteArrayView raw) const
{
    QString decoded;
    switch (m_kind) {
    case Kind::Utf8:
        decoded = QString::fromUtf8(raw);
        break;
    case Kind::Windows1252:
        decoded = FromWindows1252(raw);
        break;
    case Kind::Named:
        decoded =
            QStringDecoder(m_charset.constData(), QStringDecoder::Flag::Stateless).decode(raw);
        break;
    }
    return decodeReferences(decoded).simplified();
}

bool isStrictUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
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
        static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000};
        if (code < Least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString decodeReferences(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp < 0)
            break;
        out += text.sliced(i, amp - i);
        const qsizetype semicolon =
            text.sliced(amp, qMin(text.size() - amp, MaxReferenceLength + 2)).indexOf(u';');
        const char32_t code =
            semicolon > 1 ? ReferenceCode(text.sliced(amp + 1, semicolon - 1)) : 0;
        if (code == 0) {
            out += u'&';
            i = amp + 1;
            continue;
        }
        out += QStringView(QChar::fromUcs4(code));
        i = amp + semicolon + 1;
    }
    out += text.sliced(i);
    return out;
}

QString escapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
} // namespace exchange
