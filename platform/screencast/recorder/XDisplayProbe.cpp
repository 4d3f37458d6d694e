#include "XDisplayProbe.h"

#include "XcbConnection.h"

namespace recorder {

XDisplayProbe::XDisplayProbe()
{
    auto conn = std::make_unique<XcbConnection>();
    if (!conn->isOpen())
        return;
    m_screenW = conn->screen()->width_in_pixels;
    m_screenH = conn->screen()->height_in_pixels;
    m_conn = std::move(conn);
}

XDisplayProbe::~XDisplayProbe() = default;

bool XDisplayProbe::pointer(int* x, int* y, bool* buttonDown)
{
    if (!m_conn)
        return false;
    auto reply = m_conn->reply(xcb_query_pointer_reply, xcb_query_pointer(m_conn->get(), m_conn->root()));
    if (!reply)
        return false;
    *x = reply->root_x;
    *y = reply->root_y;
    *buttonDown = (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
    return true;
}

bool XDisplayProbe::windowRect(uint64_t window, XRectI* rect)
{
    std::vector<XRectI> rects = windowRects({window});
    *rect = rects.front();
    return !rect->empty();
}

std::vector<XRectI> XDisplayProbe::windowRects(const std::vector<uint64_t>& windows)
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
        if (g && o)
            rects[i] = XRectI{o->dst_x, o->dst_y, g->width, g->height};
    }
    return rects;
}

} // namespace recorder
