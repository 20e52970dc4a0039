#pragma once

#include "platform/workarea.h"

#include <QPoint>
#include <QSize>
#include <array>
#include <vector>

// The column of floating windows as plain numbers. Slots run from -1 (the main window)
// over 0..4 (the bookmark windows) to 5 (the speed bar); arrays hold slot s at s + 1.
inline constexpr int mainSlot = -1;
inline constexpr int speedSlot = 5;
inline constexpr int slotCount = 7;
inline constexpr int bookmarkSlotCount = 5;

constexpr int slotPosition(int slot)
{
    return slot + 1;
}

struct SlotWindow
{
    bool marked = false; // belongs on the screen; the speed bar's mark is worked out anew
    QSize size;
};

struct Arrangement
{
    bool dockLeft = false; // the taskbar is at the left: the column stands there
    bool dockTop = false;  // the taskbar is at the top: the column grows downwards
    std::array<bool, slotCount> marked{};
    std::array<QPoint, slotCount> topLeft{}; // for marked slots
};

// Places the marked windows in a column at the screen edge beside the taskbar: the speed
// bar in the corner, then bookmark windows 4 to 0, the main window farthest from the
// corner. Bookmark windows that do not fit lose their mark, lower numbers first; the speed
// bar is marked exactly when some bookmark window is and noSpeedWnd is off.
Arrangement arrangeColumn(const platform::ScreenArea &area,
                          const std::array<SlotWindow, slotCount> &windows, bool noSpeedWnd);

// The fade levels a window runs through: the target level alone when it is already
// (in)visible as asked, else all sixteen levels up or down.
std::vector<int> fadeLevels(bool visible, bool show);

// The steps that close a gap left by a removed window: slowly faster up to 8 pixels, then
// 4 and 2 near the end; they add up to gap.
std::vector<int> slideSteps(int gap);
