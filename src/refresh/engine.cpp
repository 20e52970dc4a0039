#include "refresh/engine.h"

#include "refresh/pageinfo.h"
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
        const TPageInfo page = ReadPageInfo(raw->Content, raw->Headers);
        result.Title = page.Title;
        result.Description = page.Description;
    }
    result.Valid = true;
    result.FileName = request->second.FileName;
    result.RequestedURL = request->second.Address;
    result.Hops = raw->Hops;
    result.CurlCode = raw->CurlCode;
    result.Headers = raw->Headers;
    m_requests.erase(request);
    return result;
}

namespace {
// The record part of storing; false when the record is no longer the requested bookmark.
bool PutIntoRecord(TBookmarks &list, const TDownloadResult &result, TDateTime now)
{
    TBookmarkRec *rec = list.Item(result.Index);
    // The folder may have been read again, or the file changed, since the request.
    if (!rec || rec->FileName != result.FileName || rec->URL != result.RequestedURL)
        return false;
    rec->Refreshed = now;
    if (rec->URL.isEmpty())
        return true; // nothing was fetched, so nothing failed
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
    return true;
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
    if (!PutIntoRecord(list, result, now))
        return TStoreOutcome::Dropped;
    return SaveRecord(list, result.Index);
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
    const bool put = step.Result.Valid && PutIntoRecord(list, step.Result, engine.Now());
    if (step.Result.Valid && !put)
        step.Stored = TStoreOutcome::Dropped;
    // The record reads as refreshed already, so the choice is the one a save would leave;
    // asking first lets the next page download while this file is written.
    if (!tick.NoNetAccess && idle) {
        const int next = NextRefreshIndex(list, tick.ShownRows, tick.Skip);
        if (next >= 0 &&
            engine.RequestDownload(list.Item(next)->URL, next, list.Item(next)->FileName))
            step.Requested = next;
    }
    if (put)
        step.Stored = SaveRecord(list, step.Result.Index);
    if (step.Stored == TStoreOutcome::NotWritten)
        step.NotWritten = list.lastSaveFailure();
    return step;
}
