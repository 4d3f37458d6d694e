#pragma once
// A connection to an X display through xcb and its default screen, closed when the holder
// goes. One thread uses a holder at a time; a failed open leaves it empty, and never throws.

#include "XcbReply.h"

#include <xcb/xcb.h>

class XcbConnection {
public:
    // Connects to the display `name` (the one DISPLAY names when null); isOpen() says whether
    // it answered and has the screen the name asks for. Nothing is held after a failure.
    explicit XcbConnection(const char* name = nullptr)
    {
        int screenNumber = 0;
        xcb_connection_t* conn = xcb_connect(name, &screenNumber);
        if (!conn)
            return;
        if (xcb_connection_has_error(conn)) {
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
        m_screen = it.data;
    }
    // Closes the connection, which frees every reply still pending on it.
    ~XcbConnection()
    {
        if (m_conn)
            xcb_disconnect(m_conn);
    }
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    // True when the display answered and its default screen was found.
    bool isOpen() const { return m_conn != nullptr; }
    // The connection, still owned by the holder; null when not open.
    xcb_connection_t* get() const { return m_conn; }
    // The default screen, part of the connection's setup data; null when not open.
    const xcb_screen_t* screen() const { return m_screen; }
    // The default screen's root window; XCB_WINDOW_NONE when not open.
    xcb_window_t root() const { return m_screen ? m_screen->root : xcb_window_t(XCB_WINDOW_NONE); }

    // The reply to `cookie`, a request sent on this open connection, through its xcb_*_reply
    // function; an empty holder when the request failed.
    template <typename ReplyFn, typename Cookie>
    auto reply(ReplyFn replyFn, Cookie cookie) const
    {
        return xcbReply(m_conn, replyFn, cookie);
    }

    // The child of the root window that holds `window`: the frame a window manager put
    // around it, or the window itself; XCB_WINDOW_NONE when it is gone or lies deeper than
    // `maxDepth` levels.
    xcb_window_t rootChildOf(xcb_window_t window, int maxDepth = 16) const
    {
        xcb_window_t current = window;
        for (int depth = 0; depth < maxDepth; ++depth) {
            const auto tree = reply(xcb_query_tree_reply, xcb_query_tree(m_conn, current));
            if (!tree || tree->parent == XCB_WINDOW_NONE)
                return XCB_WINDOW_NONE;
            if (tree->parent == tree->root)
                return current;
            current = tree->parent;
        }
        return XCB_WINDOW_NONE;
    }

private:
    xcb_connection_t* m_conn = nullptr;
    const xcb_screen_t* m_screen = nullptr;
};
