#include "review.h"

#include "config/settings.h"
#include "store/bookmarks.h"

namespace {
enum TSelectionMode { RandomMode = -1, OldestFirst = 1, NewestFirst = 2, BrokenFirst = 3 };
} // namespace

bool TReview::IsSelectable(int index, bool includeAwaiting) const
{
    if (!m_bookmarks->IsRemindDue(index) || m_bookmarks->Item(index)->Shown != 0)
        return false;
    return includeAwaiting || !m_bookmarks->IsRefreshDue(index);
}

int TReview::SelectEntries(bool includeAwaiting)
{
    m_entries.fill(-1);
    m_awaited.fill(false);
    if (m_bookmarks->Count() < 1)
        return 0;
    m_bookmarks->ClearShown();
    // Without net access no refresh ever comes, so a row waiting for one would stay
    // undisplayable for good.
    includeAwaiting = includeAwaiting && !Settings.NoNetAccess;
    int filled = 0;
    while (filled < RowCount) {
        const int index = FindNext(Settings.SelectionMode, includeAwaiting);
        if (index < 0)
            break;
        m_awaited[size_t(filled)] = m_bookmarks->IsRefreshDue(index);
        m_entries[size_t(filled++)] = index;
        m_bookmarks->Item(index)->Shown = 1;
    }
    return filled;
}

bool TReview::AnyShownAwaitsRefresh() const
{
    if (Settings.NoNetAccess)
        return false;
    for (const int index : m_entries)
        if (m_bookmarks->IsRefreshDue(index))
            return true;
    return false;
}

TRefreshProgress TReview::RefreshProgress() const
{
    TRefreshProgress progress;
    for (size_t row = 0; row < size_t(RowCount); ++row) {
        const int index = m_entries[row];
        if (!m_bookmarks->IsValidIndex(index))
            continue;
        const bool due = m_bookmarks->IsRefreshDue(index);
        progress.Total += m_awaited[row] || due ? 1 : 0;
        progress.Done += m_awaited[row] && !due ? 1 : 0;
    }
    return progress;
}

TRefreshProgress TReview::WholeRefreshProgress() const
{
    if (m_wholeRefresh == 0)
        return {};
    return {std::max(0, m_wholeRefresh - m_bookmarks->RefreshDueCount()), m_wholeRefresh};
}

bool TReview::AllEntriesEmpty() const
{
    for (const int index : m_entries)
        if (index >= 0)
            return false;
    return true;
}

bool TReview::IsRowDisplayable(int row) const
{
    const int index = EntryAt(row);
    return m_bookmarks->IsValidIndex(index) && !m_bookmarks->IsRefreshDue(index);
}

int TReview::FindNext(int mode, bool includeAwaiting)
{
    switch (mode) {
    case RandomMode:
        return FindRandom(includeAwaiting);
    case OldestFirst:
        return FindSorted(false, includeAwaiting);
    case NewestFirst:
        return FindSorted(true, includeAwaiting);
    case BrokenFirst: {
        const int broken = FindSorted(false, includeAwaiting, true);
        return broken >= 0 ? broken : FindSorted(false, includeAwaiting);
    }
    default:
        return FindFirst(includeAwaiting);
    }
}

int TReview::FindRandom(bool includeAwaiting)
{
    const int count = m_bookmarks->Count();
    const int start = Random(count);
    for (int step = 0; step < count; ++step) {
        const int index = (start + step) % count;
        if (IsSelectable(index, includeAwaiting))
            return index;
    }
    return -1;
}

int TReview::FindSorted(bool newest, bool includeAwaiting, bool brokenOnly) const
{
    // Ties go to the lowest index when oldest first, to the highest when newest first; a
    // negative reference time is never chosen.
    int best = -1;
    TDateTime bound = newest ? 0.0 : 1.0e10;
    for (int index = 0; index < m_bookmarks->Count(); ++index) {
        const TDateTime reference = m_bookmarks->Item(index)->ReferenceTime;
        if (reference < 0 || !IsSelectable(index, includeAwaiting) ||
            (brokenOnly && !IsBrokenVerdict(m_bookmarks->Item(index)->Verdict)))
            continue;
        if (newest ? reference >= bound : reference < bound) {
            best = index;
            bound = reference;
        }
    }
    return best;
}

int TReview::FindFirst(bool includeAwaiting) const
{
    for (int index = 0; index < m_bookmarks->Count(); ++index)
        if (IsSelectable(index, includeAwaiting))
            return index;
    return -1;
}

int TReview::Random(int count)
{
    // A 32-bit linear congruential generator; the draw is the high half of count × seed.
    m_randomSeed = m_randomSeed * 134775813u + 1u;
    return int((uint64_t(uint32_t(count)) * uint64_t(m_randomSeed)) >> 32);
}
