#include "refresh/engine.h"

#include "refresh/checkcode.h"
#include "refresh/fetchaddress.h"
#include "refresh/htmlscanner.h"
#include "refresh/linkverdict.h"
#include "store/bookmarks.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <algorithm>

RefreshEngine::RefreshEngine(std::unique_ptr<AbstractDownloader> downloader, Clock now)
    : m_downloader(std::move(downloader)), m_now(std::move(now))
{
}

RefreshEngine::~RefreshEngine()
{
    doneDownloader();
}

void RefreshEngine::initDownloader()
{
    m_downloader->start();
}

void RefreshEngine::doneDownloader()
{
    m_downloader->stop();
    m_requests.clear();
}

bool RefreshEngine::requestDownload(const QString &address, int index, const QString &fileName)
{
    const quint64 serial = m_downloader->request(toNarrow(address), index);
    if (serial == 0)
        return false;
    m_requests[serial] = {index, address, fileName};
    return true;
}

void RefreshEngine::abortDownload()
{
    m_downloader->abort();
    m_requests.clear();
}

bool RefreshEngine::isDownloading() const
{
    return m_downloader->isBusy();
}

bool RefreshEngine::isDownloadingIndex(int index) const
{
    return m_downloader->isBusyWith(index);
}

DownloadResult RefreshEngine::getDownloadResult()
{
    // Only the answer to a request still standing counts, never one that was withdrawn; such
    // an answer must not hide the ones behind it either.
    std::optional<DownloadResult> result;
    auto request = m_requests.end();
    while (request == m_requests.end()) {
        result = m_downloader->takeResult();
        if (!result)
            return {};
        request = m_requests.find(result->serial);
        if (request != m_requests.end() && request->second.index != result->index)
            request = m_requests.end();
    }
    if (result->success) {
        // One scan of the page for what is stored and what the link check reads.
        HtmlScanner scanner;
        scanner.parse(result->body, result->headers);
        result->title = scanner.getTitle();
        result->description = scanner.getDescription();
        if (result->findings.checked)
            result->text = readPageText(scanner);
    }
    result->valid = true;
    result->fileName = request->second.fileName;
    result->requestedUrl = request->second.address;
    m_requests.erase(request);
    return std::move(*result);
}

namespace {
// The link check's part: false when it could not tell, and nothing is to be recorded.
bool recordCheck(Bookmarks &list, BookmarkRec &rec, const DownloadResult &result, DateTime now)
{
    const Intervals intervals = list.intervals();
    const CheckOutcome outcome = checkCode(result, rec.title);
    if (outcome.code == CheckCode::None) {
        // Not due again at once, so that a refresh waiting for it does not ask in a loop.
        rec.notBefore = now + intervals.refreshAfterFail / (24.0 * 60.0);
        return false;
    }
    const bool stillParked =
        rec.verdict == LinkVerdict::Parked && outcome.code == CheckCode::Parked;
    rec.history = addCheck(rec.history, outcome.code, now);
    rec.verdict = judgeLink(rec.history, now, outcome.atOnce || stillParked, intervals).verdict;
    rec.evidence = outcome.evidence.left(maxEvidenceLength);
    return true;
}

// The record part of storing: Written when there is something to save.
StoreOutcome putIntoRecord(Bookmarks &list, const DownloadResult &result, DateTime now)
{
    BookmarkRec *rec = list.item(result.index);
    // The folder may have been read again, or the file changed, since the request.
    if (!rec || rec->fileName != result.fileName || rec->url != result.requestedUrl)
        return StoreOutcome::Dropped;
    if (!rec->url.isEmpty() && result.findings.checked && !recordCheck(list, *rec, result, now))
        return StoreOutcome::NotRecorded;
    rec->refreshed = now;
    if (rec->url.isEmpty())
        return StoreOutcome::Written; // nothing was fetched, so nothing failed
    if (!unfetchedScheme(toNarrow(rec->url)).isEmpty()) {
        rec->refreshState = 0;
        rec->refreshMsg.clear();
        return StoreOutcome::Written;
    }
    // Cut here as a save would, so the record equals what a reload gives even when the
    // file cannot be written.
    if (result.success) {
        rec->refreshState = 0;
        rec->title = cutStoredText(result.title);
        rec->descr = cutStoredText(result.description);
        rec->storedUrl = cutStoredText(fromNarrow(result.url));
    } else {
        rec->refreshState = -1;
    }
    rec->refreshMsg = cutStoredText(fromNarrow(result.errorMsg));
    return StoreOutcome::Written;
}

StoreOutcome saveRecord(Bookmarks &list, int index)
{
    list.findSubject(index);
    return list.save(index) ? StoreOutcome::Written : StoreOutcome::NotWritten;
}
} // namespace

StoreOutcome storeDownloadResult(Bookmarks &list, const DownloadResult &result, DateTime now)
{
    if (!result.valid)
        return StoreOutcome::Nothing;
    const StoreOutcome put = putIntoRecord(list, result, now);
    return put == StoreOutcome::Written ? saveRecord(list, result.index) : put;
}

int nextRefreshIndex(const Bookmarks &list, std::span<const int> shownRows,
                     const std::function<bool(int)> &skip)
{
    // The skip test is the cheap one; it goes first.
    auto wanted = [&](int i) { return !(skip && skip(i)) && list.isRefreshDue(i); };
    for (const int i : shownRows)
        if (wanted(i))
            return i;
    for (int i = 0; i < list.count(); ++i)
        if (wanted(i))
            return i;
    return -1;
}

RefreshStep runRefreshStep(RefreshEngine &engine, Bookmarks &list, const RefreshTick &tick)
{
    RefreshStep step;
    // One download at a time: idle is judged before collecting, so a result published
    // just after the collect is taken by the next step before anything new is asked for.
    const bool idle = !engine.isDownloading();
    step.result = engine.getDownloadResult();
    const StoreOutcome put =
        step.result.valid ? putIntoRecord(list, step.result, engine.now()) : StoreOutcome::Nothing;
    step.stored = put == StoreOutcome::Written ? StoreOutcome::Nothing : put;
    // The record reads as refreshed already, so the choice is the one a save would leave;
    // asking first lets the next page download while this file is written. A bookmark whose
    // result the link check still holds back is not asked for again.
    if (!tick.noNetAccess && idle) {
        const auto skip = [&](int i) {
            return (tick.skip && tick.skip(i)) || engine.isDownloadingIndex(i);
        };
        const int next = nextRefreshIndex(list, tick.shownRows, skip);
        if (next >= 0 &&
            engine.requestDownload(list.item(next)->url, next, list.item(next)->fileName))
            step.requested = next;
    }
    if (put == StoreOutcome::Written)
        step.stored = saveRecord(list, step.result.index);
    if (step.stored == StoreOutcome::NotWritten)
        step.notWritten = list.lastSaveFailure();
    return step;
}
