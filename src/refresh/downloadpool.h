#pragma once

#include "refresh/downloader.h"
#include "refresh/fetchaddress.h"
#include "refresh/hostqueue.h"

#include <atomic>
#include <curl/curl.h>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

class Transfer;

// The download worker: one thread that drives up to `jobs` transfers at once on libcurl's
// multi interface, keeps to the limits per host, and publishes each result. The caller's
// thread only hands requests in and takes results out; every call returns at once.
class DownloadPool final
{
  public:
    DownloadPool(const DownloadLimits &limits, const PoolOptions &options);
    ~DownloadPool(); // stops and joins

    DownloadPool(const DownloadPool &) = delete;
    DownloadPool &operator=(const DownloadPool &) = delete;

    quint64 request(const QByteArray &address, int index, bool first = false);
    // Withdraws every request and drops the results not yet collected.
    void abort();
    // Asks the worker to end; running transfers are abandoned at once.
    void stop();
    bool hasEnded() const { return m_ended.load(); }

    bool isBusy() const;
    bool isBusyWith(int index) const;
    std::optional<DownloadResult> takeResult();
    HeldHosts heldHosts() const;

  private:
    using Clock = std::chrono::steady_clock;
    using Running = std::vector<std::unique_ptr<Transfer>>;
    struct Request
    {
        QByteArray address;
        FetchAddress target; // the address parsed
        int index = -1;
        bool retried = false;
    };

    void run();
    void dropWithdrawn(Running &running);
    void startWaiting(Running &running);
    int pollTimeout(const Running &running) const;
    void collectFinished(Running &running);
    void endSilent(Running &running);
    void remove(Running &running, Running::iterator it);
    void finish(std::unique_ptr<Transfer> transfer);
    void wake() { curl_multi_wakeup(m_multi); }

    const DownloadLimits m_limits;
    const PoolOptions m_options;
    CURLM *const m_multi;
    mutable std::mutex m_mutex;
    quint64 m_lastSerial = 0;
    std::unordered_map<quint64, Request> m_requests; // queued or running, not withdrawn
    HostQueue m_queue;
    std::deque<DownloadResult> m_results; // published, waiting to be collected
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_ended = false;
    std::thread m_thread;
};
