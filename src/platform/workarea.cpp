#include "workarea.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace platform {
namespace {
bool tooThick(const PanelRoom &panel, const QRect &screen)
{
    const bool across = panel.edge == Qt::TopEdge || panel.edge == Qt::BottomEdge;
    return across ? panel.area.height() * 2 > screen.height()
                  : panel.area.width() * 2 > screen.width();
}

// Without its start and end (or with them the wrong way round) a reserve spans its edge.
std::pair<int, int> extent(std::span<const uint32_t> reserve, size_t start, int length)
{
    if (reserve.size() < 12 || reserve[start + 1] < reserve[start])
        return {0, length - 1};
    return {int(reserve[start]), int(reserve[start + 1])};
}
} // namespace

QRect workAreaWithout(const QRect &screen, const std::vector<PanelRoom> &panels)
{
    QRect work = screen;
    for (const PanelRoom &panel : panels) {
        if (!panel.area.intersects(screen) || tooThick(panel, screen))
            continue;
        switch (panel.edge) {
        case Qt::TopEdge:
            work.setTop(std::max(work.top(), panel.area.bottom() + 1));
            break;
        case Qt::BottomEdge:
            work.setBottom(std::min(work.bottom(), panel.area.top() - 1));
            break;
        case Qt::LeftEdge:
            work.setLeft(std::max(work.left(), panel.area.right() + 1));
            break;
        case Qt::RightEdge:
            work.setRight(std::min(work.right(), panel.area.left() - 1));
            break;
        }
    }
    return work;
}

std::vector<PanelRoom> reservedRooms(QSize desktopSize, std::span<const uint32_t> reserve)
{
    std::vector<PanelRoom> rooms;
    if (reserve.size() < 4)
        return rooms;
    const int width = desktopSize.width(), height = desktopSize.height();
    const int left = int(std::min<uint32_t>(reserve[0], uint32_t(width)));
    const int right = int(std::min<uint32_t>(reserve[1], uint32_t(width)));
    const int top = int(std::min<uint32_t>(reserve[2], uint32_t(height)));
    const int bottom = int(std::min<uint32_t>(reserve[3], uint32_t(height)));
    const auto along = [&](size_t start, int length) { return extent(reserve, start, length); };
    if (const auto [y0, y1] = along(4, height); left > 0)
        rooms.push_back({Qt::LeftEdge, QRect(QPoint(0, y0), QPoint(left - 1, y1))});
    if (const auto [y0, y1] = along(6, height); right > 0)
        rooms.push_back({Qt::RightEdge, QRect(QPoint(width - right, y0), QPoint(width - 1, y1))});
    if (const auto [x0, x1] = along(8, width); top > 0)
        rooms.push_back({Qt::TopEdge, QRect(QPoint(x0, 0), QPoint(x1, top - 1))});
    if (const auto [x0, x1] = along(10, width); bottom > 0)
        rooms.push_back(
            {Qt::BottomEdge, QRect(QPoint(x0, height - bottom), QPoint(x1, height - 1))});
    return rooms;
}

PanelRoom dockRoom(const QRect &area, const QRect &desktop)
{
    const bool atTop = area.top() <= desktop.top(), atBottom = area.bottom() >= desktop.bottom();
    const bool atLeft = area.left() <= desktop.left(), atRight = area.right() >= desktop.right();
    // A small dock in a corner (a tray without icons is a few pixels wide) is the start of a
    // panel along the top or the bottom, where panels mostly are; only a tall one stands at
    // the side.
    const bool upright = area.height() > 2 * area.width() && area.height() * 4 > desktop.height();
    if ((atTop || atBottom) && !(upright && (atLeft || atRight)))
        return {atTop ? Qt::TopEdge : Qt::BottomEdge, area};
    if (atLeft || atRight)
        return {atLeft ? Qt::LeftEdge : Qt::RightEdge, area};
    const QPoint centre = area.center(), middle = desktop.center();
    if (area.width() >= area.height())
        return {centre.y() < middle.y() ? Qt::TopEdge : Qt::BottomEdge, area};
    return {centre.x() < middle.x() ? Qt::LeftEdge : Qt::RightEdge, area};
}

ScreenArea screenUnderCursor()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)};
    const QRect whole = screen->geometry();
    QRect work = screen->availableGeometry();
    // The panels' rooms are in device pixels, which are the screen's only without scaling.
    if (screen->devicePixelRatio() == 1.0)
        work &= workAreaWithout(whole, desktopPanels());
    return {whole, work};
}
} // namespace platform
