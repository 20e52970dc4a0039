#include "addresskeys.h"

#include "store/hextext.h"
#include "store/textutil.h"

#include <QFile>
#include <QStringList>
#include <QUrl>
#include <algorithm>

// The resource lives in a static library: without this its registration would never be
// linked in. Outside any namespace, where the resource's own function is.
static void initResources()
{
    Q_INIT_RESOURCE(exchange);
}

namespace {
QStringList loadTrackingList()
{
    initResources();
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
// An address split as written: views into it, without the delimiters.
struct AddressView
{
    QStringView scheme;
    bool hierarchical = false; // "scheme://authority..."
    QStringView userInfo;      // with its "@"
    QStringView host;
    QStringView port; // empty when none
    QStringView path;
    QStringView query;
    QStringView fragment;
    bool hasQuery = false;
    bool hasFragment = false;
};

bool isSchemeChar(QChar c, bool first)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    return letter || (!first && ((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.'));
}

qsizetype schemeLength(QStringView url)
{
    qsizetype i = 0;
    while (i < url.size() && isSchemeChar(url[i], i == 0))
        ++i;
    return i > 0 && i < url.size() && url[i] == u':' ? i : 0;
}

AddressView split(QStringView url)
{
    AddressView parts;
    url = trimBlanks(url);
    const qsizetype schemeSize = schemeLength(url);
    parts.scheme = url.first(schemeSize);
    QStringView rest = url.sliced(schemeSize > 0 ? schemeSize + 1 : 0);
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0) {
        parts.hasFragment = true;
        parts.fragment = rest.sliced(hash + 1);
        rest = rest.first(hash);
    }
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        parts.hasQuery = true;
        parts.query = rest.sliced(question + 1);
        rest = rest.first(question);
    }
    if (rest.startsWith(u"//")) {
        parts.hierarchical = true;
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf(u'/');
        QStringView authority = slash < 0 ? rest : rest.first(slash);
        rest = slash < 0 ? QStringView() : rest.sliced(slash);
        if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
            parts.userInfo = authority.first(at + 1);
            authority = authority.sliced(at + 1);
        }
        const qsizetype colon = authority.lastIndexOf(u':');
        if (colon >= 0 && authority.indexOf(u']', colon) < 0) {
            parts.port = authority.sliced(colon + 1);
            authority = authority.first(colon);
        }
        parts.host = authority;
    }
    parts.path = rest;
    return parts;
}

bool isAsciiSafe(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F;
}

bool allAsciiSafe(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isAsciiSafe);
}

void appendLower(QString &out, QStringView text)
{
    const qsizetype start = out.size();
    out += text;
    for (QChar *c = out.data() + start, *end = out.data() + out.size(); c != end; ++c)
        if (c->unicode() >= u'A' && c->unicode() <= u'Z')
            *c = QChar(c->unicode() + 32);
}

// Every character outside printable ASCII as percent-escaped UTF-8 bytes.
void appendPercentEncoded(QString &out, QStringView text)
{
    if (allAsciiSafe(text)) {
        out += text;
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isAsciiSafe(text[i])) {
            out += text[i];
            continue;
        }
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        for (const char byte : text.sliced(i, pair ? 2 : 1).toUtf8()) // lone: U+FFFD
            out += u'%' + QString::number(uchar(byte), 16).rightJustified(2, u'0').toUpper();
        i += pair ? 1 : 0;
    }
}

// The host's ASCII form: an international name as punycode; one that has none stays
// percent-encoded.
void appendAsciiHost(QString &out, QStringView host)
{
    const bool ascii =
        std::all_of(host.begin(), host.end(), [](QChar c) { return c.unicode() < 0x80; });
    const QByteArray ace = ascii ? QByteArray() : QUrl::toAce(host.toString());
    if (ace.isEmpty())
        appendPercentEncoded(out, host);
    else
        out += QLatin1StringView(ace);
}

// "scheme:" and, for an address with an authority, "//".
void appendSchemeStart(QString &out, const AddressView &v)
{
    if (!v.scheme.isEmpty()) {
        appendLower(out, v.scheme);
        out += u':';
    }
    if (v.hierarchical)
        out += QLatin1StringView("//");
}

// "?query#fragment" as far as the address has them, each piece through append.
template <typename Append>
void appendQueryAndFragment(QString &out, const AddressView &v, Append append)
{
    if (v.hasQuery) {
        out += u'?';
        append(out, v.query);
    }
    if (v.hasFragment) {
        out += u'#';
        append(out, v.fragment);
    }
}

void appendAsciiAddress(QString &out, const AddressView &v)
{
    appendSchemeStart(out, v);
    if (v.hierarchical) {
        appendPercentEncoded(out, v.userInfo);
        appendAsciiHost(out, v.host);
        if (!v.port.isEmpty()) {
            out += u':';
            appendPercentEncoded(out, v.port);
        }
    }
    appendPercentEncoded(out, v.path);
    appendQueryAndFragment(out, v, appendPercentEncoded);
}

bool isUnreserved(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Escapes of unreserved characters decoded, the others upper-cased.
void appendNormalized(QString &out, QStringView text)
{
    if (!text.contains(u'%')) {
        out += text;
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high =
            i + 2 < text.size() && text[i] == u'%' ? hexDigitValue(text[i + 1].unicode()) : -1;
        const int low = high >= 0 ? hexDigitValue(text[i + 2].unicode()) : -1;
        if (low < 0) {
            out += text[i];
            continue;
        }
        const int value = high * 16 + low;
        if (isUnreserved(value)) {
            out += QChar(value);
        } else {
            out += u'%';
            out += QChar(text[i + 1].toUpper());
            out += QChar(text[i + 2].toUpper());
        }
        i += 2;
    }
}

// "/a/./b/../c" becomes "/a/c".
QString withoutDotSegments(QStringView path)
{
    const QList<QStringView> segments = path.split(u'/');
    QStringList kept;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QStringView segment = segments[i];
        const bool last = i + 1 == segments.size();
        if (segment == u"." || segment == u"..") {
            if (segment == u".." && kept.size() > 1)
                kept.removeLast();
            if (last)
                kept << QString(); // "/a/b/.." ends in "/"
            continue;
        }
        kept << segment.toString();
    }
    return kept.join(u'/');
}

bool isDefaultPort(QStringView scheme, QStringView port)
{
    const auto is = [&](QStringView name) {
        return scheme.compare(name, Qt::CaseInsensitive) == 0;
    };
    return (port == u"80" && is(u"http")) || (port == u"443" && is(u"https")) ||
           (port == u"21" && is(u"ftp"));
}

// The "same" key of an address in ASCII form, in one pass.
QString sameKeyOfAscii(QStringView ascii)
{
    const AddressView v = split(ascii);
    QString out;
    out.reserve(ascii.size() + 1);
    appendSchemeStart(out, v);
    if (v.hierarchical) {
        appendNormalized(out, v.userInfo);
        const qsizetype hostStart = out.size();
        if (v.host.contains(u'%')) {
            QString host;
            appendNormalized(host, v.host);
            appendLower(out, host);
        } else {
            appendLower(out, v.host);
        }
        if (out.size() > hostStart && out.back() == u'.')
            out.chop(1);
        if (!v.port.isEmpty() && !isDefaultPort(v.scheme, v.port)) {
            out += u':';
            out += v.port;
        }
    }
    const qsizetype pathStart = out.size();
    appendNormalized(out, v.path);
    if (v.hierarchical && QStringView(out).sliced(pathStart).contains(u"/.")) {
        const QString path = withoutDotSegments(QStringView(out).sliced(pathStart));
        out.truncate(pathStart);
        out += path;
    }
    if (v.hierarchical && out.size() == pathStart)
        out += u'/';
    appendQueryAndFragment(out, v, appendNormalized);
    return out;
}

// "www.", "www2." ... at the start of a host.
qsizetype wwwPrefixLength(QStringView host)
{
    if (!host.startsWith(u"www"))
        return 0;
    qsizetype i = 3;
    while (i < host.size() && host[i].isDigit())
        ++i;
    return i < host.size() - 1 && host[i] == u'.' ? i + 1 : 0;
}

QStringView pathWithoutIndex(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView last = path.sliced(slash + 1);
    for (const char16_t *index : {u"index.html", u"index.htm", u"index.php"})
        if (last.compare(index, Qt::CaseInsensitive) == 0)
            path.truncate(slash + 1);
    return path.endsWith(u'/') ? path.chopped(1) : path;
}

void appendQueryWithoutTracking(QString &out, QStringView query)
{
    std::vector<QStringView> kept;
    for (const QStringView item : query.tokenize(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        if (!isTrackingParameter(equals < 0 ? item : item.first(equals)))
            kept.push_back(item);
    }
    std::sort(kept.begin(), kept.end());
    for (size_t i = 0; i < kept.size(); ++i) {
        out += i == 0 ? u'?' : u'&';
        out += kept[i];
    }
}

// The "probably same" key, from the "same" key.
QString probablySame(QStringView same)
{
    const AddressView v = split(same);
    QString out;
    out.reserve(same.size());
    if (!v.scheme.isEmpty()) {
        out += v.scheme == u"http" ? QStringView(u"https") : v.scheme;
        out += u':';
    }
    if (v.hierarchical) {
        out += QLatin1StringView("//");
        out += v.userInfo;
        out += v.host.sliced(wwwPrefixLength(v.host));
        if (!v.port.isEmpty()) {
            out += u':';
            out += v.port;
        }
    }
    out += v.hierarchical ? pathWithoutIndex(v.path) : v.path;
    appendQueryWithoutTracking(out, v.query);
    if (v.fragment.startsWith(u'!') || v.fragment.startsWith(u'/')) {
        out += u'#';
        out += v.fragment;
    }
    return out;
}

// The common schemes share one string, so that asking for one needs no copy.
QString lowerScheme(QStringView scheme)
{
    static const QString commonSchemes[] = {QStringLiteral("https"), QStringLiteral("http"),
                                            QStringLiteral("ftp")};
    for (const QString &common : commonSchemes)
        if (scheme.compare(common, Qt::CaseInsensitive) == 0)
            return common;
    return scheme.toString().toLower();
}
} // namespace

QString asciiAddress(QStringView url)
{
    QString out;
    out.reserve(url.size() + 8);
    appendAsciiAddress(out, split(url));
    return out;
}

QString schemeOf(QStringView url)
{
    url = trimBlanks(url);
    return lowerScheme(url.first(schemeLength(url)));
}

bool isWebAddress(QStringView url)
{
    const QString scheme = schemeOf(url);
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp";
}

AddressKeys addressKeys(QStringView url)
{
    QString same = sameKey(url);
    QString probably = probablySame(same);
    return {std::move(same), std::move(probably)};
}

QString sameKey(QStringView url)
{
    const QStringView trimmed = trimBlanks(url);
    return allAsciiSafe(trimmed) ? sameKeyOfAscii(trimmed) : sameKeyOfAscii(asciiAddress(trimmed));
}

bool isTrackingParameter(QStringView name)
{
    // Lower-case names in order, so that a name is found without a copy of its own.
    static const auto [exact, prefixes] = [] {
        std::pair<std::vector<QString>, std::vector<QString>> lists;
        for (const QString &n : loadTrackingList())
            (n.endsWith(u'*') ? lists.second : lists.first).push_back(n.chopped(n.endsWith(u'*')));
        std::sort(lists.first.begin(), lists.first.end());
        return lists;
    }();
    const auto less = [](const QString &a, QStringView b) {
        return QStringView(a).compare(b, Qt::CaseInsensitive) < 0;
    };
    const auto found = std::lower_bound(exact.begin(), exact.end(), name, less);
    if (found != exact.end() && name.compare(*found, Qt::CaseInsensitive) == 0)
        return true;
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const QString &prefix) {
        return name.startsWith(prefix, Qt::CaseInsensitive);
    });
}
} // namespace exchange
