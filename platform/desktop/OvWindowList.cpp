#include "OvWindowList.h"

#include "XcbConnection.h"

#include <cstring>
#include <vector>

namespace {

xcb_atom_t atom(const XcbConnection& c, const char* name)
{
    auto reply = c.reply(xcb_intern_atom_reply, xcb_intern_atom(c.get(), 0, uint16_t(strlen(name)), name));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The property's raw value; empty when missing.
std::vector<uint8_t> property(const XcbConnection& c, xcb_window_t window, xcb_atom_t prop, xcb_atom_t type,
                              uint8_t* format = nullptr)
{
    std::vector<uint8_t> out;
    if (prop == XCB_ATOM_NONE)
        return out;
    auto reply = c.reply(xcb_get_property_reply, xcb_get_property(c.get(), 0, window, prop, type, 0, 1 << 16));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return out;
    const int len = xcb_get_property_value_length(reply.get());
    const auto* data = static_cast<const uint8_t*>(xcb_get_property_value(reply.get()));
    out.assign(data, data + len);
    if (format)
        *format = reply->format;
    return out;
}

std::vector<uint32_t> property32(const XcbConnection& c, xcb_window_t window, xcb_atom_t prop, xcb_atom_t type)
{
    uint8_t format = 0;
    const std::vector<uint8_t> raw = property(c, window, prop, type, &format);
    std::vector<uint32_t> out;
    if (format != 32)
        return out;
    out.resize(raw.size() / 4);
    memcpy(out.data(), raw.data(), out.size() * 4);
    return out;
}

QString windowTitle(const XcbConnection& c, xcb_window_t window)
{
    std::vector<uint8_t> name = property(c, window, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"));
    if (!name.empty())
        return QString::fromUtf8(reinterpret_cast<const char*>(name.data()), int(name.size()));
    name = property(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(name.data()), int(name.size()));
}

struct Attributes {
    bool exists = false;
    bool viewable = false;
    bool overrideRedirect = false;
};

Attributes attributes(const XcbConnection& c, xcb_window_t window)
{
    Attributes a;
    auto reply = c.reply(xcb_get_window_attributes_reply, xcb_get_window_attributes(c.get(), window));
    if (!reply)
        return a;
    a.exists = true;
    a.viewable = reply->map_state == XCB_MAP_STATE_VIEWABLE;
    a.overrideRedirect = reply->override_redirect;
    return a;
}

QRect rootRect(const XcbConnection& c, xcb_window_t window)
{
    auto geo = c.reply(xcb_get_geometry_reply, xcb_get_geometry(c.get(), window));
    if (!geo)
        return QRect();
    auto tr = c.reply(xcb_translate_coordinates_reply, xcb_translate_coordinates(c.get(), window, c.root(), 0, 0));
    if (!tr)
        return QRect();
    return QRect(tr->dst_x, tr->dst_y, geo->width, geo->height);
}

bool isHidden(const XcbConnection& c, xcb_window_t window)
{
    const xcb_atom_t hidden = atom(c, "_NET_WM_STATE_HIDDEN");
    for (uint32_t state : property32(c, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM))
        if (state == hidden)
            return true;
    return false;
}

// The managed windows when a window manager runs; else the root's mapped, managed-looking children.
std::vector<xcb_window_t> topLevels(const XcbConnection& c, bool* managed)
{
    std::vector<uint32_t> list = property32(c, c.root(), atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (list.empty())
        list = property32(c, c.root(), atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    *managed = !list.empty();
    if (*managed)
        return std::vector<xcb_window_t>(list.begin(), list.end());
    std::vector<xcb_window_t> out;
    auto tree = c.reply(xcb_query_tree_reply, xcb_query_tree(c.get(), c.root()));
    if (!tree)
        return out;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int n = xcb_query_tree_children_length(tree.get());
    out.assign(children, children + n);
    return out;
}

} // namespace

QList<OvWindowInfo> OvWindowList::windows()
{
    QList<OvWindowInfo> out;
    XcbConnection c;
    if (!c.isOpen())
        return out;
    bool managed = false;
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    for (xcb_window_t window : topLevels(c, &managed)) {
        const Attributes a = attributes(c, window);
        if (!a.exists)
            continue;
        // Without a window manager, override-redirect windows are menus, tips and overlays.
        if (!managed && (a.overrideRedirect || !a.viewable))
            continue;
        OvWindowInfo info;
        info.id = window;
        info.title = windowTitle(c, window);
        if (info.title.isEmpty())
            continue;
        info.rect = rootRect(c, window);
        const std::vector<uint32_t> pid = property32(c, window, pidAtom, XCB_ATOM_CARDINAL);
        info.pid = pid.empty() ? 0 : qint64(pid.front());
        info.visible = a.viewable && !isHidden(c, window) && !info.rect.isEmpty();
        out << info;
    }
    return out;
}

bool OvWindowList::isWindowVisible(quint64 id)
{
    XcbConnection c;
    if (!c.isOpen() || id == 0 || id > 0xffffffffu)
        return false;
    const Attributes a = attributes(c, xcb_window_t(id));
    return a.exists && a.viewable && !isHidden(c, xcb_window_t(id));
}

bool OvWindowList::isShownWithFrame(quint64 id)
{
    XcbConnection c;
    if (!c.isOpen() || id == 0 || id > 0xffffffffu)
        return false;
    // Up to the child of the root that holds the window: its frame while the window
    // manager keeps it, else the window itself.
    xcb_window_t window = xcb_window_t(id);
    for (;;) {
        if (attributes(c, window).viewable)
            return true;
        auto tree = c.reply(xcb_query_tree_reply, xcb_query_tree(c.get(), window));
        if (!tree || tree->parent == c.root() || tree->parent == XCB_WINDOW_NONE)
            return false;
        window = tree->parent;
    }
}

QRect OvWindowList::windowRect(quint64 id)
{
    XcbConnection c;
    if (!c.isOpen() || id == 0 || id > 0xffffffffu)
        return QRect();
    return rootRect(c, xcb_window_t(id));
}

bool OvWindowList::canCaptureDisplay()
{
    XcbConnection c;
    if (!c.isOpen())
        return false;
    return c.reply(xcb_get_image_reply, xcb_get_image(c.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), 0, 0, 1, 1, ~0u))
           != nullptr;
}
