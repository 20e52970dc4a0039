#include "refresh/downloadpool.h"

#include "refresh/fetchaddress.h"
#include "refresh/transfer.h"

#include <algorithm>

namespace {
// An idle worker still looks up now and then; a request or a stop wakes it at once.
constexpr std::chrono::milliseconds idleWait{60000};
} // namespace

DownloadPool::DownloadPool(const DownloadLimits &limits, const PoolOptions &options)
    : m_limits(limits), m_options(options), m_multi(curl_multi_init()),
      m_queue(std::max(1, options.perHost))
{
    m_thread = std::thread(&DownloadPool::run, this);
}

DownloadPool::~DownloadPool()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
    curl_multi_cleanup(m_multi);
}

quint64 DownloadPool::request(const QByteArray &address, int index, bool first)
{
    FetchAddress target = fetchAddress(address);
    quint64 serial = 0;
    {
        const std::lock_guard lock(m_mutex);
        serial = ++m_lastSerial;
        m_queue.push(serial, target.host, Clock::now(), first);
        m_requests.emplace(serial, Request{address, std::move(target), index});
    }
    wake();
    return serial;
}

void DownloadPool::abort()
{
    {
        const std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_queue.dropWaiting(Clock::now());
        m_results.clear();
    }
    wake();
}

void DownloadPool::stop()
{
    m_stop = true;
    wake();
}

bool DownloadPool::isBusy() const
{
    const std::lock_guard lock(m_mutex);
    return !m_requests.empty();
}

bool DownloadPool::isBusyWith(int index) const
{
    const std::lock_guard lock(m_mutex);
    return std::any_of(m_requests.begin(), m_requests.end(),
                       [index](const auto &request) { return request.second.index == index; });
}

std::optional<DownloadResult> DownloadPool::takeResult()
{
    const std::lock_guard lock(m_mutex);
    if (m_results.empty())
        return std::nullopt;
    DownloadResult result = std::move(m_results.front());
    m_results.pop_front();
    return result;
}

HeldHosts DownloadPool::heldHosts() const
{
    const std::lock_guard lock(m_mutex);
    return m_queue.held(Clock::now());
}

void DownloadPool::run()
{
    Running running;
    while (!m_stop) {
        dropWithdrawn(running);
        startWaiting(running);
        curl_multi_poll(m_multi, nullptr, 0, pollTimeout(running), nullptr);
        int active = 0;
        curl_multi_perform(m_multi, &active);
        collectFinished(running);
        endSilent(running);
    }
    for (const auto &transfer : running)
        curl_multi_remove_handle(m_multi, transfer->handle());
    running.clear();
    m_ended = true;
}

void DownloadPool::remove(Running &running, Running::iterator it)
{
    curl_multi_remove_handle(m_multi, (*it)->handle());
    std::unique_ptr<Transfer> transfer = std::move(*it);
    running.erase(it);
    finish(std::move(transfer));
}

void DownloadPool::dropWithdrawn(Running &running)
{
    std::vector<quint64> withdrawn;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto &transfer : running)
            if (!m_requests.contains(transfer->serial()))
                withdrawn.push_back(transfer->serial());
    }
    for (const quint64 serial : withdrawn)
        remove(running, std::find_if(running.begin(), running.end(),
                                     [serial](const auto &t) { return t->serial() == serial; }));
}

void DownloadPool::startWaiting(Running &running)
{
    while (int(running.size()) < std::max(1, m_options.jobs)) {
        std::unique_ptr<Transfer> transfer;
        {
            const std::lock_guard lock(m_mutex);
            const std::optional<quint64> serial = m_queue.take(Clock::now());
            if (!serial)
                return;
            const Request &request = m_requests.at(*serial);
            transfer = std::make_unique<Transfer>(m_limits, *serial, request.index, request.address,
                                                  request.target);
        }
        if (CURL *handle = transfer->begin()) {
            curl_multi_add_handle(m_multi, handle);
            running.push_back(std::move(transfer));
        } else {
            finish(std::move(transfer)); // refused before it began; its place is free again
        }
    }
}

int DownloadPool::pollTimeout(const Running &running) const
{
    const Clock::time_point now = Clock::now();
    Clock::time_point wake = now + idleWait;
    long curlMs = -1;
    if (curl_multi_timeout(m_multi, &curlMs) == CURLM_OK && curlMs >= 0)
        wake = std::min(wake, now + std::chrono::milliseconds(curlMs));
    for (const auto &transfer : running)
        wake = std::min(wake, transfer->nextCheck());
    {
        const std::lock_guard lock(m_mutex);
        if (const std::optional<Clock::time_point> release = m_queue.nextRelease())
            wake = std::min(wake, *release);
    }
    return int(
        std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(wake - now).count()));
}

void DownloadPool::collectFinished(Running &running)
{
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        // The message is gone once its handle leaves the multi handle.
        CURL *const handle = message->easy_handle;
        const CURLcode code = message->data.result;
        const auto it = std::find_if(running.begin(), running.end(),
                                     [handle](const auto &t) { return t->handle() == handle; });
        if (it == running.end())
            continue;
        curl_multi_remove_handle(m_multi, handle);
        if (CURL *next = (*it)->requestDone(code)) {
            curl_multi_add_handle(m_multi, next);
            continue;
        }
        std::unique_ptr<Transfer> transfer = std::move(*it);
        running.erase(it);
        finish(std::move(transfer));
    }
}

void DownloadPool::endSilent(Running &running)
{
    const Clock::time_point now = Clock::now();
    for (auto it = running.begin(); it != running.end();) {
        if ((*it)->silentTooLong(now)) {
            const auto at = it - running.begin();
            remove(running, it);
            it = running.begin() + at;
        } else {
            ++it;
        }
    }
}

// Publishes the result, unless it was withdrawn or the host asked to be tried again later.
void DownloadPool::finish(std::unique_ptr<Transfer> transfer)
{
    DownloadResult result = transfer->takeResult();
    const Clock::time_point now = Clock::now();
    const std::optional<std::chrono::milliseconds> pause =
        m_options.honourRetryAfter
            ? askedPause(result, m_options.maxRetryAfter, std::chrono::system_clock::now())
            : std::nullopt;
    {
        const std::lock_guard lock(m_mutex);
        m_queue.finished(transfer->host(), now);
        if (pause)
            m_queue.hold(transfer->host(), now + *pause, now);
        const auto request = m_requests.find(transfer->serial());
        if (request == m_requests.end())
            return;
        if (pause && !request->second.retried) {
            request->second.retried = true;
            m_queue.push(transfer->serial(), transfer->host(), now);
            return;
        }
        m_requests.erase(request);
        m_results.push_back(std::move(result));
    }
    if (m_options.resultReady)
        m_options.resultReady();
}
