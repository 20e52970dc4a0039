#pragma once

#include <QRect>

namespace platform {
// The screen under the mouse cursor: its whole area and the part not taken by panels.
struct ScreenArea
{
    QRect Screen;
    QRect Work;
};
ScreenArea screenUnderCursor();
} // namespace platform
