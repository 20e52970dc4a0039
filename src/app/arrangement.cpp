#include "arrangement.h"

#include <QRect>
#include <algorithm>
#include <functional>

namespace {
constexpr int topFadeLevel = 15;
constexpr int fastestStep = 8;
} // namespace

Arrangement arrangeColumn(const platform::ScreenArea &area,
                          const std::array<SlotWindow, slotCount> &windows, bool noSpeedWnd)
{
    const QRect &work = area.work;
    const int left = work.x();
    const int top = work.y();
    const int right = work.x() + work.width();
    const int bottom = work.y() + work.height();

    Arrangement result;
    result.dockLeft = left > area.screen.x();
    result.dockTop = top > area.screen.y();
    for (int slot = 0; slot < bookmarkSlotCount; ++slot)
        result.marked[slotPosition(slot)] = windows[slotPosition(slot)].marked;
    result.marked[slotPosition(mainSlot)] = true;
    result.marked[slotPosition(speedSlot)] =
        !noSpeedWnd &&
        std::any_of(result.marked.begin() + slotPosition(0),
                    result.marked.begin() + slotPosition(bookmarkSlotCount), std::identity());

    int y = result.dockTop ? top : bottom;
    int room = (bottom - top) - windows[slotPosition(mainSlot)].size.height();
    for (int slot = speedSlot; slot >= mainSlot; --slot) {
        const int p = slotPosition(slot);
        const QSize size = windows[p].size;
        if (slot != mainSlot && result.marked[p] && size.height() >= room)
            result.marked[p] = false;
        if (!result.marked[p])
            continue;
        const int x = result.dockLeft ? left : right - size.width();
        result.topLeft[p] = QPoint(x, result.dockTop ? y : y - size.height());
        y += result.dockTop ? size.height() : -size.height();
        if (slot != mainSlot)
            room -= size.height();
    }
    return result;
}

std::vector<int> fadeLevels(bool visible, bool show)
{
    if (visible == show)
        return {show ? topFadeLevel : 0};
    std::vector<int> levels;
    for (int level = 0; level <= topFadeLevel; ++level)
        levels.push_back(show ? level : topFadeLevel - level);
    return levels;
}

std::vector<int> slideSteps(int gap)
{
    std::vector<int> steps;
    int step = 0;
    while (gap > 0) {
        if (gap < 7)
            step = 2;
        else if (gap < 13)
            step = 4;
        else if (step < fastestStep)
            ++step;
        step = qMin(step, gap);
        steps.push_back(step);
        gap -= step;
    }
    return steps;
}
