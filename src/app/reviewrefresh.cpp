#include "reviewrefresh.h"

#include "refresh/engine.h"

ReviewRefresh::ReviewRefresh(const ReviewCommon &common, const MakeDownloader &makeDownloader)
    : m_common(common), m_bookmarks(common.bookmarks)
{
    // The worker's thread only posts; the result is stored on this one.
    const auto resultReady = [this] {
        QMetaObject::invokeMethod(
            &m_arrivals, [this] { storeArrived(); }, Qt::QueuedConnection);
    };
    m_engine = std::make_unique<RefreshEngine>(makeDownloader(resultReady), common.now);
}

ReviewRefresh::~ReviewRefresh() = default;

void ReviewRefresh::start()
{
    m_engine->initDownloader();
}

void ReviewRefresh::stop()
{
    m_engine->doneDownloader();
}

void ReviewRefresh::step()
{
    const DateTime now = m_common.now();
    // The network is judged anew once the wait is over.
    if (m_networkWaitsUntil > 0 && now >= m_networkWaitsUntil) {
        m_networkWaitsUntil = 0;
        m_engine->newRun();
        m_common.view.showNetworkHint(QString());
    }
    // Network access switched off ends a "Refresh all": its progress is not left standing.
    if (m_common.options.noNetAccess && m_wholeRefresh > 0) {
        m_wholeRefresh = 0;
        m_common.view.updateProgress();
    }
    // A run that failed asks for nothing more.
    if (const RunFailure failed = m_engine->networkFailure(); failed.kind != NetworkFailure::None)
        waitForNetwork(failed);
    std::erase_if(m_checkFirst, [this](int index) { return !m_bookmarks.isRefreshDue(index); });
    std::vector<int> first(m_common.rows.entries().begin(), m_common.rows.entries().end());
    first.insert(first.end(), m_checkFirst.begin(), m_checkFirst.end());
    const RefreshTick tick{.shownRows = first,
                           .noNetAccess = m_common.options.noNetAccess || m_networkWaitsUntil > 0};
    follow(runRefreshStep(*m_engine, m_bookmarks, tick));
}

// Every result that waits is stored; the next download is the tick's to ask for.
void ReviewRefresh::storeArrived()
{
    const RefreshTick collectOnly{.shownRows = m_common.rows.entries(), .noNetAccess = true};
    for (RefreshStep step = runRefreshStep(*m_engine, m_bookmarks, collectOnly);
         step.stored != StoreOutcome::Nothing;
         step = runRefreshStep(*m_engine, m_bookmarks, collectOnly))
        follow(step);
}

void ReviewRefresh::follow(const RefreshStep &step)
{
    if (step.stored == StoreOutcome::NotRecorded &&
        step.result.findings.network.kind != NetworkFailure::None)
        waitForNetwork(step.result.findings.network);
    if (step.stored != StoreOutcome::Written && step.stored != StoreOutcome::NotWritten)
        return;
    const bool wholeDone = m_wholeRefresh > 0 && m_bookmarks.refreshDueCount() == 0;
    if (wholeDone)
        m_wholeRefresh = 0;
    m_common.view.updateProgress();
    if (wholeDone)
        m_common.view.showRefreshSummary(refreshSummaryText(m_common.texts, summary()));
}

// Over the bookmarks in the rotation, which "Refresh all" made due.
RefreshSummary ReviewRefresh::summary() const
{
    RefreshSummary found;
    for (int i = 0; i < m_bookmarks.count(); ++i) {
        if (!m_bookmarks.isActive(i))
            continue;
        const BookmarkRec &rec = *m_bookmarks.item(i);
        if (isBrokenVerdict(rec.verdict))
            ++found.gone;
        else if (rec.verdict == LinkVerdict::Failing ||
                 (rec.verdict == LinkVerdict::None && rec.refreshState < 0))
            ++found.failing;
        else
            ++found.ok;
    }
    return found;
}

QString refreshSummaryText(const ReviewTexts &texts, const RefreshSummary &summary)
{
    QStringList groups;
    const std::pair<int, const char *> parts[] = {{summary.ok, "WrdCheckedOk"},
                                                  {summary.failing, "WrdCheckedFailing"},
                                                  {summary.gone, "WrdCheckedGone"}};
    for (const auto &[count, key] : parts)
        if (count > 0)
            groups << texts(key, {QString::number(count)});
    const int checked = summary.ok + summary.failing + summary.gone;
    return texts(checked == 1 ? "MsgCheckedOne" : "MsgCheckedMany",
                 {QString::number(checked), groups.join(QStringLiteral(", "))});
}

// The network, a proxy or a sign-in page failed the run: nothing of it was recorded, and the
// refresh tries again RefreshAfterFail minutes after the failure was seen.
void ReviewRefresh::waitForNetwork(const RunFailure &failure)
{
    if (m_networkWaitsUntil > 0)
        return;
    m_common.view.showNetworkHint(m_common.texts(
        failure.kind == NetworkFailure::Portal ? "HintSignInFirst" : "HintNoNetwork"));
    m_networkWaitsUntil = m_common.now() + m_bookmarks.intervals().refreshAfterFail / (24.0 * 60.0);
}

void ReviewRefresh::checkAgain(int index)
{
    BookmarkRec *rec = m_bookmarks.item(index);
    if (!rec)
        return;
    rec->refreshed = 0;
    rec->notBefore = 0;
    m_checkFirst.push_back(index);
}

void ReviewRefresh::cancel()
{
    if (m_engine->isDownloading())
        m_engine->abortDownload();
}

void ReviewRefresh::cancelFor(int index)
{
    if (m_engine->isDownloadingIndex(index))
        m_engine->abortDownload();
}

void ReviewRefresh::countWhole()
{
    m_wholeRefresh = m_common.options.noNetAccess ? 0 : m_bookmarks.refreshDueCount();
}

RefreshProgress ReviewRefresh::wholeProgress() const
{
    if (m_wholeRefresh == 0)
        return {};
    return {std::max(0, m_wholeRefresh - m_bookmarks.refreshDueCount()), m_wholeRefresh};
}
