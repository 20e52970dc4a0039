#include "review.h"

#include "config/settings.h"
#include "lang/phrases.h"
#include "refresh/engine.h"
#include "store/bookmarks.h"

#include <QDate>
#include <cmath>
#include <cstdlib>

namespace {
// Only the day number 1 to 31 counts, so the windows come back on the first tick of a day.
int dayOfMonth(DateTime value)
{
    if (!isStoredDateTime(value))
        return 0;
    return QDate(1899, 12, 30).addDays(qint64(std::floor(value))).day();
}

int64_t wholeSecondsBetween(DateTime a, DateTime b)
{
    if (!isStoredDateTime(a) || !isStoredDateTime(b))
        return 0;
    return std::llabs(dateTimeToMs(a) - dateTimeToMs(b)) / 1000;
}
} // namespace

void Review::startTimer()
{
    if (!m_closed)
        m_timer.start(timerInterval);
}

void Review::tick()
{
    if (m_closed)
        return;
    // A tick never overlaps itself, also not while a dialog of its own is open.
    m_timer.stop();
    if (m_lastTick == 0 && !completeStartup())
        return;
    // While the list is empty nothing is shown, re-read or refreshed by the timer.
    if (m_bookmarks->count() >= 1)
        runTick();
    startTimer();
}

void Review::runTick()
{
    const DateTime now = m_now();
    const bool visible = m_view.isMainVisible();
    if (visible)
        m_lastShown = now;
    // A trigger seen while an action asks something waits for its end: re-reading the
    // folder then would pull the list from under the action. Nor do the windows change
    // while they fade or slide.
    m_triggerWaits = showTriggerHolds(now) || m_triggerWaits;
    if (isIdle()) {
        if (m_triggerWaits)
            resume(now, visible);
        else if (visible && m_folderChanged)
            dropChangedRows();
    }
    m_lastTick = m_now();
    runRefreshStep();
}

bool Review::showTriggerHolds(DateTime now) const
{
    if (m_awaitingRefresh)
        return !anyShownAwaitsRefresh(); // the chosen entries are refreshed now
    if (dayOfMonth(now) != dayOfMonth(m_lastShown))
        return true;
    // A long pause, such as a suspend, since the last tick.
    return wholeSecondsBetween(now, m_lastTick) > timerInterval / 1000 + 10;
}

void Review::resume(DateTime now, bool visible)
{
    m_triggerWaits = false;
    m_lastShown = now;
    if (visible)
        m_view.hideAll();
    m_awaitingRefresh = false;
    showNext();
}

void Review::dropChangedRows()
{
    bool dropped = false;
    for (int &index : m_entries) {
        if (m_bookmarks->isValidIndex(index) && !m_bookmarks->isUnchanged(index)) {
            index = -1;
            dropped = true;
        }
    }
    if (!dropped)
        return;
    updateView();
    m_view.hideAll();
    showNext();
}

void Review::showNext()
{
    if (m_closed)
        return;
    if (!isIdle()) {
        whenIdle([this] { showNext(); });
        return;
    }
    if (m_view.isMainVisible())
        return;
    if (allEntriesEmpty() || m_folderChanged) {
        readFavorites();
        selectEntries(m_awaitingRefresh);
    }
    updateView();
    m_view.showAll();
}

void Review::readFavorites(const QString &otherFolder)
{
    cancelDownload();
    if (otherFolder.isEmpty())
        m_bookmarks->load();
    else
        m_bookmarks->loadFrom(otherFolder);
    m_folderNames.take(*m_bookmarks);
    m_folderChanged = false;
    m_view.favoritesRead();
}

void Review::runRefreshStep()
{
    const DateTime now = m_now();
    // The network is judged anew once the wait is over.
    if (m_networkWaitsUntil > 0 && now >= m_networkWaitsUntil) {
        m_networkWaitsUntil = 0;
        m_engine->newRun();
        m_view.showNetworkHint(QString());
    }
    // A run that failed asks for nothing more.
    if (const RunFailure failed = m_engine->networkFailure(); failed.kind != NetworkFailure::None)
        waitForNetwork(failed, now);
    const RefreshTick tick{.shownRows = m_entries,
                           .noNetAccess = settings.noNetAccess || m_networkWaitsUntil > 0};
    const RefreshStep step = ::runRefreshStep(*m_engine, *m_bookmarks, tick);
    if (step.stored == StoreOutcome::NotRecorded &&
        step.result.findings.network.kind != NetworkFailure::None)
        waitForNetwork(step.result.findings.network, now);
    if (step.stored != StoreOutcome::Written && step.stored != StoreOutcome::NotWritten)
        return;
    if (m_wholeRefresh > 0 && m_bookmarks->refreshDueCount() == 0)
        m_wholeRefresh = 0; // all refreshed
    m_view.updateProgress();
}

// The network, a proxy or a sign-in page failed the run: nothing of it was recorded, and the
// refresh tries again RefreshAfterFail minutes after the failure was seen.
void Review::waitForNetwork(const RunFailure &failure, DateTime now)
{
    if (m_networkWaitsUntil > 0)
        return;
    m_view.showNetworkHint(
        phrase(failure.kind == NetworkFailure::Portal ? "HintSignInFirst" : "HintNoNetwork"));
    m_networkWaitsUntil = now + m_bookmarks->intervals().refreshAfterFail / (24.0 * 60.0);
}
