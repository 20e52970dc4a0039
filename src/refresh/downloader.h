#pragma once

#include "refresh/fetchaddress.h"
#include "refresh/linkfindings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One response of a download: the first answer and each redirect after it.
struct DownloadHop
{
    int status = 0; // the HTTP status code
    QByteArray statusLine;
    QByteArray location; // as the response named it; empty when it named none
};

// One page download, from the worker that fetched it to the bookmark it is stored in. The
// worker fills in what came, as bytes as received; the link check adds its findings; the
// engine adds what the store needs when it hands the result out. It is moved all the way,
// so the body is held once.
struct DownloadResult
{
    int index = -1;         // the bookmark index that came with the request
    quint64 serial = 0;     // the number request() gave out for it
    FetchAddress requested; // the requested address as parsed when it was asked for
    QByteArray url;         // the requested address, or the target of the last redirect
    int redirects = 0;      // redirects followed
    // The final response's body whatever its status, at most DownloadLimits::maxBody bytes:
    // the page when success.
    QByteArray body;
    QByteArray headers;            // the final response's header lines, each ended by CR LF
    QByteArray errorMsg;           // why the download failed; empty on success
    bool success = false;          // a 2xx answer came
    std::vector<DownloadHop> hops; // every response that came, in order
    int curlCode = 0;              // libcurl's result of the last request; 0 when it answered
    bool connected = false;        // the last request reached its server (through a tunnel)
    QByteArray proxy;              // the proxy of the last request; empty when it went direct
    int connectCode = 0;           // the proxy's answer to the tunnel's CONNECT; 0: none
    LinkFindings findings;         // filled by the link check

    // Filled by the engine. The empty record (valid false) means there was nothing to
    // collect.
    bool valid = false;
    // The bookmark file and address the request was made for: a result is stored only in a
    // record that still holds both.
    QString fileName;
    QString requestedUrl;
    QString title;       // read from the page; empty unless success
    QString description; // read from the page; empty unless success
    // What the page shows a reader, read together with title and description for a link
    // that went through the link check.
    std::optional<PageText> text;
};

struct DownloadLimits
{
    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds readTimeout{15000};  // longest wait for the next byte
    std::chrono::milliseconds totalTimeout{60000}; // one download, redirects included
    qsizetype maxBody = 4 * 1024 * 1024;           // the rest of a body is not read
    QByteArray caFile = {}; // certificates to trust; empty means the system's store
    // "host:port:address" entries that name their address without asking the name service.
    QList<QByteArray> resolve = {};
};

// How the downloads of one worker share the network.
struct PoolOptions
{
    int jobs = 1;    // transfers at once
    int perHost = 2; // transfers at once to one host name
    // A 429 or 503 with Retry-After holds the host's other pages back that long (at most
    // maxRetryAfter), and the page itself is tried once more after the wait.
    bool honourRetryAfter = false;
    std::chrono::milliseconds maxRetryAfter{120000};
    // Called on the worker's thread whenever a result has been published.
    std::function<void()> resultReady = {};
};

// Hosts whose pages wait because the host asked for a pause.
struct HeldHosts
{
    int hosts = 0;
    std::chrono::milliseconds longest{0}; // until the last of them may be asked again
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
    // Queues a download; its result comes out once. 0 without a worker.
    virtual quint64 request(const QByteArray &address, int index) = 0;
    // The same, before the host's other downloads that wait.
    virtual quint64 requestFirst(const QByteArray &address, int index)
    {
        return request(address, index);
    }
    // Withdraws every request; their results, and those not yet collected, never come out.
    virtual void abort() = 0;
    virtual bool isBusy() const = 0; // a request is queued or running
    virtual bool isBusyWith(int index) const = 0;
    virtual std::optional<DownloadResult> takeResult() = 0; // in the order they finished
    virtual HeldHosts heldHosts() const { return {}; }
    // Why the current run can record nothing; None while it can.
    virtual RunFailure runFailure() const { return {}; }
    virtual void newRun() {} // forgets what the run found about the network
};

class DownloadPool;

// Owns libcurl's global state and every worker it made: a stopped worker is joined
// before the global state is released, so the program never ends inside a transfer.
class Downloader final : public AbstractDownloader
{
  public:
    explicit Downloader(const DownloadLimits &limits = {}, PoolOptions options = {});
    ~Downloader() override; // stops every worker and waits for it

    Downloader(const Downloader &) = delete;
    Downloader &operator=(const Downloader &) = delete;

    void start() override;
    void stop() override;
    bool hasWorker() const override { return m_pool != nullptr; }
    quint64 request(const QByteArray &address, int index) override;
    quint64 requestFirst(const QByteArray &address, int index) override;
    void abort() override;
    bool isBusy() const override;
    bool isBusyWith(int index) const override;
    std::optional<DownloadResult> takeResult() override;
    HeldHosts heldHosts() const override;

  private:
    void reapEnded();

    const DownloadLimits m_limits;
    const PoolOptions m_options;
    std::unique_ptr<DownloadPool> m_pool;
    std::vector<std::unique_ptr<DownloadPool>> m_stopped; // still ending
};
