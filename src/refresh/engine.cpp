#include "refresh/engine.h"

#include "refresh/checkcode.h"
#include "refresh/fetchaddress.h"
#include "refresh/htmlscanner.h"
#include "refresh/linkverdict.h"
#include "store/bookmarks.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <algorithm>

TRefreshEngine::TRefreshEngine(std::unique_ptr<AbstractDownloader> downloader, Clock now)
    : m_downloader(std::move(downloader)), m_now(std::move(now))
{
}

TRefreshEngine::~TRefreshEngine()
{
    DoneDownloader();
}

void TRefreshEngine::InitDownloader()
{
    m_downloader->start();
}

void TRefreshEngine::DoneDownloader()
{
    m_downloader->stop();
    m_requests.clear();
}

bool TRefreshEngine::RequestDownload(const QString &address, int index, const QString &fileName)
{
    const quint64 serial = m_downloader->request(ToNarrow(address), index);
    if (serial == 0)
        return false;
    m_requests[serial] = {index, address, fileName};
    return true;
}

void TRefreshEngine::AbortDownload()
{
    m_downloader->abort();
    m_requests.clear();
}

bool TRefreshEngine::IsDownloading() const
{
    return m_downloader->isBusy();
}

bool TRefreshEngine::IsDownloadingIndex(int index) const
{
    return m_downloader->isBusyWith(index);
}

TDownloadResult TRefreshEngine::GetDownloadResult()
{
    // Only the answer to a request still standing counts, never one that was withdrawn; such
    // an answer must not hide the ones behind it either.
    std::optional<TIndyResult> raw;
    auto request = m_requests.end();
    while (request == m_requests.end()) {
        raw = m_downloader->takeResult();
        if (!raw)
            return {};
        request = m_requests.find(raw->Serial);
        if (request != m_requests.end() && request->second.Index != raw->Index)
            request = m_requests.end();
    }
    TDownloadResult result;
    result.Index = raw->Index;
    result.URL = FromNarrow(raw->URL);
    result.Redirects = raw->Redirects;
    result.Content = raw->Content;
    result.ErrorMsg = FromNarrow(raw->ErrorMsg);
    result.Success = raw->Success;
    if (raw->Success) {
        // One scan of the page for what is stored and what the link check reads.
        THTMLScanner scanner;
        scanner.Parse(raw->Content, raw->Headers);
        result.Title = scanner.GetTitle();
        result.Description = scanner.GetDescription();
        if (raw->Findings.checked)
            result.Text = readPageText(scanner);
    }
    result.Valid = true;
    result.FileName = request->second.FileName;
    result.RequestedURL = request->second.Address;
    result.Hops = raw->Hops;
    result.CurlCode = raw->CurlCode;
    result.Headers = raw->Headers;
    result.Connected = raw->Connected;
    result.Body = raw->Body;
    result.Findings = raw->Findings;
    m_requests.erase(request);
    return result;
}

namespace {
// The link check's part: false when it could not tell, and nothing is to be recorded.
bool RecordCheck(TBookmarks &list, TBookmarkRec &rec, const TDownloadResult &result, TDateTime now)
{
    const TIntervals intervals = list.Intervals();
    const CheckOutcome outcome = checkCode(result, rec.Title);
    if (outcome.code == CheckCode::None) {
        // Not due again at once, so that a refresh waiting for it does not ask in a loop.
        rec.NotBefore = now + intervals.RefreshAfterFail / (24.0 * 60.0);
        return false;
    }
    const bool stillParked =
        rec.Verdict == LinkVerdict::Parked && outcome.code == CheckCode::Parked;
    rec.History = addCheck(rec.History, outcome.code, now);
    rec.Verdict = judgeLink(rec.History, now, outcome.atOnce || stillParked, intervals).verdict;
    rec.Evidence = outcome.evidence.left(MaxEvidenceLength);
    return true;
}

// The record part of storing: Written when there is something to save.
TStoreOutcome PutIntoRecord(TBookmarks &list, const TDownloadResult &result, TDateTime now)
{
    TBookmarkRec *rec = list.Item(result.Index);
    // The folder may have been read again, or the file changed, since the request.
    if (!rec || rec->FileName != result.FileName || rec->URL != result.RequestedURL)
        return TStoreOutcome::Dropped;
    if (!rec->URL.isEmpty() && result.Findings.checked && !RecordCheck(list, *rec, result, now))
        return TStoreOutcome::NotRecorded;
    rec->Refreshed = now;
    if (rec->URL.isEmpty())
        return TStoreOutcome::Written; // nothing was fetched, so nothing failed
    if (!unfetchedScheme(ToNarrow(rec->URL)).isEmpty()) {
        rec->RefreshState = 0;
        rec->RefreshMsg.clear();
        return TStoreOutcome::Written;
    }
    // Cut here as a save would, so the record equals what a reload gives even when the
    // file cannot be written.
    if (result.Success) {
        rec->RefreshState = 0;
        rec->Title = CutStoredText(result.Title);
        rec->Descr = CutStoredText(result.Description);
        rec->StoredURL = CutStoredText(result.URL);
    } else {
        rec->RefreshState = -1;
    }
    rec->RefreshMsg = CutStoredText(result.ErrorMsg);
    return TStoreOutcome::Written;
}

TStoreOutcome SaveRecord(TBookmarks &list, int index)
{
    list.FindSubject(index);
    return list.Save(index) ? TStoreOutcome::Written : TStoreOutcome::NotWritten;
}
} // namespace

TStoreOutcome StoreDownloadResult(TBookmarks &list, const TDownloadResult &result, TDateTime now)
{
    if (!result.Valid)
        return TStoreOutcome::Nothing;
    const TStoreOutcome put = PutIntoRecord(list, result, now);
    return put == TStoreOutcome::Written ? SaveRecord(list, result.Index) : put;
}

int NextRefreshIndex(const TBookmarks &list, std::span<const int> shownRows,
                     const std::function<bool(int)> &skip)
{
    // The skip test is the cheap one; it goes first.
    auto wanted = [&](int i) { return !(skip && skip(i)) && list.IsRefreshDue(i); };
    for (const int i : shownRows)
        if (wanted(i))
            return i;
    for (int i = 0; i < list.Count(); ++i)
        if (wanted(i))
            return i;
    return -1;
}

TRefreshStep RunRefreshStep(TRefreshEngine &engine, TBookmarks &list, const TRefreshTick &tick)
{
    TRefreshStep step;
    // One download at a time: idle is judged before collecting, so a result published
    // just after the collect is taken by the next step before anything new is asked for.
    const bool idle = !engine.IsDownloading();
    step.Result = engine.GetDownloadResult();
    const TStoreOutcome put =
        step.Result.Valid ? PutIntoRecord(list, step.Result, engine.Now()) : TStoreOutcome::Nothing;
    step.Stored = put == TStoreOutcome::Written ? TStoreOutcome::Nothing : put;
    // The record reads as refreshed already, so the choice is the one a save would leave;
    // asking first lets the next page download while this file is written. A bookmark whose
    // result the link check still holds back is not asked for again.
    if (!tick.NoNetAccess && idle) {
        const auto skip = [&](int i) {
            return (tick.Skip && tick.Skip(i)) || engine.IsDownloadingIndex(i);
        };
        const int next = NextRefreshIndex(list, tick.ShownRows, skip);
        if (next >= 0 &&
            engine.RequestDownload(list.Item(next)->URL, next, list.Item(next)->FileName))
            step.Requested = next;
    }
    if (put == TStoreOutcome::Written)
        step.Stored = SaveRecord(list, step.Result.Index);
    if (step.Stored == TStoreOutcome::NotWritten)
        step.NotWritten = list.lastSaveFailure();
    return step;
}
