#include "addresskeys.h"

#include "store/textutil.h"

#include <QFile>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <algorithm>

// The resource lives in a static library: without this its registration would never be
// linked in. Outside any namespace, where the resource's own function is.
static void InitResources()
{
    Q_INIT_RESOURCE(exchange);
}

namespace {
QStringList LoadTrackingList()
{
    InitResources();
    QFile file(QStringLiteral(":/exchange/tracking-parameters.txt"));
    QStringList names;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (const QByteArray name = line.trimmed().toLower();
                !name.isEmpty() && !name.startsWith('#'))
                names << QString::fromUtf8(name);
    return names;
}
} // namespace

namespace exchange {
namespace {
// An address split as written; the pieces hold no delimiters.
struct AddressParts
{
    QString scheme;
    bool hierarchical = false; // "scheme://authority..."
    QString userInfo;          // with its "@"
    QString host;
    QString port; // without ":"; empty when none
    QString path;
    QString query;
    QString fragment;
    bool hasQuery = false;
    bool hasFragment = false;

    QString compose() const
    {
        QString out;
        out.reserve(scheme.size() + host.size() + path.size() + query.size() + fragment.size() +
                    16);
        if (!scheme.isEmpty())
            out += scheme + u':';
        if (hierarchical) {
            out += QLatin1StringView("//") + userInfo + host;
            if (!port.isEmpty())
                out += u':' + port;
        }
        out += path;
        if (hasQuery)
            out += u'?' + query;
        if (hasFragment)
            out += u'#' + fragment;
        return out;
    }
};

bool IsSchemeChar(QChar c, bool first)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    return letter || (!first && ((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.'));
}

qsizetype SchemeLength(QStringView url)
{
    qsizetype i = 0;
    while (i < url.size() && IsSchemeChar(url[i], i == 0))
        ++i;
    return i > 0 && i < url.size() && url[i] == u':' ? i : 0;
}

AddressParts Split(QStringView url)
{
    AddressParts parts;
    url = TrimBlanks(url);
    const qsizetype schemeLength = SchemeLength(url);
    parts.scheme = url.first(schemeLength).toString().toLower();
    QStringView rest = url.sliced(schemeLength > 0 ? schemeLength + 1 : 0);
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0) {
        parts.hasFragment = true;
        parts.fragment = rest.sliced(hash + 1).toString();
        rest = rest.first(hash);
    }
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        parts.hasQuery = true;
        parts.query = rest.sliced(question + 1).toString();
        rest = rest.first(question);
    }
    if (rest.startsWith(u"//")) {
        parts.hierarchical = true;
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf(u'/');
        QStringView authority = slash < 0 ? rest : rest.first(slash);
        rest = slash < 0 ? QStringView() : rest.sliced(slash);
        if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
            parts.userInfo = authority.first(at + 1).toString();
            authority = authority.sliced(at + 1);
        }
        const qsizetype colon = authority.lastIndexOf(u':');
        if (colon >= 0 && authority.indexOf(u']', colon) < 0) {
            parts.port = authority.sliced(colon + 1).toString();
            authority = authority.first(colon);
        }
        parts.host = authority.toString();
    }
    parts.path = rest.toString();
    return parts;
}

bool IsAsciiSafe(char16_t c)
{
    return c > 0x20 && c < 0x7F;
}

// Every character outside printable ASCII as percent-escaped UTF-8 bytes.
QString PercentEncoded(const QString &text)
{
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return IsAsciiSafe(c.unicode()); }))
        return text;
    QString out;
    for (const QChar c : text) {
        if (IsAsciiSafe(c.unicode())) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8()) // lone surrogates become U+FFFD
            out += u'%' + QString::number(uchar(byte), 16).rightJustified(2, u'0').toUpper();
    }
    return out;
}

// The host's ASCII form: an international name as punycode; one that has none stays
// percent-encoded.
QString AsciiHost(const QString &host)
{
    const bool ascii =
        std::all_of(host.cbegin(), host.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return PercentEncoded(host);
    const QByteArray ace = QUrl::toAce(host);
    return ace.isEmpty() ? PercentEncoded(host) : QString::fromLatin1(ace);
}

AddressParts AsciiParts(QStringView url)
{
    AddressParts parts = Split(url);
    parts.userInfo = PercentEncoded(parts.userInfo);
    parts.host = AsciiHost(parts.host);
    parts.port = PercentEncoded(parts.port);
    parts.path = PercentEncoded(parts.path);
    parts.query = PercentEncoded(parts.query);
    parts.fragment = PercentEncoded(parts.fragment);
    return parts;
}

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

bool IsUnreserved(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Escapes of unreserved characters decoded, the others upper-cased.
void NormalizeEscapes(QString &text)
{
    qsizetype percent = text.indexOf(u'%');
    if (percent < 0)
        return;
    QString out = text.first(percent);
    for (qsizetype i = percent; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == u'%' ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
            continue;
        }
        const int value = high * 16 + low;
        if (IsUnreserved(value))
            out += QChar(value);
        else
            out += u'%' + text.sliced(i + 1, 2).toUpper();
        i += 2;
    }
    text = out;
}

// "/a/./b/../c" becomes "/a/c".
QString WithoutDotSegments(const QString &path)
{
    if (!path.contains(u'.'))
        return path;
    const QStringList segments = path.split(u'/');
    QStringList kept;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments[i];
        const bool last = i + 1 == segments.size();
        if (segment == u"." || segment == u"..") {
            if (segment == u".." && kept.size() > 1)
                kept.removeLast();
            if (last)
                kept << QString(); // "/a/b/.." ends in "/"
            continue;
        }
        kept << segment;
    }
    return kept.join(u'/');
}

QString DefaultPort(const QString &scheme)
{
    if (scheme == u"http")
        return QStringLiteral("80");
    if (scheme == u"https")
        return QStringLiteral("443");
    if (scheme == u"ftp")
        return QStringLiteral("21");
    return {};
}

AddressParts SameParts(QStringView url)
{
    AddressParts parts = AsciiParts(url);
    for (QString *piece :
         {&parts.userInfo, &parts.host, &parts.path, &parts.query, &parts.fragment})
        NormalizeEscapes(*piece);
    if (parts.hierarchical) {
        parts.host = parts.host.toLower();
        if (parts.host.endsWith(u'.'))
            parts.host.chop(1);
        if (parts.port == DefaultPort(parts.scheme))
            parts.port.clear();
        parts.path = WithoutDotSegments(parts.path);
        if (parts.path.isEmpty())
            parts.path = QStringLiteral("/");
    }
    return parts;
}

// "www.", "www2." ... at the start of a host.
qsizetype WwwPrefixLength(const QString &host)
{
    if (!host.startsWith(u"www"))
        return 0;
    qsizetype i = 3;
    while (i < host.size() && host[i].isDigit())
        ++i;
    return i < host.size() - 1 && host[i] == u'.' ? i + 1 : 0;
}

QString PathWithoutIndex(QString path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView last = QStringView(path).sliced(slash + 1);
    for (const char16_t *index : {u"index.html", u"index.htm", u"index.php"})
        if (last.compare(index, Qt::CaseInsensitive) == 0)
            path.truncate(slash + 1);
    if (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString QueryWithoutTracking(const QString &query)
{
    QStringList kept;
    for (const QString &item : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        if (!isTrackingParameter(equals < 0 ? QStringView(item) : QStringView(item).first(equals)))
            kept << item;
    }
    std::sort(kept.begin(), kept.end());
    return kept.join(u'&');
}

QString ProbablySame(AddressParts parts)
{
    if (parts.scheme == u"http")
        parts.scheme = QStringLiteral("https");
    if (parts.hierarchical) {
        parts.host.remove(0, WwwPrefixLength(parts.host));
        parts.path = PathWithoutIndex(parts.path);
    }
    parts.query = QueryWithoutTracking(parts.query);
    parts.hasQuery = !parts.query.isEmpty();
    parts.hasFragment = parts.fragment.startsWith(u'!') || parts.fragment.startsWith(u'/');
    if (!parts.hasFragment)
        parts.fragment.clear();
    return parts.compose();
}
} // namespace

QString asciiAddress(QStringView url)
{
    return AsciiParts(url).compose();
}

QString schemeOf(QStringView url)
{
    url = TrimBlanks(url);
    return url.first(SchemeLength(url)).toString().toLower();
}

bool isWebAddress(QStringView url)
{
    const QString scheme = schemeOf(url);
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp";
}

AddressKeys addressKeys(QStringView url)
{
    const AddressParts parts = SameParts(url);
    return {parts.compose(), ProbablySame(parts)};
}

QString sameKey(QStringView url)
{
    return SameParts(url).compose();
}

bool isTrackingParameter(QStringView name)
{
    static const QStringList list = LoadTrackingList();
    static const QSet<QString> exact = [] {
        QSet<QString> names;
        for (const QString &n : list)
            if (!n.endsWith(u'*'))
                names.insert(n);
        return names;
    }();
    const QString lower = name.toString().toLower();
    if (exact.contains(lower))
        return true;
    return std::any_of(list.cbegin(), list.cend(), [&](const QString &n) {
        return n.endsWith(u'*') && lower.startsWith(QStringView(n).chopped(1));
    });
}
} // namespace exchange
