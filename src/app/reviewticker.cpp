#include "reviewticker.h"

#include "lang/confirm.h"
#include "reviewchooser.h"
#include "reviewrefresh.h"

#include <QDate>
#include <algorithm>
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

ReviewTicker::ReviewTicker(const ReviewCommon &common, BookmarkChooser &chooser,
                           ReviewRefresh &refresh, ReviewTimer &timer, Confirmer &confirmer)
    : m_common(common), m_bookmarks(common.bookmarks), m_rows(common.rows), m_chooser(chooser),
      m_refresh(refresh), m_timer(timer), m_confirmer(confirmer)
{
    m_folderNames.take(m_bookmarks);
}

void ReviewTicker::begin()
{
    m_lastTick = 1.0;
    startTimer();
}

void ReviewTicker::startTimer()
{
    if (!m_rows.isClosed())
        m_timer.start(interval);
}

void ReviewTicker::tick()
{
    if (m_rows.isClosed())
        return;
    // A tick never overlaps itself, also not while a dialog of its own is open.
    m_timer.stop();
    // While the list is empty nothing is shown, re-read or refreshed by the timer.
    if (m_bookmarks.count() >= 1)
        runTick();
    startTimer();
}

void ReviewTicker::runTick()
{
    const DateTime now = m_common.now();
    const bool visible = m_common.view.isMainVisible();
    if (visible)
        m_lastShown = now;
    // A trigger seen while an action asks something waits for its end: re-reading the
    // folder then would pull the list from under the action. Nor do the windows change
    // while they fade or slide.
    m_triggerWaits = showTriggerHolds(now) || m_triggerWaits;
    if (m_rows.isIdle()) {
        if (m_triggerWaits)
            resume(now, visible);
        else if (visible && m_folderChanged)
            dropChangedRows();
    }
    m_lastTick = m_common.now();
    m_refresh.step();
}

bool ReviewTicker::showTriggerHolds(DateTime now) const
{
    if (m_chooser.awaitingRefresh())
        return !m_chooser.anyShownAwaitsRefresh(); // the chosen entries are refreshed now
    if (dayOfMonth(now) != dayOfMonth(m_lastShown))
        return true;
    // A long pause, such as a suspend, since the last tick.
    return wholeSecondsBetween(now, m_lastTick) > interval / 1000 + 10;
}

void ReviewTicker::resume(DateTime now, bool visible)
{
    m_triggerWaits = false;
    m_lastShown = now;
    if (visible)
        m_common.view.hideAll();
    m_chooser.stopAwaiting();
    showNext();
}

void ReviewTicker::dropChangedRows()
{
    if (!m_rows.dropWhere([this](int index) {
            return m_bookmarks.isValidIndex(index) && !m_bookmarks.isUnchanged(index);
        }))
        return;
    m_chooser.updateView();
    m_common.view.hideAll();
    showNext();
}

// Favrake never changes an address: a shown bookmark that no longer holds its own was
// changed by someone else.
bool ReviewTicker::anyShownRowChanged() const
{
    return std::ranges::any_of(m_rows.entries(), [this](int index) {
        return m_bookmarks.isValidIndex(index) && !m_bookmarks.isUnchanged(index);
    });
}

void ReviewTicker::showNext()
{
    if (m_rows.isClosed())
        return;
    if (!m_rows.isIdle()) {
        m_rows.whenIdle([this] { showNext(); });
        return;
    }
    if (m_common.view.isMainVisible())
        return;
    if (m_rows.allEmpty() || m_folderChanged) {
        readFavorites();
        m_chooser.selectEntries(m_chooser.awaitingRefresh());
    }
    m_chooser.updateView();
    m_common.view.showAll();
}

void ReviewTicker::readFavorites(const QString &otherFolder)
{
    m_refresh.cancel();
    if (otherFolder.isEmpty())
        m_bookmarks.load();
    else
        m_bookmarks.loadFrom(otherFolder);
    m_folderNames.take(m_bookmarks);
    m_folderChanged = false;
    m_common.view.favoritesRead();
}

void ReviewTicker::folderChanged(const QString &folder)
{
    if (m_folderNames.changed(folder) || anyShownRowChanged())
        m_folderChanged = true;
    if (m_folderChanged && m_bookmarks.count() == 0)
        m_rows.whenIdle([this] { readEmptyCollection(); });
    else if (!m_folderChanged && m_rows.isIdle())
        takeOutsideRefreshes();
}

// Another Favrake (the timer's, the command line) refreshed a shown bookmark: its window
// shows the new title and verdict without moving the column.
void ReviewTicker::takeOutsideRefreshes()
{
    bool taken = false;
    for (const int index : m_rows.entries())
        taken = m_bookmarks.takeOutsideRefresh(index) || taken;
    if (taken)
        m_common.view.updateShownTexts();
}

void ReviewTicker::readEmptyCollection()
{
    if (m_bookmarks.count() > 0 || !m_folderChanged)
        return;
    readFavorites();
    if (m_bookmarks.count() == 0)
        m_chooser.updateView(); // the information page tells what the folder holds now
    else
        showFirstEntries();
}

// A collection read anew from the start: its first entries come up.
void ReviewTicker::showFirstEntries()
{
    if (m_common.view.isMainVisible())
        m_common.view.hideAll();
    m_chooser.chooseAnew();
    showNext();
}

void ReviewTicker::changeFavorites(const QString &path)
{
    if (!m_rows.isIdle()) {
        m_rows.whenIdle([this, path] { changeFavorites(path); });
        return;
    }
    readFavorites(path);
    showFirstEntries();
}

void ReviewTicker::showPutBackBookmarks()
{
    const ActionScope scope(m_rows);
    if (m_confirmer.showConfirm(Confirmation, m_common.texts("MsgPutBack"),
                                QStringLiteral("PutBack"), 11, 0)) {
        m_common.view.hideAll();
        m_bookmarks.putBackAll();
        showNext(); // runs when this action has ended
    }
}

void ReviewTicker::refreshAll()
{
    if (m_common.options.noNetAccess)
        return; // offered disabled: nothing could be fetched, and the column stays
    const ActionScope scope(m_rows);
    // The download page shows how far the refresh got, and the tray tells it too.
    if (m_confirmer.showConfirm(Confirmation, m_common.texts("MsgRefresh"),
                                QStringLiteral("Refresh"), 12, 0))
        m_rows.whenIdle([this] { restartRefresh(); });
}

// A shown column starts again with the bookmarks refreshed first; a hidden one stays hidden,
// and the run's progress shows in the tray's hint.
void ReviewTicker::restartRefresh()
{
    const bool visible = m_common.view.isMainVisible();
    m_refresh.cancel();
    m_bookmarks.refreshAll();
    m_refresh.countWhole();
    m_common.view.updateProgress();
    if (!visible)
        return;
    m_common.view.hideAll();
    m_common.view.clearShownWindows();
    m_chooser.chooseAnew();
    m_lastShown = 0;
    showNext();
}
