#include "refresh/fetchaddress.h"

#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QHostAddress>
#include <algorithm>
#include <cctype>
#include <curl/curl.h>

namespace {
QByteArray urlPart(CURLU *url, CURLUPart part)
{
    char *text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK)
        return {};
    QByteArray value(text);
    curl_free(text);
    return value;
}
// An environment variable as libcurl reads it: an empty one is none.
QByteArray environment(const QByteArray &name)
{
    return qgetenv(name.constData());
}

bool matchesNoProxyEntry(const QByteArray &host, QByteArray entry)
{
    if (entry == "*")
        return true;
    const QHostAddress address(QString::fromLatin1(host));
    if (!address.isNull()) {
        const auto subnet = QHostAddress::parseSubnet(QString::fromLatin1(entry));
        return entry.contains('/') ? address.isInSubnet(subnet)
                                   : address == QHostAddress(QString::fromLatin1(entry));
    }
    while (entry.startsWith('.'))
        entry.remove(0, 1);
    if (entry.endsWith('.'))
        entry.chop(1);
    return !entry.isEmpty() && (host == entry || host.endsWith('.' + entry));
}

bool bypassesProxy(QByteArray host)
{
    QByteArray list = environment("no_proxy");
    if (list.isEmpty())
        list = environment("NO_PROXY");
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    if (host.endsWith('.'))
        host.chop(1);
    for (QByteArray entry : list.replace(' ', ',').split(','))
        if (!entry.isEmpty() && matchesNoProxyEntry(host, entry.toLower()))
            return true;
    return false;
}
} // namespace

QByteArray environmentProxy(const FetchAddress &address)
{
    if (address.scheme.isEmpty() || address.host.isEmpty() || bypassesProxy(address.host))
        return {};
    // Never HTTP_PROXY in capitals: a web server's CGI environment can set it.
    QByteArray proxy = environment(address.scheme + "_proxy");
    if (proxy.isEmpty() && address.scheme != "http")
        proxy = environment(address.scheme.toUpper() + "_PROXY");
    if (proxy.isEmpty())
        proxy = environment("all_proxy");
    return proxy.isEmpty() ? environment("ALL_PROXY") : proxy;
}

FetchAddress fetchAddress(const QByteArray &address)
{
    QByteArray cleaned = trimBlanks(address).toByteArray();
    cleaned.removeIf([](char c) { return c == '\t' || c == '\n' || c == '\r'; });
    cleaned.truncate(cleaned.indexOf('#') < 0 ? cleaned.size() : cleaned.indexOf('#'));
    FetchAddress result{cleaned, {}, {}};
    CURLU *url = curl_url();
    if (url && curl_url_set(url, CURLUPART_URL, cleaned.constData(),
                            CURLU_URLENCODE | CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME) ==
                   CURLUE_OK) {
        result = {urlPart(url, CURLUPART_URL), urlPart(url, CURLUPART_SCHEME).toLower(),
                  urlPart(url, CURLUPART_HOST).toLower()};
        if (result.url.isEmpty())
            result.url = cleaned;
    }
    curl_url_cleanup(url);
    return result;
}

QByteArray namedScheme(const QByteArray &address)
{
    const QByteArray scheme = address.left(qMax(address.indexOf(':'), 0)).toLower();
    const bool valid = !scheme.isEmpty() && std::isalpha(uchar(scheme[0])) &&
                       std::all_of(scheme.begin(), scheme.end(), [](char c) {
                           return std::isalnum(uchar(c)) || c == '+' || c == '-' || c == '.';
                       });
    return valid ? scheme : QByteArray();
}

bool isFetchedScheme(const QByteArray &scheme)
{
    return scheme == "http" || scheme == "https";
}

QByteArray unfetchedScheme(const QByteArray &address)
{
    QByteArray scheme = fetchAddress(address).scheme;
    if (scheme.isEmpty()) // not an address libcurl can parse, such as "javascript:void(0)"
        scheme = namedScheme(trimBlanks(address).toByteArray());
    return isFetchedScheme(scheme) ? QByteArray() : scheme;
}

QString notCheckedText(const QByteArray &scheme)
{
    return QStringLiteral("not checked (%1)").arg(QString::fromLatin1(scheme));
}

bool refreshFailed(const BookmarkRec &rec)
{
    return rec.refreshState < 0 && unfetchedScheme(toNarrow(rec.url)).isEmpty();
}
