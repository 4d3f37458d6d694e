#include "XDisplayProbe.h"

#include "XcbConnection.h"

#include <cstring>

namespace recorder {

namespace {
// Frames are shallow; this only stops a walk up a broken tree.
const int kMaxFrameDepth = 16;
const char* const kWmState = "WM_STATE"; // set by the window manager on the windows it manages
} // namespace

XDisplayProbe::XDisplayProbe()
{
    auto conn = std::make_unique<XcbConnection>();
    if (!conn->isOpen())
        return;
    m_screenW = conn->screen()->width_in_pixels;
    m_screenH = conn->screen()->height_in_pixels;
    auto atom = conn->reply(xcb_intern_atom_reply, xcb_intern_atom(conn->get(), 0, uint16_t(strlen(kWmState)), kWmState));
    m_wmStateAtom = atom ? atom->atom : uint32_t(XCB_ATOM_NONE);
    m_conn = std::move(conn);
}

XDisplayProbe::~XDisplayProbe() = default;

bool XDisplayProbe::pointer(int* x, int* y, bool* buttonDown, bool* ctrlDown)
{
    if (!m_conn)
        return false;
    auto reply = m_conn->reply(xcb_query_pointer_reply, xcb_query_pointer(m_conn->get(), m_conn->root()));
    if (!reply)
        return false;
    *x = reply->root_x;
    *y = reply->root_y;
    *buttonDown = (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
    if (ctrlDown)
        *ctrlDown = (reply->mask & XCB_KEY_BUT_MASK_CONTROL) != 0;
    return true;
}

bool XDisplayProbe::windowRect(uint64_t window, XRectI* rect)
{
    std::vector<XRectI> rects = windowRects({window});
    *rect = rects.front();
    return !rect->empty();
}

std::vector<XRectI> XDisplayProbe::windowRects(const std::vector<uint64_t>& windows) { return rectsOf(windows, false); }

std::vector<XRectI> XDisplayProbe::frameRects(const std::vector<uint64_t>& windows)
{
    std::vector<uint64_t> frames(windows);
    for (uint64_t& window : frames)
        window = frameOf(window);
    return rectsOf(frames, true);
}

std::vector<XRectI> XDisplayProbe::shownFrameRects(const std::vector<uint64_t>& windows)
{
    std::vector<XRectI> rects = frameRects(windows);
    if (!m_conn)
        return rects;
    xcb_connection_t* conn = m_conn->get();
    std::vector<xcb_get_window_attributes_cookie_t> attributes(windows.size());
    for (size_t i = 0; i < windows.size(); ++i)
        attributes[i] = xcb_get_window_attributes(conn, xcb_window_t(windows[i]));
    for (size_t i = 0; i < windows.size(); ++i) {
        auto reply = m_conn->reply(xcb_get_window_attributes_reply, attributes[i]);
        if (!reply || reply->map_state != XCB_MAP_STATE_VIEWABLE)
            rects[i] = XRectI{};
    }
    return rects;
}

uint64_t XDisplayProbe::frameOf(uint64_t window)
{
    if (!m_conn || m_wmStateAtom == XCB_ATOM_NONE || window == 0 || window > 0xffffffffu)
        return window;
    xcb_connection_t* conn = m_conn->get();
    auto state = m_conn->reply(xcb_get_property_reply,
                               xcb_get_property(conn, 0, xcb_window_t(window), m_wmStateAtom, m_wmStateAtom, 0, 0));
    if (!state || state->type == XCB_ATOM_NONE)
        return window; // not managed: an override-redirect window, an embedded one, or gone
    const xcb_window_t frame = m_conn->rootChildOf(xcb_window_t(window), kMaxFrameDepth);
    return frame != XCB_WINDOW_NONE ? frame : window;
}

std::vector<XRectI> XDisplayProbe::rectsOf(const std::vector<uint64_t>& windows, bool withBorder)
{
    std::vector<XRectI> rects(windows.size());
    if (!m_conn)
        return rects;
    xcb_connection_t* conn = m_conn->get();
    std::vector<xcb_get_geometry_cookie_t> geometry(windows.size());
    std::vector<xcb_translate_coordinates_cookie_t> origin(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const xcb_window_t id = xcb_window_t(windows[i]);
        geometry[i] = xcb_get_geometry(conn, id);
        origin[i] = xcb_translate_coordinates(conn, id, m_conn->root(), 0, 0);
    }
    for (size_t i = 0; i < windows.size(); ++i) {
        auto g = m_conn->reply(xcb_get_geometry_reply, geometry[i]);
        auto o = m_conn->reply(xcb_translate_coordinates_reply, origin[i]);
        if (!g || !o)
            continue;
        const int border = withBorder ? g->border_width : 0;
        rects[i] = XRectI{o->dst_x - border, o->dst_y - border, g->width + 2 * border, g->height + 2 * border};
    }
    return rects;
}

} // namespace recorder
