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
int DayOfMonth(TDateTime value)
{
    if (!IsStoredDateTime(value))
        return 0;
    return QDate(1899, 12, 30).addDays(qint64(std::floor(value))).day();
}

int64_t WholeSecondsBetween(TDateTime a, TDateTime b)
{
    if (!IsStoredDateTime(a) || !IsStoredDateTime(b))
        return 0;
    return std::llabs(DateTimeToMs(a) - DateTimeToMs(b)) / 1000;
}
} // namespace

void TReview::StartTimer()
{
    if (!m_closed)
        m_timer.Start(TimerInterval);
}

void TReview::tick()
{
    if (m_closed)
        return;
    // A tick never overlaps itself, also not while a dialog of its own is open.
    m_timer.Stop();
    if (m_lastTick == 0 && !CompleteStartup())
        return;
    // While the list is empty nothing is shown, re-read or refreshed by the timer.
    if (m_bookmarks->Count() >= 1)
        RunTick();
    StartTimer();
}

void TReview::RunTick()
{
    const TDateTime now = m_now();
    const bool visible = m_view.IsMainVisible();
    if (visible)
        m_lastShown = now;
    // A trigger seen while an action asks something waits for its end: re-reading the
    // folder then would pull the list from under the action. Nor do the windows change
    // while they fade or slide.
    m_triggerWaits = ShowTriggerHolds(now) || m_triggerWaits;
    if (IsIdle()) {
        if (m_triggerWaits)
            Resume(now, visible);
        else if (visible && m_folderChanged)
            DropChangedRows();
    }
    m_lastTick = m_now();
    RunRefreshStep();
}

bool TReview::ShowTriggerHolds(TDateTime now) const
{
    if (m_awaitingRefresh)
        return !AnyShownAwaitsRefresh(); // the chosen entries are refreshed now
    if (DayOfMonth(now) != DayOfMonth(m_lastShown))
        return true;
    // A long pause, such as a suspend, since the last tick.
    return WholeSecondsBetween(now, m_lastTick) > TimerInterval / 1000 + 10;
}

void TReview::Resume(TDateTime now, bool visible)
{
    m_triggerWaits = false;
    m_lastShown = now;
    if (visible)
        m_view.HideAll();
    m_awaitingRefresh = false;
    ShowNext();
}

void TReview::DropChangedRows()
{
    bool dropped = false;
    for (int &index : m_entries) {
        if (m_bookmarks->IsValidIndex(index) && !m_bookmarks->IsUnchanged(index)) {
            index = -1;
            dropped = true;
        }
    }
    if (!dropped)
        return;
    UpdateView();
    m_view.HideAll();
    ShowNext();
}

void TReview::ShowNext()
{
    if (m_closed)
        return;
    if (!IsIdle()) {
        WhenIdle([this] { ShowNext(); });
        return;
    }
    if (m_view.IsMainVisible())
        return;
    if (AllEntriesEmpty() || m_folderChanged) {
        ReadFavorites();
        SelectEntries(m_awaitingRefresh);
    }
    UpdateView();
    m_view.ShowAll();
}

void TReview::ReadFavorites(const QString &otherFolder)
{
    CancelDownload();
    if (otherFolder.isEmpty())
        m_bookmarks->Load();
    else
        m_bookmarks->LoadFrom(otherFolder);
    m_folderNames.Take(*m_bookmarks);
    m_folderChanged = false;
    m_view.FavoritesRead();
}

void TReview::RunRefreshStep()
{
    const TDateTime now = m_now();
    // The network is judged anew once the wait is over.
    if (m_networkWaitsUntil > 0 && now >= m_networkWaitsUntil) {
        m_networkWaitsUntil = 0;
        m_engine->newRun();
        m_view.ShowNetworkHint(QString());
    }
    // A run that failed asks for nothing more.
    if (const RunFailure failed = m_engine->networkFailure(); failed.kind != NetworkFailure::None)
        WaitForNetwork(failed, now);
    const TRefreshTick tick{.ShownRows = m_entries,
                            .NoNetAccess = Settings.NoNetAccess || m_networkWaitsUntil > 0};
    const TRefreshStep step = ::RunRefreshStep(*m_engine, *m_bookmarks, tick);
    if (step.Stored == TStoreOutcome::NotRecorded &&
        step.Result.Findings.network.kind != NetworkFailure::None)
        WaitForNetwork(step.Result.Findings.network, now);
    if (step.Stored != TStoreOutcome::Written && step.Stored != TStoreOutcome::NotWritten)
        return;
    if (m_wholeRefresh > 0 && m_bookmarks->RefreshDueCount() == 0)
        m_wholeRefresh = 0; // all refreshed
    m_view.UpdateProgress();
}

// The network, a proxy or a sign-in page failed the run: nothing of it was recorded, and the
// refresh tries again RefreshAfterFail minutes after the failure was seen.
void TReview::WaitForNetwork(const RunFailure &failure, TDateTime now)
{
    if (m_networkWaitsUntil > 0)
        return;
    m_view.ShowNetworkHint(
        Phrase(failure.kind == NetworkFailure::Portal ? "HintSignInFirst" : "HintNoNetwork"));
    m_networkWaitsUntil = now + m_bookmarks->Intervals().RefreshAfterFail / (24.0 * 60.0);
}
