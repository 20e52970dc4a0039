#include "refresh/fetchaddress.h"

#include "store/textutil.h"

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
} // namespace

FetchAddress fetchAddress(const QByteArray &address)
{
    QByteArray cleaned = TrimBlanks(address).toByteArray();
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
