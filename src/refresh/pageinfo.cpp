#include "pageinfo.h"

#include "htmlscanner.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace {

// clang-format off
constexpr std::array<THTMLReference, 243> References = {{
    {"quot", 34}, {"amp", 38}, {"lt", 60}, {"gt", 62},
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164},
    {"yen", 165}, {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169},
    {"ordf", 170}, {"laquo", 171}, {"not", 172}, {"shy", 173}, {"reg", 174},
    {"macr", 175}, {"deg", 176}, {"plusmn", 177}, {"sup2", 178}, {"sup3", 179},
    {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183}, {"cedil", 184},
    {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
    {"Atilde", 195}, {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199},
    {"Egrave", 200}, {"Eacute", 201}, {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204},
    {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207}, {"ETH", 208}, {"Ntilde", 209},
    {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213}, {"Ouml", 214},
    {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219},
    {"Uuml", 220}, {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224},
    {"aacute", 225}, {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229},
    {"aelig", 230}, {"ccedil", 231}, {"egrave", 232}, {"eacute", 233}, {"ecirc", 234},
    {"euml", 235}, {"igrave", 236}, {"iacute", 237}, {"icirc", 238}, {"iuml", 239},
    {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},
    {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248}, {"ugrave", 249},
    {"uacute", 250}, {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254},
    {"yuml", 255},
    {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916}, {"Epsilon", 917},
    {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927},
    {"Pi", 928}, {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933},
    {"Phi", 934}, {"Chi", 935}, {"Psi", 936}, {"Omega", 937},
    {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948}, {"epsilon", 949},
    {"zeta", 950}, {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954},
    {"lambda", 955}, {"mu", 956}, {"nu", 957}, {"xi", 958}, {"omicron", 959},
    {"pi", 960}, {"rho", 961}, {"sigmaf", 962}, {"sigma", 963}, {"tau", 964},
    {"upsilon", 965}, {"phi", 966}, {"chi", 967}, {"psi", 968}, {"omega", 969},
    {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"bull", 8226}, {"hellip", 8230}, {"prime", 8242}, {"oline", 8254}, {"frasl", 8260},
    {"weierp", 8472}, {"image", 8465}, {"real", 8476}, {"trade", 8482}, {"alefsym", 8501},
    {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595}, {"harr", 8596},
    {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704}, {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711},
    {"isin", 8712}, {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721},
    {"minus", 8722}, {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734},
    {"ang", 8736}, {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746},
    {"int", 8747}, {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776},
    {"ne", 8800}, {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834},
    {"sup", 8835}, {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853},
    {"otimes", 8855}, {"perp", 8869}, {"sdot", 8901},
    {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001},
    {"rang", 9002}, {"loz", 9674}, {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829},
    {"diams", 9830},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205},
    {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216},
    {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225}, {"permil", 8240}, {"lsaquo", 8249},
    {"rsaquo", 8250}, {"euro", 8364},
}};
// clang-format on

// A name of at most eight ASCII letters and digits packed into one number, so that a
// lookup compares numbers instead of strings.
constexpr quint64 PackName(std::string_view name)
{
    quint64 key = 0;
    for (size_t i = 0; i < name.size(); ++i)
        key |= quint64(uchar(name[i])) << (8 * i);
    return key;
}

constexpr qsizetype LongestName = [] {
    size_t longest = 0;
    for (const auto &r : References)
        longest = std::max(longest, std::string_view(r.Name).size());
    return qsizetype(longest);
}();
static_assert(LongestName <= 8);

struct PackedReference
{
    quint64 key;
    char16_t code;
};

// Everything after "quot" and "amp", sorted for lookup. Those two come first in the
// decoding order, so a reference that an "&amp;" forms never decodes to them.
constexpr auto LaterByKey = [] {
    std::array<PackedReference, References.size() - 2> sorted{};
    for (size_t i = 2; i < References.size(); ++i)
        sorted[i - 2] = {PackName(References[i].Name), References[i].Code};
    std::sort(sorted.begin(), sorted.end(),
              [](const PackedReference &a, const PackedReference &b) { return a.key < b.key; });
    return sorted;
}();

bool IsAsciiAlnum(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The character of a later table entry whose name is the text, or 0.
char16_t LookUpLater(QStringView name)
{
    quint64 key = 0;
    for (qsizetype i = 0; i < name.size(); ++i)
        key |= quint64(name[i].unicode()) << (8 * i);
    const auto *hit =
        std::lower_bound(LaterByKey.begin(), LaterByKey.end(), key,
                         [](const PackedReference &r, quint64 k) { return r.key < k; });
    return (hit != LaterByKey.end() && hit->key == key) ? hit->code : 0;
}

bool HasAt(QStringView text, qsizetype pos, std::string_view ascii)
{
    if (text.size() - pos < qsizetype(ascii.size()))
        return false;
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (text[pos + qsizetype(i)].unicode() != char16_t(ascii[i]))
            return false;
    }
    return true;
}

// Replacing the first occurrence of each entry as long as there is one, entry by entry,
// amounts to this left-to-right pass: "&quot;" is decoded where written; a run of "amp;"
// after "&" shrinks to one "&", which may then start a later entry's reference; every
// later entry is decoded where written. No replacement forms a reference to its left.
QString DecodeNamed(QStringView text)
{
    const char16_t *const s = text.utf16();
    const qsizetype n = text.size();
    QString out(n, Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *o = begin;
    qsizetype i = 0;
    while (i < n) {
        if (s[i] != u'&') {
            *o++ = s[i++];
            continue;
        }
        if (HasAt(text, i + 1, "quot;")) {
            *o++ = u'"';
            i += 6;
            continue;
        }
        qsizetype name = i + 1;
        while (HasAt(text, name, "amp;"))
            name += 4;
        qsizetype end = name;
        while (end < n && end - name < LongestName && IsAsciiAlnum(s[end]))
            ++end;
        if (end > name && end < n && s[end] == u';') {
            if (const char16_t code = LookUpLater(text.sliced(name, end - name))) {
                *o++ = code;
                i = end + 1;
                continue;
            }
        }
        *o++ = u'&';
        i = name;
    }
    out.truncate(o - begin);
    return out;
}

// Numeric references, from the fourth-last character back to the first, each decoded
// in the text as the decodings to its right left it. The text to the right is kept on a
// stack (its first character on top), so every step looks only at the top: a decoded
// reference is popped and its character pushed, and digits that did not form a valid
// reference end up below "&#" where no later reference can reach them again.
QString DecodeNumeric(QStringView text)
{
    const qsizetype n = text.size();
    if (n < 4)
        return text.toString();
    std::unique_ptr<char16_t[]> stack(new char16_t[n]);
    qsizetype top = 0; // the number of characters on the stack
    for (qsizetype i = n - 1; i > n - 4; --i)
        stack[top++] = text[i].unicode();
    for (qsizetype i = n - 4; i >= 0; --i) {
        const char16_t c = text[i].unicode();
        stack[top++] = c;
        if (c != u'&' || stack[top - 2] != u'#')
            continue;
        // The digits run down from below the "#"; the first ";" must come after them.
        qsizetype k = top - 3;
        const bool hex = k >= 0 && (stack[k] == u'x' || stack[k] == u'X');
        if (hex)
            --k;
        const qsizetype firstDigit = k;
        char32_t value = 0;
        bool tooLarge = false;
        for (; k >= 0; --k) {
            const int digit = hex ? HexDigitValue(stack[k])
                                  : (stack[k] >= u'0' && stack[k] <= u'9' ? stack[k] - u'0' : -1);
            if (digit < 0)
                break;
            value = value * (hex ? 16 : 10) + char32_t(digit);
            tooLarge = tooLarge || value > 0x10FFFF;
            if (tooLarge)
                value = 0x110000;
        }
        if (k < 0 || k == firstDigit || stack[k] != u';')
            continue;
        if (tooLarge || (value >= 0xD800 && value <= 0xDFFF))
            continue;
        top = k; // the reference from "&" to ";" is replaced
        if (value > 0xFFFF) {
            stack[top++] = QChar::lowSurrogate(value);
            stack[top++] = QChar::highSurrogate(value);
        } else {
            stack[top++] = char16_t(value);
        }
    }
    QString out(top, Qt::Uninitialized);
    std::reverse_copy(stack.get(), stack.get() + top, reinterpret_cast<char16_t *>(out.data()));
    return out;
}

QByteArray CleanDeclaration(QByteArrayView line)
{
    QByteArray clean(line.size(), Qt::Uninitialized);
    char *out = clean.data();
    for (const char c : line) {
        if (uchar(c) <= 32 || c == '"' || c == '\'')
            continue;
        *out++ = (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
    }
    clean.truncate(out - clean.constData());
    return clean;
}

// A declaration line such as "Content-Type: text/html; charset=UTF-8" sets charset when
// it names one; a later "charset=" overwrites an earlier one.
void ReadDeclaration(QByteArrayView line, char separator, QByteArray &charset)
{
    const QByteArray clean = CleanDeclaration(line);
    const qsizetype sep = clean.indexOf(separator);
    if (sep <= 0 || sep == clean.size() - 1)
        return;
    if (QByteArrayView(clean).first(sep) != "CONTENT-TYPE")
        return;
    const QByteArrayView value = QByteArrayView(clean).sliced(sep + 1);
    qsizetype start = 0;
    while (start <= value.size()) {
        qsizetype end = value.indexOf(';', start);
        if (end < 0)
            end = value.size();
        const QByteArrayView part = value.sliced(start, end - start);
        if (part.startsWith("CHARSET="))
            charset = part.sliced(8).toByteArray();
        start = end + 1;
    }
}

// WHATWG labels of windows-1252: pages that declare Latin-1 or ASCII are written in it.
bool IsWindows1252Label(QByteArrayView upper)
{
    static constexpr std::string_view labels[] = {
        "ANSI_X3.4-1968", "ASCII",           "CP1252",     "CP819",     "CSISOLATIN1",
        "IBM819",         "ISO-8859-1",      "ISO-IR-100", "ISO8859-1", "ISO88591",
        "ISO_8859-1",     "ISO_8859-1:1987", "L1",         "LATIN1",    "US-ASCII",
        "WINDOWS-1252",   "X-CP1252"};
    const std::string_view name(upper.data(), size_t(upper.size()));
    return std::find(std::begin(labels), std::end(labels), name) != std::end(labels);
}

enum class CharsetKind { None, Utf8, Windows1252, Other };

CharsetKind KindOf(QByteArrayView charset)
{
    if (charset.isEmpty())
        return CharsetKind::None;
    const QByteArray upper = charset.toByteArray().toUpper();
    if (upper == "UTF-8" || upper == "UTF8")
        return CharsetKind::Utf8;
    if (IsWindows1252Label(upper))
        return CharsetKind::Windows1252;
    QStringDecoder decoder(upper.constData());
    if (!decoder.isValid())
        return CharsetKind::None;
    // The scanner finds markup as ASCII bytes; a set that reads them otherwise
    // (UTF-16, EBCDIC, UTF-7) cannot be what the page is written in.
    QByteArray ascii;
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    if (QString(decoder.decode(ascii)) != QLatin1StringView(ascii))
        return CharsetKind::None;
    return CharsetKind::Other;
}

} // namespace

TPageInfo ReadPageInfo(const QByteArray &body, const QByteArray &rawHeaders)
{
    THTMLScanner scanner;
    scanner.Parse(body, rawHeaders);
    return TPageInfo{scanner.GetTitle(), scanner.GetDescription()};
}

THeadInfo ReadHead(const THTMLScanner &scanner)
{
    static constexpr QByteArrayView HeadEnd("/HEAD", 5), Title("TITLE", 5), TitleEnd("/TITLE", 6),
        Meta("META", 4);
    THeadInfo head;
    bool inTitle = false;
    for (qsizetype i = 0; i < scanner.ObjectCount(); ++i) {
        const THTMLObject object = scanner.Object(i);
        if (object.Kind() == THTMLKind::Text) {
            if (inTitle)
                head.Title += object.Bytes();
            continue;
        }
        // Only names of four to six bytes matter.
        const std::optional<THTMLTag> tag = object.Tag();
        if (!tag || object.Bytes().size() < 4 || object.Bytes().size() > 6)
            continue;
        if (tag->NameIs(HeadEnd))
            break;
        if (tag->NameIs(Title)) {
            inTitle = true;
        } else if (tag->NameIs(TitleEnd)) {
            inTitle = false;
        } else if (tag->NameIs(Meta)) {
            if (tag->ParamValueUpper("NAME") == "DESCRIPTION" &&
                (head.Description.isEmpty() || tag->ParamValueUpper("LANG") == "EN"))
                head.Description = tag->ParamValue("CONTENT").toByteArray();
            if (tag->ParamValueUpper("HTTP-EQUIV") == "CONTENT-TYPE")
                ReadDeclaration("CONTENT-TYPE=" + tag->ParamValue("CONTENT").toByteArray(), '=',
                                head.MetaCharset);
            // The short form of later HTML, <meta charset="...">.
            if (tag->IndexOfParam("CHARSET") >= 0)
                head.MetaCharset = CleanDeclaration(tag->ParamValue("CHARSET"));
        }
    }
    return head;
}

QByteArray HeaderCharset(QByteArrayView rawHeaders)
{
    QByteArray charset;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rawHeaders.size(); ++i) {
        if (i < rawHeaders.size() && uchar(rawHeaders[i]) >= 32)
            continue;
        if (i > start)
            ReadDeclaration(rawHeaders.sliced(start, i - start), ':', charset);
        start = i + 1;
    }
    return charset;
}

bool IsUsableCharset(QByteArrayView charset)
{
    return KindOf(charset) != CharsetKind::None;
}

QString DecodeCharset(QByteArrayView bytes, QByteArrayView charset)
{
    switch (KindOf(charset)) {
    case CharsetKind::None:
        return FromNarrow(bytes);
    case CharsetKind::Utf8:
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless).decode(bytes);
    case CharsetKind::Windows1252:
        return FromWindows1252(bytes);
    case CharsetKind::Other:
        break;
    }
    QStringDecoder decoder(charset.toByteArray().toUpper().constData());
    return QString(decoder.decode(bytes));
}

std::span<const THTMLReference> NamedReferences()
{
    return References;
}

QString DecodeReferences(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    return DecodeNumeric(DecodeNamed(text));
}

QString DecodeHTML(QByteArrayView text, QByteArrayView charset)
{
    return DecodeReferences(DecodeCharset(text, charset));
}
