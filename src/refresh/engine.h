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

// One finished page download as the engine hands it on. The empty record (Valid false)
// means there was nothing to collect.
struct TDownloadResult
{
    int Index = 0;       // the bookmark the request was made for
    QString Title;       // empty unless Success
    QString Description; // empty unless Success
    QString URL;         // the requested address, or the target of the last redirect
    int Redirects = 0;
    QByteArray Content; // the body as received; THTMLScanner decoded title and description
    QString ErrorMsg;   // empty on success
    bool Success = false;
    bool Valid = false;
    // The bookmark file and address the request was made for: a result is stored only
    // in a record that still holds both.
    QString FileName;
    QString RequestedURL;
    // What a judgement beyond success needs: every response in order, libcurl's result of
    // the last request, and the final response's header lines.
    std::vector<DownloadHop> Hops;
    int CurlCode = 0;
    QByteArray Headers;
    bool Connected = false;
    QByteArray Body; // of the final response, whatever its status
    LinkFindings Findings;
    // What the page shows a reader, read together with title and description for a link
    // that went through the link check.
    std::optional<PageText> Text;
};

// Drives the download worker: requests go in, results are collected in the order they
// finished. Everything runs on the caller's thread and returns at once.
class TRefreshEngine final
{
  public:
    explicit TRefreshEngine(std::unique_ptr<AbstractDownloader> downloader,
                            Clock now = NowDateTime);
    ~TRefreshEngine(); // stops the worker; the downloader's owner joins it

    TRefreshEngine(const TRefreshEngine &) = delete;
    TRefreshEngine &operator=(const TRefreshEngine &) = delete;

    // Without a worker every call below does nothing and answers "nothing".
    void InitDownloader();
    void DoneDownloader(); // lets the worker go without waiting for it

    // Queues a download (the tray program asks only while IsDownloading is false); false
    // when there is no worker to ask.
    bool RequestDownload(const QString &address, int index, const QString &fileName);
    // Withdraws every request; their results, and those not yet collected, never come out.
    void AbortDownload();
    bool IsDownloading() const;
    bool IsDownloadingIndex(int index) const;
    // Each result comes out once; the empty record when none waits.
    TDownloadResult GetDownloadResult();
    // Requests whose result has not been collected yet.
    int Pending() const { return int(m_requests.size()); }
    HeldHosts WaitingHosts() const { return m_downloader->heldHosts(); }
    // Why the run records nothing (the network, a proxy or a sign-in page failed); None while
    // it records.
    RunFailure networkFailure() const { return m_downloader->runFailure(); }
    void newRun() { m_downloader->newRun(); } // the network is judged anew

    TDateTime Now() const { return m_now(); }

  private:
    struct Request
    {
        int Index = -1;
        QString Address;
        QString FileName;
    };

    std::unique_ptr<AbstractDownloader> m_downloader;
    Clock m_now;
    std::unordered_map<quint64, Request> m_requests; // by serial, until collected
};

// What storing one collected result did.
enum class TStoreOutcome {
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
TStoreOutcome StoreDownloadResult(TBookmarks &list, const TDownloadResult &result, TDateTime now);

// The next bookmark to refresh: the first due one among the shown rows (-1 is an empty
// row), else the first due one in index order; -1 when none is due. skip (when given)
// leaves bookmarks out, for a caller that refreshes each one once.
int NextRefreshIndex(const TBookmarks &list, std::span<const int> shownRows,
                     const std::function<bool(int)> &skip = {});

struct TRefreshTick
{
    std::span<const int> ShownRows = {};
    bool NoNetAccess = false;
    std::function<bool(int)> Skip = {};
};

struct TRefreshStep
{
    TStoreOutcome Stored = TStoreOutcome::Nothing;
    TDownloadResult Result;                     // the one collected, when Stored is not Nothing
    int Requested = -1;                         // the bookmark requested in this step
    SaveFailure NotWritten = SaveFailure::None; // why, when Stored is NotWritten
};

// The refresh work of one tick: collect and store at most one result and, when the worker
// was idle and net access is allowed, request the next due bookmark. The request goes out
// before the collected state is written, so that download and write overlap.
TRefreshStep RunRefreshStep(TRefreshEngine &engine, TBookmarks &list, const TRefreshTick &tick);
