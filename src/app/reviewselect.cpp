#include "review.h"

#include "config/settings.h"
#include "store/bookmarks.h"

namespace {
enum SelectionMode { RandomMode = -1, OldestFirst = 1, NewestFirst = 2, BrokenFirst = 3 };
} // namespace

bool Review::isSelectable(int index, bool includeAwaiting) const
{
    if (!m_bookmarks->isRemindDue(index) || m_bookmarks->item(index)->shown != 0)
        return false;
    return includeAwaiting || !m_bookmarks->isRefreshDue(index);
}

int Review::selectEntries(bool includeAwaiting)
{
    m_entries.fill(-1);
    m_awaited.fill(false);
    if (m_bookmarks->count() < 1)
        return 0;
    m_bookmarks->clearShown();
    // Without net access no refresh ever comes, so a row waiting for one would stay
    // undisplayable for good.
    includeAwaiting = includeAwaiting && !settings.noNetAccess;
    int filled = 0;
    while (filled < rowCount) {
        const int index = findNext(settings.selectionMode, includeAwaiting);
        if (index < 0)
            break;
        m_awaited[size_t(filled)] = m_bookmarks->isRefreshDue(index);
        m_entries[size_t(filled++)] = index;
        m_bookmarks->item(index)->shown = 1;
    }
    return filled;
}

bool Review::anyShownAwaitsRefresh() const
{
    if (settings.noNetAccess)
        return false;
    for (const int index : m_entries)
        if (m_bookmarks->isRefreshDue(index))
            return true;
    return false;
}

RefreshProgress Review::refreshProgress() const
{
    RefreshProgress progress;
    for (size_t row = 0; row < size_t(rowCount); ++row) {
        const int index = m_entries[row];
        if (!m_bookmarks->isValidIndex(index))
            continue;
        const bool due = m_bookmarks->isRefreshDue(index);
        progress.total += m_awaited[row] || due ? 1 : 0;
        progress.done += m_awaited[row] && !due ? 1 : 0;
    }
    return progress;
}

RefreshProgress Review::wholeRefreshProgress() const
{
    if (m_wholeRefresh == 0)
        return {};
    return {std::max(0, m_wholeRefresh - m_bookmarks->refreshDueCount()), m_wholeRefresh};
}

bool Review::allEntriesEmpty() const
{
    for (const int index : m_entries)
        if (index >= 0)
            return false;
    return true;
}

bool Review::isRowDisplayable(int row) const
{
    const int index = entryAt(row);
    return m_bookmarks->isValidIndex(index) && !m_bookmarks->isRefreshDue(index);
}

int Review::findNext(int mode, bool includeAwaiting)
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

int Review::findRandom(bool includeAwaiting)
{
    const int count = m_bookmarks->count();
    const int start = random(count);
    for (int step = 0; step < count; ++step) {
        const int index = (start + step) % count;
        if (isSelectable(index, includeAwaiting))
            return index;
    }
    return -1;
}

int Review::findSorted(bool newest, bool includeAwaiting, bool brokenOnly) const
{
    // Ties go to the lowest index when oldest first, to the highest when newest first; a
    // negative reference time is never chosen.
    int best = -1;
    DateTime bound = newest ? 0.0 : 1.0e10;
    for (int index = 0; index < m_bookmarks->count(); ++index) {
        const DateTime reference = m_bookmarks->item(index)->referenceTime;
        if (reference < 0 || !isSelectable(index, includeAwaiting) ||
            (brokenOnly && !isBrokenVerdict(m_bookmarks->item(index)->verdict)))
            continue;
        if (newest ? reference >= bound : reference < bound) {
            best = index;
            bound = reference;
        }
    }
    return best;
}

int Review::findFirst(bool includeAwaiting) const
{
    for (int index = 0; index < m_bookmarks->count(); ++index)
        if (isSelectable(index, includeAwaiting))
            return index;
    return -1;
}

int Review::random(int count)
{
    // A 32-bit linear congruential generator; the draw is the high half of count × seed.
    m_randomSeed = m_randomSeed * 134775813u + 1u;
    return int((uint64_t(uint32_t(count)) * uint64_t(m_randomSeed)) >> 32);
}
