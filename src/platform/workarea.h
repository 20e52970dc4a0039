#pragma once

#include <QRect>
#include <QSize>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {
// The screen under the mouse cursor: its whole area and the part not taken by panels.
struct ScreenArea
{
    QRect screen;
    QRect work;
};
// Panels are kept free also where no window manager reserves their room.
ScreenArea screenUnderCursor();

// The room a panel keeps for itself on the desktop, and the screen edge it stands at.
struct PanelRoom
{
    Qt::Edge edge = Qt::BottomEdge;
    QRect area;
};

// What is left of screen once each panel that overlaps it has taken the band from its edge
// to its far side. A "panel" thicker than half the screen is no panel and takes nothing.
QRect workAreaWithout(const QRect &screen, const std::vector<PanelRoom> &panels);

// The rooms a panel reserves on a desktop of desktopSize: four values left, right, top,
// bottom, optionally followed by the start and end of each along its edge.
std::vector<PanelRoom> reservedRooms(QSize desktopSize, std::span<const uint32_t> reserve);

// The panel a dock window of area forms when it reserves nothing: at the desktop edge it
// touches (the top or the bottom for a small one in a corner), else at the edge it lies
// nearest to, along its longer side.
PanelRoom dockRoom(const QRect &area, const QRect &desktop);

// The rooms of the desktop's panels in desktop pixels; none where the desktop cannot tell.
std::vector<PanelRoom> desktopPanels();
} // namespace platform
