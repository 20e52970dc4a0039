#include "arrangement.h"

#include <QRect>
#include <algorithm>
#include <functional>

namespace {
constexpr int TopFadeLevel = 15;
constexpr int FastestStep = 8;
} // namespace

TArrangement ArrangeColumn(const platform::ScreenArea &area,
                           const std::array<TSlotWindow, SlotCount> &windows, bool noSpeedWnd)
{
    const QRect &work = area.Work;
    const int left = work.x();
    const int top = work.y();
    const int right = work.x() + work.width();
    const int bottom = work.y() + work.height();

    TArrangement result;
    result.DockLeft = left > area.Screen.x();
    result.DockTop = top > area.Screen.y();
    for (int slot = 0; slot < BookmarkSlotCount; ++slot)
        result.Marked[SlotPosition(slot)] = windows[SlotPosition(slot)].Marked;
    result.Marked[SlotPosition(MainSlot)] = true;
    result.Marked[SlotPosition(SpeedSlot)] =
        !noSpeedWnd &&
        std::any_of(result.Marked.begin() + SlotPosition(0),
                    result.Marked.begin() + SlotPosition(BookmarkSlotCount), std::identity());

    int y = result.DockTop ? top : bottom;
    int room = (bottom - top) - windows[SlotPosition(MainSlot)].Size.height();
    for (int slot = SpeedSlot; slot >= MainSlot; --slot) {
        const int p = SlotPosition(slot);
        const QSize size = windows[p].Size;
        if (slot != MainSlot && result.Marked[p] && size.height() >= room)
            result.Marked[p] = false;
        if (!result.Marked[p])
            continue;
        const int x = result.DockLeft ? left : right - size.width();
        result.TopLeft[p] = QPoint(x, result.DockTop ? y : y - size.height());
        y += result.DockTop ? size.height() : -size.height();
        if (slot != MainSlot)
            room -= size.height();
    }
    return result;
}

std::vector<int> FadeLevels(bool visible, bool show)
{
    if (visible == show)
        return {show ? TopFadeLevel : 0};
    std::vector<int> levels;
    for (int level = 0; level <= TopFadeLevel; ++level)
        levels.push_back(show ? level : TopFadeLevel - level);
    return levels;
}

std::vector<int> SlideSteps(int gap)
{
    std::vector<int> steps;
    int step = 0;
    while (gap > 0) {
        if (gap < 7)
            step = 2;
        else if (gap < 13)
            step = 4;
        else if (step < FastestStep)
            ++step;
        step = qMin(step, gap);
        steps.push_back(step);
        gap -= step;
    }
    return steps;
}
