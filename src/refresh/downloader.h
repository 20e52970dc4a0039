#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// One finished page download, as the worker publishes it. Texts are bytes as received.
struct TIndyResult
{
    int Index = -1;        // the bookmark index that came with the request
    QByteArray URL;        // the requested address, or the target of the last redirect
    int Redirects = 0;     // redirects followed
    QByteArray Content;    // the body, at most DownloadLimits::maxBody bytes; empty on failure
    QByteArray StatusLine; // of the final response, e.g. "HTTP/1.1 404 Not Found"
    QByteArray Headers;    // the final response's header lines, each ended by CR LF
    QByteArray ErrorMsg;   // why the download failed; empty on success
    bool Success = false;
    quint64 Serial = 0; // the number request() gave out for it
};

struct DownloadLimits
{
    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds readTimeout{15000};  // longest wait for the next byte
    std::chrono::milliseconds totalTimeout{60000}; // one download, redirects included
    qsizetype maxBody = 4 * 1024 * 1024;           // the rest of a body is not read
    QByteArray caFile; // certificates to trust; empty means the system's store
};

// The background worker: fetches one page at a time and publishes its result.
// Every call returns at once; only the owner (Downloader) creates and joins it.
class TIndyThread final
{
  public:
    ~TIndyThread(); // stops and joins

    TIndyThread(const TIndyThread &) = delete;
    TIndyThread &operator=(const TIndyThread &) = delete;

    // Starts a download and returns its serial; an outstanding request is withdrawn first.
    quint64 request(const QByteArray &address, int index);
    // Withdraws the outstanding request and drops a published, uncollected result.
    void abort();
    // Asks the worker to end; a running transfer is abandoned within about a second.
    void stop();

    bool isBusy() const;
    std::optional<int> busyIndex() const;
    bool isBusyWith(int index) const { return busyIndex() == index; }
    // The published result, handed out once.
    std::optional<TIndyResult> takeResult();

  private:
    friend class Downloader;
    explicit TIndyThread(const DownloadLimits &limits);
    void run();
    bool hasEnded() const { return m_ended.load(); }

    const DownloadLimits m_limits;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QByteArray m_address;                   // of the outstanding request
    int m_index = -1;                       // of the outstanding request
    bool m_taken = false;                   // the worker has begun the outstanding request
    quint64 m_lastSerial = 0;               // the last serial given out
    std::atomic<quint64> m_outstanding = 0; // serial of the outstanding request; 0 = idle
    std::optional<TIndyResult> m_published; // waits to be collected
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_ended = false;
    std::thread m_thread;
};

// What the refresh engine needs from the download side; tests of the engine hand in fakes.
class AbstractDownloader
{
  public:
    virtual ~AbstractDownloader() = default;
    virtual void start() = 0; // creates the worker when there is none
    virtual void stop() = 0;  // lets the worker go without waiting for it
    virtual bool hasWorker() const = 0;
    // The calls below do nothing, or answer "nothing", without a worker.
    virtual quint64 request(const QByteArray &address, int index) = 0; // 0 without a worker
    virtual void abort() = 0;
    virtual bool isBusy() const = 0;
    virtual bool isBusyWith(int index) const = 0;
    virtual std::optional<TIndyResult> takeResult() = 0;
};

// Owns libcurl's global state and every worker it made: a stopped worker is joined
// before the global state is released, so the program never ends inside a transfer.
class Downloader final : public AbstractDownloader
{
  public:
    explicit Downloader(const DownloadLimits &limits = {});
    ~Downloader() override; // stops every worker and waits for it

    Downloader(const Downloader &) = delete;
    Downloader &operator=(const Downloader &) = delete;

    void start() override;
    void stop() override;
    bool hasWorker() const override { return m_worker != nullptr; }
    quint64 request(const QByteArray &address, int index) override;
    void abort() override;
    bool isBusy() const override;
    bool isBusyWith(int index) const override;
    std::optional<TIndyResult> takeResult() override;

  private:
    void reapEnded();

    const DownloadLimits m_limits;
    std::unique_ptr<TIndyThread> m_worker;
    std::vector<std::unique_ptr<TIndyThread>> m_stopped; // still ending
};
