#include "workarea.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace platform {
namespace {
struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_get_property_cookie_t askValues(xcb_connection_t *connection, xcb_window_t window,
                                    xcb_atom_t property, xcb_atom_t type)
{
    return xcb_get_property(connection, 0, window, property, type, 0, 64);
}

// The 32-bit values of a property as asked for; empty when the window has none.
std::vector<uint32_t> values(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

// The windows that may be panels: those the window manager lists, else every window on
// the desktop.
std::vector<xcb_window_t> topWindows(xcb_connection_t *connection, xcb_window_t root)
{
    const std::vector<uint32_t> listed =
        values(connection,
               askValues(connection, root, atom(connection, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW));
    if (!listed.empty())
        return {listed.begin(), listed.end()};
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

bool isShownWindow(xcb_connection_t *connection, xcb_get_window_attributes_cookie_t cookie)
{
    const Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection, cookie, nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE && !reply->override_redirect;
}

std::optional<QRect> desktopArea(xcb_connection_t *connection, xcb_window_t window,
                                 xcb_window_t root)
{
    const Reply<xcb_get_geometry_reply_t> size(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> place(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!size || !place)
        return std::nullopt;
    return QRect(place->dst_x, place->dst_y, size->width, size->height);
}

struct Asked
{
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t shown;
    xcb_get_property_cookie_t partial, reserve, types;
};
} // namespace

std::vector<PanelRoom> desktopPanels()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const QRect desktop(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    const xcb_atom_t partial = atom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t reserve = atom(connection, "_NET_WM_STRUT");
    const xcb_atom_t types = atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dock = atom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    // All questions first, then the answers: one round trip instead of one per window.
    std::vector<Asked> asked;
    for (const xcb_window_t window : topWindows(connection, screen->root))
        asked.push_back({window, xcb_get_window_attributes(connection, window),
                         askValues(connection, window, partial, XCB_ATOM_CARDINAL),
                         askValues(connection, window, reserve, XCB_ATOM_CARDINAL),
                         askValues(connection, window, types, XCB_ATOM_ATOM)});
    std::vector<PanelRoom> panels;
    for (const Asked &one : asked) {
        const bool shown = isShownWindow(connection, one.shown);
        std::vector<uint32_t> reserved = values(connection, one.partial);
        const std::vector<uint32_t> plain = values(connection, one.reserve);
        const std::vector<uint32_t> kinds = values(connection, one.types);
        if (!shown)
            continue;
        if (reserved.size() < 12)
            reserved = plain;
        if (reserved.size() >= 4) {
            const std::vector<PanelRoom> rooms = reservedRooms(desktop.size(), reserved);
            panels.insert(panels.end(), rooms.begin(), rooms.end());
        } else if (dock != XCB_ATOM_NONE && std::ranges::find(kinds, dock) != kinds.end()) {
            if (const std::optional<QRect> area = desktopArea(connection, one.window, screen->root))
                panels.push_back(dockRoom(*area, desktop));
        }
    }
    return panels;
}
} // namespace platform
