#include "reviewchooser.h"

#include <algorithm>

namespace {
enum SelectionMode { RandomMode = -1, OldestFirst = 1, NewestFirst = 2, BrokenFirst = 3 };
} // namespace

BookmarkChooser::BookmarkChooser(const ReviewCommon &common, ReviewHost &host, uint32_t randomSeed)
    : m_common(common), m_bookmarks(common.bookmarks), m_rows(common.rows), m_host(host),
      m_randomSeed(randomSeed)
{
}

bool BookmarkChooser::isSelectable(int index, bool includeAwaiting) const
{
    if (!m_bookmarks.isRemindDue(index) || m_bookmarks.item(index)->shown != 0)
        return false;
    return includeAwaiting || !awaitsRefresh(index);
}

int BookmarkChooser::selectEntries(bool includeAwaiting)
{
    m_rows.clear();
    if (m_bookmarks.count() < 1)
        return 0;
    m_bookmarks.clearShown();
    int filled = 0;
    while (filled < ReviewRows::count) {
        const int index = findNext(m_common.options.selectionMode, includeAwaiting);
        if (index < 0)
            break;
        m_rows.put(filled++, index, awaitsRefresh(index));
        m_bookmarks.item(index)->shown = 1;
    }
    return filled;
}

void BookmarkChooser::chooseAnew()
{
    selectEntries(true);
    m_awaitingRefresh = anyShownAwaitsRefresh();
}

// Without network access no refresh comes: a bookmark due for one shows as it is, so that
// neither a "Refresh all" nor a network switched off leaves the column without cards.
bool BookmarkChooser::awaitsRefresh(int index) const
{
    return !m_common.options.noNetAccess && m_bookmarks.isRefreshDue(index);
}

bool BookmarkChooser::anyShownAwaitsRefresh() const
{
    return std::ranges::any_of(m_rows.entries(),
                               [this](int index) { return awaitsRefresh(index); });
}

RefreshProgress BookmarkChooser::refreshProgress() const
{
    RefreshProgress progress;
    for (int row = 0; row < ReviewRows::count; ++row) {
        const int index = m_rows.entryAt(row);
        if (!m_bookmarks.isValidIndex(index))
            continue;
        const bool due = awaitsRefresh(index);
        progress.total += m_rows.wasAwaited(row) || due ? 1 : 0;
        progress.done += m_rows.wasAwaited(row) && !due ? 1 : 0;
    }
    return progress;
}

bool BookmarkChooser::isRowDisplayable(int row) const
{
    const int index = m_rows.entryAt(row);
    return m_bookmarks.isValidIndex(index) && !awaitsRefresh(index);
}

void BookmarkChooser::updateView()
{
    if (anyShownAwaitsRefresh())
        m_awaitingRefresh = true; // the download page is what the user sees now
    m_common.view.updateView();
    bool displayable = false;
    for (int row = 0; row < ReviewRows::count; ++row)
        displayable = displayable || isRowDisplayable(row);
    // Otherwise a later ShowAll would bring back windows of bookmarks already handled.
    if (!displayable)
        m_common.view.clearShownWindows();
}

void BookmarkChooser::changeSelectionMode(int mode)
{
    if (!m_rows.isIdle()) {
        m_rows.whenIdle([this, mode] { changeSelectionMode(mode); });
        return;
    }
    m_common.options.selectionMode = mode;
    m_host.keepSelectionMode(mode);
    selectEntries(false);
    updateView();
    m_common.view.showAll();
}

int BookmarkChooser::findNext(int mode, bool includeAwaiting)
{
    switch (mode) {
    case RandomMode:
        return findRandom(includeAwaiting);
    case OldestFirst:
        return findSorted(false, includeAwaiting);
    case NewestFirst:
        return findSorted(true, includeAwaiting);
    case BrokenFirst: {
        const int broken = findSorted(false, includeAwaiting, true);
        return broken >= 0 ? broken : findSorted(false, includeAwaiting);
    }
    default:
        return findFirst(includeAwaiting);
    }
}

int BookmarkChooser::findRandom(bool includeAwaiting)
{
    const int count = m_bookmarks.count();
    const int start = random(count);
    for (int step = 0; step < count; ++step) {
        const int index = (start + step) % count;
        if (isSelectable(index, includeAwaiting))
            return index;
    }
    return -1;
}

int BookmarkChooser::findSorted(bool newest, bool includeAwaiting, bool brokenOnly) const
{
    // Ties go to the lowest index when oldest first, to the highest when newest first; a
    // negative reference time is never chosen.
    int best = -1;
    DateTime bound = newest ? 0.0 : 1.0e10;
    for (int index = 0; index < m_bookmarks.count(); ++index) {
        const DateTime reference = m_bookmarks.item(index)->referenceTime;
        if (reference < 0 || !isSelectable(index, includeAwaiting) ||
            (brokenOnly && !isBrokenVerdict(m_bookmarks.item(index)->verdict)))
            continue;
        if (newest ? reference >= bound : reference < bound) {
            best = index;
            bound = reference;
        }
    }
    return best;
}

int BookmarkChooser::findFirst(bool includeAwaiting) const
{
    for (int index = 0; index < m_bookmarks.count(); ++index)
        if (isSelectable(index, includeAwaiting))
            return index;
    return -1;
}

int BookmarkChooser::random(int count)
{
    // A 32-bit linear congruential generator; the draw is the high half of count × seed.
    m_randomSeed = m_randomSeed * 134775813u + 1u;
    return int((uint64_t(uint32_t(count)) * uint64_t(m_randomSeed)) >> 32);
}
