#include "XDisplayProbe.h"

#include <cstdlib>
#include <xcb/xcb.h>

XDisplayProbe::XDisplayProbe()
{
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (!conn || xcb_connection_has_error(conn)) {
        if (conn)
            xcb_disconnect(conn);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(conn);
        return;
    }
    m_conn = conn;
    m_root = it.data->root;
    m_screenW = it.data->width_in_pixels;
    m_screenH = it.data->height_in_pixels;
}

XDisplayProbe::~XDisplayProbe()
{
    if (m_conn)
        xcb_disconnect(m_conn);
}

bool XDisplayProbe::pointer(int* x, int* y, bool* buttonDown)
{
    if (!m_conn)
        return false;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(m_conn, xcb_query_pointer(m_conn, m_root), nullptr);
    if (!reply)
        return false;
    *x = reply->root_x;
    *y = reply->root_y;
    *buttonDown = (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
    free(reply);
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
    std::vector<xcb_get_geometry_cookie_t> geometry(windows.size());
    std::vector<xcb_translate_coordinates_cookie_t> origin(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const xcb_window_t id = xcb_window_t(windows[i]);
        geometry[i] = xcb_get_geometry(m_conn, id);
        origin[i] = xcb_translate_coordinates(m_conn, id, m_root, 0, 0);
    }
    for (size_t i = 0; i < windows.size(); ++i) {
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(m_conn, geometry[i], nullptr);
        xcb_translate_coordinates_reply_t* o = xcb_translate_coordinates_reply(m_conn, origin[i], nullptr);
        if (g && o)
            rects[i] = XRectI{o->dst_x, o->dst_y, g->width, g->height};
        free(g);
        free(o);
    }
    return rects;
}
