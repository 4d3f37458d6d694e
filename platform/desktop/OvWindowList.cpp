#include "OvWindowList.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// One connection to the display named by DISPLAY, closed on scope exit.
class Connection {
public:
    Connection()
    {
        int screenNumber = 0;
        m_conn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_conn)) {
            xcb_disconnect(m_conn);
            m_conn = nullptr;
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_conn));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (it.rem)
            m_root = it.data->root;
    }
    ~Connection()
    {
        if (m_conn)
            xcb_disconnect(m_conn);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return m_conn && m_root; }
    xcb_connection_t* conn() const { return m_conn; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name) const
    {
        xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_conn, 0, uint16_t(strlen(name)), name);
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_conn, cookie, nullptr));
        return reply ? reply->atom : XCB_ATOM_NONE;
    }

    // The property's raw value; empty when missing.
    std::vector<uint8_t> property(xcb_window_t window, xcb_atom_t prop, xcb_atom_t type, uint8_t* format = nullptr) const
    {
        std::vector<uint8_t> out;
        if (prop == XCB_ATOM_NONE)
            return out;
        xcb_get_property_cookie_t cookie = xcb_get_property(m_conn, 0, window, prop, type, 0, 1 << 16);
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_conn, cookie, nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE)
            return out;
        const int len = xcb_get_property_value_length(reply.get());
        const auto* data = static_cast<const uint8_t*>(xcb_get_property_value(reply.get()));
        out.assign(data, data + len);
        if (format)
            *format = reply->format;
        return out;
    }

    std::vector<uint32_t> property32(xcb_window_t window, xcb_atom_t prop, xcb_atom_t type) const
    {
        uint8_t format = 0;
        const std::vector<uint8_t> raw = property(window, prop, type, &format);
        std::vector<uint32_t> out;
        if (format != 32)
            return out;
        out.resize(raw.size() / 4);
        memcpy(out.data(), raw.data(), out.size() * 4);
        return out;
    }

private:
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = 0;
};

QString windowTitle(const Connection& c, xcb_window_t window)
{
    std::vector<uint8_t> name = c.property(window, c.atom("_NET_WM_NAME"), c.atom("UTF8_STRING"));
    if (!name.empty())
        return QString::fromUtf8(reinterpret_cast<const char*>(name.data()), int(name.size()));
    name = c.property(window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(name.data()), int(name.size()));
}

struct Attributes {
    bool exists = false;
    bool viewable = false;
    bool overrideRedirect = false;
};

Attributes attributes(const Connection& c, xcb_window_t window)
{
    Attributes a;
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c.conn(), xcb_get_window_attributes(c.conn(), window), nullptr));
    if (!reply)
        return a;
    a.exists = true;
    a.viewable = reply->map_state == XCB_MAP_STATE_VIEWABLE;
    a.overrideRedirect = reply->override_redirect;
    return a;
}

QRect rootRect(const Connection& c, xcb_window_t window)
{
    Reply<xcb_get_geometry_reply_t> geo(xcb_get_geometry_reply(c.conn(), xcb_get_geometry(c.conn(), window), nullptr));
    if (!geo)
        return QRect();
    Reply<xcb_translate_coordinates_reply_t> tr(xcb_translate_coordinates_reply(
        c.conn(), xcb_translate_coordinates(c.conn(), window, c.root(), 0, 0), nullptr));
    if (!tr)
        return QRect();
    return QRect(tr->dst_x, tr->dst_y, geo->width, geo->height);
}

bool isHidden(const Connection& c, xcb_window_t window)
{
    const xcb_atom_t hidden = c.atom("_NET_WM_STATE_HIDDEN");
    for (uint32_t state : c.property32(window, c.atom("_NET_WM_STATE"), XCB_ATOM_ATOM))
        if (state == hidden)
            return true;
    return false;
}

// The managed windows when a window manager runs; else the root's mapped, managed-looking children.
std::vector<xcb_window_t> topLevels(const Connection& c, bool* managed)
{
    std::vector<uint32_t> list = c.property32(c.root(), c.atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (list.empty())
        list = c.property32(c.root(), c.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    *managed = !list.empty();
    if (*managed)
        return std::vector<xcb_window_t>(list.begin(), list.end());
    std::vector<xcb_window_t> out;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c.conn(), xcb_query_tree(c.conn(), c.root()), nullptr));
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
    Connection c;
    if (!c.isOpen())
        return out;
    bool managed = false;
    const xcb_atom_t pidAtom = c.atom("_NET_WM_PID");
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
        const std::vector<uint32_t> pid = c.property32(window, pidAtom, XCB_ATOM_CARDINAL);
        info.pid = pid.empty() ? 0 : qint64(pid.front());
        info.visible = a.viewable && !isHidden(c, window) && !info.rect.isEmpty();
        out << info;
    }
    return out;
}

bool OvWindowList::isWindowVisible(quint64 id)
{
    Connection c;
    if (!c.isOpen() || id == 0 || id > 0xffffffffu)
        return false;
    const Attributes a = attributes(c, xcb_window_t(id));
    return a.exists && a.viewable && !isHidden(c, xcb_window_t(id));
}

QRect OvWindowList::windowRect(quint64 id)
{
    Connection c;
    if (!c.isOpen() || id == 0 || id > 0xffffffffu)
        return QRect();
    return rootRect(c, xcb_window_t(id));
}

bool OvWindowList::canCaptureDisplay()
{
    Connection c;
    if (!c.isOpen())
        return false;
    xcb_get_image_cookie_t cookie = xcb_get_image(c.conn(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), 0, 0, 1, 1, ~0u);
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c.conn(), cookie, nullptr));
    return reply != nullptr;
}
