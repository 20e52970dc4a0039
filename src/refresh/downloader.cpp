#include "refresh/downloader.h"
#include "version.h"

#include <algorithm>
#include <cctype>
#include <curl/curl.h>
#include <functional>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

const QByteArray UserAgent =
    QByteArrayLiteral("Mozilla/5.0 (compatible; Favrake/") + FavrakeRelease + ')';
constexpr char AcceptHeader[] = "Accept: text/html, */*";
constexpr char FetchedSchemes[] = "http,https";
// Responses of one download are counted from 1; a redirect as this one is not followed.
constexpr int MaxResponses = 15;

QByteArray seconds(std::chrono::milliseconds span)
{
    return QByteArray::number(double(span.count()) / 1000.0, 'g', 6) + " s";
}

// The scheme libcurl would use for this address, lower case; empty when it cannot tell.
QByteArray guessedScheme(const QByteArray &address)
{
    CURLU *url = curl_url();
    if (!url)
        return {};
    QByteArray scheme;
    char *part = nullptr;
    if (curl_url_set(url, CURLUPART_URL, address.constData(),
                     CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME) == CURLUE_OK &&
        curl_url_get(url, CURLUPART_SCHEME, &part, 0) == CURLUE_OK) {
        scheme = QByteArray(part).toLower();
        curl_free(part);
    }
    curl_url_cleanup(url);
    return scheme;
}

// The scheme that an absolute address names, lower case; empty when it names none.
QByteArray namedScheme(const QByteArray &address)
{
    const QByteArray scheme = address.left(qMax(address.indexOf(':'), 0)).toLower();
    const bool valid = !scheme.isEmpty() && std::isalpha(uchar(scheme[0])) &&
                       std::all_of(scheme.begin(), scheme.end(), [](char c) {
                           return std::isalnum(uchar(c)) || c == '+' || c == '-' || c == '.';
                       });
    return valid ? scheme : QByteArray();
}

bool isFetched(const QByteArray &scheme)
{
    return scheme == "http" || scheme == "https";
}

// libcurl's global state is shared by every owner in the process.
class CurlGlobal final
{
  public:
    static void acquire()
    {
        const std::lock_guard lock(mutex());
        if (users()++ == 0)
            curl_global_init(CURL_GLOBAL_DEFAULT);
    }
    static void release()
    {
        const std::lock_guard lock(mutex());
        if (--users() == 0)
            curl_global_cleanup();
    }

  private:
    static std::mutex &mutex()
    {
        static std::mutex m;
        return m;
    }
    static int &users()
    {
        static int n = 0;
        return n;
    }
};

// One download on one easy handle: the first request and every redirect it follows.
class Transfer final
{
  public:
    Transfer(const DownloadLimits &limits, std::function<bool()> withdrawn)
        : m_limits(limits), m_withdrawn(std::move(withdrawn))
    {
    }
    ~Transfer()
    {
        curl_slist_free_all(m_requestHeaders);
        if (m_curl)
            curl_easy_cleanup(m_curl);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    TIndyResult run(const QByteArray &address, int index);

  private:
    enum class Stopped { No, BodyFull, ReadTimeout, Withdrawn };

    bool configure();
    bool fetch(const QByteArray &url, QByteArray &error);
    void received() { m_lastByte = Clock::now(); }

    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int onConnected(void *self, char *, char *, int, int);

    const DownloadLimits &m_limits;
    const std::function<bool()> m_withdrawn;
    CURL *m_curl = nullptr;
    curl_slist *m_requestHeaders = nullptr;
    char m_error[CURL_ERROR_SIZE] = {};
    Clock::time_point m_deadline;
    // State of the current response.
    Clock::time_point m_lastByte;
    bool m_connected = false;
    Stopped m_stopped = Stopped::No;
    QByteArray m_status;
    QByteArray m_headers;
    QByteArray m_body;
};

TIndyResult Transfer::run(const QByteArray &address, int index)
{
    TIndyResult result;
    result.Index = index;
    result.URL = address;
    if (address.isEmpty()) {
        result.ErrorMsg = "No address to download";
        return result;
    }
    if (address.contains('\0')) {
        result.ErrorMsg = "Malformed address";
        return result;
    }
    const QByteArray scheme = guessedScheme(address);
    if (!scheme.isEmpty() && !isFetched(scheme)) {
        result.ErrorMsg = "Cannot fetch a \"" + scheme + "\" address: only http and https";
        return result;
    }
    if (!configure()) {
        result.ErrorMsg = "Cannot start the HTTP client";
        return result;
    }
    m_deadline = Clock::now() + m_limits.totalTimeout;
    QByteArray url = address;
    for (int response = 1;; ++response) {
        const bool answered = fetch(url, result.ErrorMsg);
        result.StatusLine = m_status;
        result.Headers = m_headers;
        if (!answered)
            return result;
        long code = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &code);
        const char *target = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_REDIRECT_URL, &target);
        if (code >= 300 && code < 400 && code != 304 && target) {
            result.URL = target;
            ++result.Redirects;
            if (response >= MaxResponses) {
                result.ErrorMsg = "Redirect loop: still redirected after " +
                                  QByteArray::number(response) + " responses";
                return result;
            }
            // libcurl hands on whatever the Location names, even "javascript:".
            const QByteArray next = namedScheme(result.URL);
            if (!isFetched(next)) {
                result.ErrorMsg =
                    "Redirect to a \"" + next + "\" address refused: only http and https";
                return result;
            }
            url = result.URL;
            continue;
        }
        if (code >= 200 && code < 300) {
            result.Content = std::move(m_body);
            result.Success = true;
        } else {
            result.ErrorMsg =
                m_status.isEmpty() ? "HTTP status " + QByteArray::number(code) : m_status;
        }
        return result;
    }
}

bool Transfer::configure()
{
    m_curl = curl_easy_init();
    m_requestHeaders = curl_slist_append(nullptr, AcceptHeader);
    if (!m_curl || !m_requestHeaders)
        return false;
    CURL *h = m_curl;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_ERRORBUFFER, m_error);
    set(CURLOPT_PROTOCOLS_STR, FetchedSchemes);
    set(CURLOPT_REDIR_PROTOCOLS_STR, FetchedSchemes);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    // 1.1 so that every status line carries a reason phrase to show.
    set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_USERAGENT, UserAgent.constData());
    set(CURLOPT_HTTPHEADER, m_requestHeaders);
    set(CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.connectTimeout.count()));
    set(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    set(CURLOPT_HEADERDATA, this);
    set(CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    set(CURLOPT_WRITEDATA, this);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    set(CURLOPT_XFERINFODATA, this);
    set(CURLOPT_PREREQFUNCTION, &Transfer::onConnected);
    set(CURLOPT_PREREQDATA, this);
    if (!m_limits.caFile.isEmpty())
        set(CURLOPT_CAINFO, m_limits.caFile.constData());
    return ok;
}

// One request and its response; false with the reason when no complete answer came.
bool Transfer::fetch(const QByteArray &url, QByteArray &error)
{
    m_connected = false;
    m_stopped = Stopped::No;
    m_status.clear();
    m_headers.clear();
    m_body.clear();
    m_error[0] = '\0';
    m_lastByte = Clock::now();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - m_lastByte);
    if (left.count() <= 0) {
        error = "Download took longer than " + seconds(m_limits.totalTimeout);
        return false;
    }
    CURLcode code = curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    if (code == CURLE_OK)
        code = curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, long(left.count()));
    if (code == CURLE_OK) // else the handle would fetch the previous address again
        code = curl_easy_perform(m_curl);
    switch (m_stopped) {
    case Stopped::BodyFull:
        if (code == CURLE_WRITE_ERROR)
            return true; // the body is kept up to the limit; the rest is not wanted
        break;
    case Stopped::ReadTimeout:
        error = "Read timeout: no data for " + seconds(m_limits.readTimeout);
        return false;
    case Stopped::Withdrawn:
        error = "Download withdrawn";
        return false;
    case Stopped::No:
        break;
    }
    if (code == CURLE_OK)
        return true;
    error = m_error[0] ? QByteArray(m_error) : QByteArray(curl_easy_strerror(code));
    return false;
}

size_t Transfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<Transfer *>(self);
    const size_t n = size * count;
    t->received();
    QByteArray line(data, qsizetype(n));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("HTTP/")) {
        // A new response begins (after an interim one such as "100 Continue").
        t->m_status = line;
        t->m_headers.clear();
    } else if (!line.isEmpty()) {
        t->m_headers += line + "\r\n";
    }
    return n;
}

size_t Transfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<Transfer *>(self);
    const qsizetype n = qsizetype(size * count);
    t->received();
    const qsizetype room = t->m_limits.maxBody - t->m_body.size();
    if (n > room) {
        t->m_body.append(data, room);
        t->m_stopped = Stopped::BodyFull;
        return 0;
    }
    t->m_body.append(data, n);
    return size_t(n);
}

// Called about once a second even when nothing arrives.
int Transfer::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *t = static_cast<Transfer *>(self);
    if (t->m_withdrawn()) {
        t->m_stopped = Stopped::Withdrawn;
        return 1;
    }
    if (t->m_connected && Clock::now() - t->m_lastByte >= t->m_limits.readTimeout) {
        t->m_stopped = Stopped::ReadTimeout;
        return 1;
    }
    return 0;
}

// The connection stands; from here on the read time-out counts.
int Transfer::onConnected(void *self, char *, char *, int, int)
{
    auto *t = static_cast<Transfer *>(self);
    t->m_connected = true;
    t->received();
    return CURL_PREREQFUNC_OK;
}

} // namespace

TIndyThread::TIndyThread(const DownloadLimits &limits) : m_limits(limits)
{
    m_thread = std::thread(&TIndyThread::run, this);
}

TIndyThread::~TIndyThread()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

quint64 TIndyThread::request(const QByteArray &address, int index)
{
    const std::lock_guard lock(m_mutex);
    m_address = address;
    m_index = index;
    m_taken = false;
    m_outstanding = ++m_lastSerial;
    m_wake.notify_one();
    return m_lastSerial;
}

void TIndyThread::abort()
{
    const std::lock_guard lock(m_mutex);
    m_outstanding = 0;
    m_address.clear();
    m_index = -1;
    m_published.reset();
}

void TIndyThread::stop()
{
    const std::lock_guard lock(m_mutex);
    m_stop = true;
    m_wake.notify_one();
}

bool TIndyThread::isBusy() const
{
    return m_outstanding.load() != 0;
}

std::optional<int> TIndyThread::busyIndex() const
{
    const std::lock_guard lock(m_mutex);
    if (m_outstanding.load() == 0)
        return std::nullopt;
    return m_index;
}

std::optional<TIndyResult> TIndyThread::takeResult()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_published, std::nullopt);
}

void TIndyThread::run()
{
    for (;;) {
        QByteArray address;
        int index = -1;
        quint64 serial = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || (m_outstanding != 0 && !m_taken); });
            if (m_stop)
                break;
            address = m_address;
            index = m_index;
            serial = m_outstanding;
            m_taken = true;
        }
        Transfer transfer(m_limits,
                          [this, serial] { return m_stop || m_outstanding.load() != serial; });
        TIndyResult result = transfer.run(address, index);
        result.Serial = serial;
        const std::lock_guard lock(m_mutex);
        if (!m_stop && m_outstanding == serial) {
            m_published = std::move(result);
            m_outstanding = 0;
            m_address.clear();
        }
    }
    m_ended = true;
}

Downloader::Downloader(const DownloadLimits &limits) : m_limits(limits)
{
    CurlGlobal::acquire();
}

Downloader::~Downloader()
{
    stop();
    for (auto &worker : m_stopped)
        worker.reset(); // joins
    CurlGlobal::release();
}

void Downloader::start()
{
    reapEnded();
    if (!m_worker)
        m_worker.reset(new TIndyThread(m_limits));
}

void Downloader::stop()
{
    if (m_worker) {
        m_worker->stop();
        m_stopped.push_back(std::move(m_worker));
    }
    reapEnded();
}

void Downloader::reapEnded()
{
    std::erase_if(m_stopped, [](const auto &worker) { return worker->hasEnded(); });
}

quint64 Downloader::request(const QByteArray &address, int index)
{
    return m_worker ? m_worker->request(address, index) : 0;
}

void Downloader::abort()
{
    if (m_worker)
        m_worker->abort();
}

bool Downloader::isBusy() const
{
    return m_worker && m_worker->isBusy();
}

bool Downloader::isBusyWith(int index) const
{
    return m_worker && m_worker->isBusyWith(index);
}

std::optional<TIndyResult> Downloader::takeResult()
{
    return m_worker ? m_worker->takeResult() : std::nullopt;
}
