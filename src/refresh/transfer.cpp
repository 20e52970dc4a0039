#include "refresh/transfer.h"

#include "refresh/fetchaddress.h"
#include "version.h"

namespace {
const QByteArray userAgent =
    QByteArrayLiteral("Mozilla/5.0 (compatible; Favrake/") + FavrakeRelease + ')';
constexpr char acceptHeader[] = "Accept: text/html, */*";
constexpr char fetchedSchemes[] = "http,https";
// Responses of one download are counted from 1; a redirect as this one is not followed.
constexpr int maxResponses = 15;

QByteArray seconds(std::chrono::milliseconds span)
{
    return QByteArray::number(double(span.count()) / 1000.0, 'g', 6) + " s";
}

bool isRedirect(long status)
{
    return status >= 300 && status < 400 && status != 304;
}
} // namespace

Transfer::Transfer(const DownloadLimits &limits, quint64 serial, int index,
                   const QByteArray &address, const FetchAddress &target)
    : m_limits(limits), m_serial(serial), m_target(target)
{
    m_result.index = index;
    m_result.url = address;
    m_result.serial = serial;
    m_result.requested = target;
}

Transfer::~Transfer()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
    curl_slist_free_all(m_requestHeaders);
    curl_slist_free_all(m_resolve);
}

DownloadResult Transfer::takeResult()
{
    return std::move(m_result);
}

CURL *Transfer::refuse(const QByteArray &why)
{
    m_result.errorMsg = why;
    return nullptr;
}

CURL *Transfer::begin()
{
    const QByteArray &address = m_result.url;
    if (address.isEmpty())
        return refuse("No address to download");
    if (address.contains('\0'))
        return refuse("Malformed address");
    if (const QByteArray scheme = unfetchedScheme(address); !scheme.isEmpty())
        return refuse("Cannot fetch a \"" + scheme + "\" address: only http and https");
    if (!configure())
        return refuse("Cannot start the HTTP client");
    m_deadline = Clock::now() + m_limits.totalTimeout;
    return startRequest(m_target) ? m_curl : nullptr;
}

bool Transfer::configure()
{
    m_curl = curl_easy_init();
    m_requestHeaders = curl_slist_append(nullptr, acceptHeader);
    if (!m_curl || !m_requestHeaders)
        return false;
    CURL *h = m_curl;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PRIVATE, this);
    set(CURLOPT_ERRORBUFFER, m_error);
    set(CURLOPT_PROTOCOLS_STR, fetchedSchemes);
    set(CURLOPT_REDIR_PROTOCOLS_STR, fetchedSchemes);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    // 1.1 so that every status line carries a reason phrase to show.
    set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_USERAGENT, userAgent.constData());
    set(CURLOPT_HTTPHEADER, m_requestHeaders);
    set(CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.connectTimeout.count()));
    set(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    set(CURLOPT_HEADERDATA, this);
    set(CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    set(CURLOPT_WRITEDATA, this);
    set(CURLOPT_PREREQFUNCTION, &Transfer::onConnected);
    set(CURLOPT_PREREQDATA, this);
    if (!m_limits.caFile.isEmpty())
        set(CURLOPT_CAINFO, m_limits.caFile.constData());
    for (const QByteArray &entry : m_limits.resolve)
        m_resolve = curl_slist_append(m_resolve, entry.constData());
    if (m_resolve)
        set(CURLOPT_RESOLVE, m_resolve);
    // Cookies live in this handle only: a site that sets one and redirects to itself sees
    // it again, and no cookie reaches another download.
    set(CURLOPT_COOKIEFILE, "");
    return ok;
}

// Points the handle at address with the time that is left; false (with the reason) when
// none is.
bool Transfer::startRequest(const FetchAddress &address)
{
    m_result.proxy = environmentProxy(address);
    m_connected = false;
    m_bodyFull = false;
    m_status.clear();
    m_headers.clear();
    m_location.clear();
    m_body.clear();
    m_error[0] = '\0';
    m_lastByte = Clock::now();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - m_lastByte);
    if (left.count() <= 0) {
        m_result.errorMsg = "Download took longer than " + seconds(m_limits.totalTimeout);
        return false;
    }
    // Else the handle would fetch the previous address again.
    if (curl_easy_setopt(m_curl, CURLOPT_URL, address.url.constData()) != CURLE_OK ||
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, long(left.count())) != CURLE_OK) {
        m_result.errorMsg = "Cannot start the HTTP client";
        return false;
    }
    return true;
}

// The headers of the response, and the response itself when one came.
void Transfer::keepResponse()
{
    m_result.headers = m_headers;
    m_result.connected = m_connected;
    m_result.body = std::move(m_body);
    long status = 0;
    curl_easy_getinfo(m_curl, CURLINFO_HTTP_CONNECTCODE, &status);
    m_result.connectCode = int(status);
    if (m_status.isEmpty())
        return;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
    m_result.hops.push_back({int(status), m_status, m_location});
}

CURL *Transfer::requestDone(CURLcode code)
{
    // A full body was cut on purpose: the rest is not wanted, the page still counts.
    if (m_bodyFull && code == CURLE_WRITE_ERROR)
        code = CURLE_OK;
    m_result.curlCode = code;
    keepResponse();
    if (code != CURLE_OK)
        return refuse(m_error[0] ? QByteArray(m_error) : QByteArray(curl_easy_strerror(code)));
    const long status = m_result.hops.empty() ? 0 : m_result.hops.back().status;
    const QByteArray target = followed(status);
    if (!target.isEmpty()) {
        m_result.url = target;
        const int responses = ++m_result.redirects;
        if (responses >= maxResponses)
            return refuse("Redirect loop: still redirected after " + QByteArray::number(responses) +
                          " responses");
        // libcurl hands on whatever the Location names, even "javascript:".
        const QByteArray scheme = namedScheme(target);
        if (!isFetchedScheme(scheme))
            return refuse("Redirect to a \"" + scheme + "\" address refused: only http and https");
        return startRequest(fetchAddress(target)) ? m_curl : nullptr;
    }
    if (status >= 200 && status < 300) {
        m_result.success = true;
        return nullptr;
    }
    return refuse(m_status.isEmpty() ? "HTTP status " + QByteArray::number(status) : m_status);
}

// The address a redirect leads to; empty when the response is no redirect to follow.
QByteArray Transfer::followed(long status) const
{
    const char *target = nullptr;
    if (!isRedirect(status) ||
        curl_easy_getinfo(m_curl, CURLINFO_REDIRECT_URL, &target) != CURLE_OK)
        return {};
    return target;
}

bool Transfer::silentTooLong(Clock::time_point now)
{
    if (!m_connected || now - m_lastByte < m_limits.readTimeout)
        return false;
    m_result.curlCode = CURLE_OPERATION_TIMEDOUT;
    keepResponse();
    refuse("Read timeout: no data for " + seconds(m_limits.readTimeout));
    return true;
}

Transfer::Clock::time_point Transfer::nextCheck() const
{
    return m_connected ? m_lastByte + m_limits.readTimeout : Clock::time_point::max();
}

size_t Transfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<Transfer *>(self);
    const size_t n = size * count;
    t->m_lastByte = Clock::now();
    QByteArray line(data, qsizetype(n));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("HTTP/")) {
        // A new response begins (after an interim one such as "100 Continue").
        t->m_status = line;
        t->m_headers.clear();
        t->m_location.clear();
    } else if (!line.isEmpty()) {
        t->m_headers += line + "\r\n";
        if (line.first(qMin(line.size(), qsizetype(9))).toLower() == "location:")
            t->m_location = line.mid(9).trimmed();
    }
    return n;
}

size_t Transfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<Transfer *>(self);
    const qsizetype n = qsizetype(size * count);
    t->m_lastByte = Clock::now();
    const qsizetype room = t->m_limits.maxBody - t->m_body.size();
    if (n > room) {
        t->m_body.append(data, room);
        t->m_bodyFull = true;
        return 0;
    }
    t->m_body.append(data, n);
    return size_t(n);
}

// The connection stands; from here on the read time-out counts.
int Transfer::onConnected(void *self, char *, char *, int, int)
{
    auto *t = static_cast<Transfer *>(self);
    t->m_connected = true;
    t->m_lastByte = Clock::now();
    return CURL_PREREQFUNC_OK;
}
