#pragma once

#include "refresh/downloader.h"
#include "store/bookmarks.h"
#include "store/datetime.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

// Drives the download worker: requests go in, results are collected in the order they
// finished. Everything runs on the caller's thread and returns at once.
class RefreshEngine final
{
  public:
    explicit RefreshEngine(std::unique_ptr<AbstractDownloader> downloader, Clock now = nowDateTime);
    ~RefreshEngine(); // stops the worker; the downloader's owner joins it

    RefreshEngine(const RefreshEngine &) = delete;
    RefreshEngine &operator=(const RefreshEngine &) = delete;

    // Without a worker every call below does nothing and answers "nothing".
    void initDownloader();
    void doneDownloader(); // lets the worker go without waiting for it

    // Queues a download (the tray program asks only while IsDownloading is false); false
    // when there is no worker to ask.
    bool requestDownload(const QString &address, int index, const QString &fileName);
    // Withdraws every request; their results, and those not yet collected, never come out.
    void abortDownload();
    bool isDownloading() const;
    bool isDownloadingIndex(int index) const;
    // Each result comes out once; the empty record when none waits.
    DownloadResult getDownloadResult();
    // Requests whose result has not been collected yet.
    int pending() const { return int(m_requests.size()); }
    HeldHosts waitingHosts() const { return m_downloader->heldHosts(); }
    // Why the run records nothing (the network, a proxy or a sign-in page failed); None while
    // it records.
    RunFailure networkFailure() const { return m_downloader->runFailure(); }
    void newRun() { m_downloader->newRun(); } // the network is judged anew

    DateTime now() const { return m_now(); }

  private:
    struct Request
    {
        int index = -1;
        QString address;
        QString fileName;
    };

    std::unique_ptr<AbstractDownloader> m_downloader;
    Clock m_now;
    std::unordered_map<quint64, Request> m_requests; // by serial, until collected
};

// What storing one collected result did.
enum class StoreOutcome {
    Nothing,     // no result was waiting
    Written,     // stored in the record and written to its file
    NotWritten,  // stored in the record, but not in its file (lastSaveFailure says why)
    Dropped,     // the record at that index is no longer the bookmark that was requested
    NotRecorded, // the check could not tell (no network, a proxy failed): nothing written
};

// Stores a collected result in its bookmark: the outcome, the message and the time; on
// success also title, description and the address reached; for a checked link its code,
// verdict and evidence. Then the subject is found again and the state saved. A bookmark without
// an address, or with one that is never fetched (ftp:), is no failed download: it is only
// marked as refreshed, so that it does not block the ones after it.
StoreOutcome storeDownloadResult(Bookmarks &list, const DownloadResult &result, DateTime now);

// The next bookmark to refresh: the first due one among the shown rows (-1 is an empty
// row), else the first due one in index order; -1 when none is due. skip (when given)
// leaves bookmarks out, for a caller that refreshes each one once.
int nextRefreshIndex(const Bookmarks &list, std::span<const int> shownRows,
                     const std::function<bool(int)> &skip = {});

struct RefreshTick
{
    std::span<const int> shownRows = {};
    bool noNetAccess = false;
    std::function<bool(int)> skip = {};
};

struct RefreshStep
{
    StoreOutcome stored = StoreOutcome::Nothing;
    DownloadResult result;                      // the one collected, when Stored is not Nothing
    int requested = -1;                         // the bookmark requested in this step
    SaveFailure notWritten = SaveFailure::None; // why, when Stored is NotWritten
};

// The refresh work of one tick: collect and store at most one result and, when the worker
// was idle and net access is allowed, request the next due bookmark. The request goes out
// before the collected state is written, so that download and write overlap.
RefreshStep runRefreshStep(RefreshEngine &engine, Bookmarks &list, const RefreshTick &tick);
