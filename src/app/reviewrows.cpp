#include "reviewrows.h"

#include <algorithm>

int ReviewRows::entryAt(int row) const
{
    return row >= 0 && row < count ? m_entries[size_t(row)] : -1;
}

void ReviewRows::clear()
{
    m_entries.fill(-1);
    m_awaited.fill(false);
}

void ReviewRows::put(int row, int index, bool awaited)
{
    m_entries[size_t(row)] = index;
    m_awaited[size_t(row)] = awaited;
}

void ReviewRows::drop(int row)
{
    if (row >= 0 && row < count)
        m_entries[size_t(row)] = -1;
}

bool ReviewRows::dropWhere(const std::function<bool(int index)> &fits)
{
    bool dropped = false;
    for (int &index : m_entries) {
        if (index >= 0 && fits(index)) {
            index = -1;
            dropped = true;
        }
    }
    return dropped;
}

bool ReviewRows::allEmpty() const
{
    return std::ranges::all_of(m_entries, [](int index) { return index < 0; });
}

void ReviewRows::beginAction()
{
    ++m_actionDepth;
}

void ReviewRows::endAction()
{
    if (m_actionDepth > 0)
        --m_actionDepth;
    if (m_actionDepth == 0)
        runWaitingWork();
}

bool ReviewRows::isIdle() const
{
    return m_actionDepth == 0 && !m_view.isMoving();
}

// A fade or slide under way is waited for as well: the windows must not change under it.
void ReviewRows::whenIdle(std::function<void()> work)
{
    if (m_closed)
        return;
    if (m_actionDepth > 0)
        m_waiting.push_back(std::move(work));
    else if (m_view.isMoving())
        m_view.whenStill([this, work = std::move(work)] { whenIdle(work); });
    else
        work();
}

void ReviewRows::runWaitingWork()
{
    // Each piece may close the program, which drops the rest, or start a fade, which the
    // rest then waits for in turn.
    while (!m_waiting.empty() && m_actionDepth == 0 && !m_closed) {
        std::function<void()> work = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        whenIdle(std::move(work));
    }
}

void ReviewRows::close()
{
    m_closed = true;
    m_waiting.clear();
}
