#pragma once
// Stacks override-redirect windows of this program (which no window manager places) among
// the others on the display: directly below the lowest of a set of windows, whatever frame a
// window manager put around them. GUI thread of the windows' owner; does nothing when the
// display cannot be reached.

#include "XcbConnection.h"

#include <vector>

// Puts each of `windows` (children of the root window) directly below the lowest of `under`
// in the stacking order, or on top of all when `under` is empty or none of them is found.
inline void xcbStackBelowLowest(const std::vector<xcb_window_t>& windows, const std::vector<xcb_window_t>& under)
{
    XcbConnection conn;
    if (!conn.isOpen())
        return;
    // A window manager reparents a managed window into its frame: the frame is stacked.
    std::vector<xcb_window_t> tops;
    for (xcb_window_t window : under) {
        const xcb_window_t top = conn.rootChildOf(window);
        if (top != XCB_WINDOW_NONE)
            tops.push_back(top);
    }
    xcb_window_t lowest = XCB_WINDOW_NONE;
    if (!tops.empty()) {
        // The root's children come from the bottom of the stack to its top.
        const auto tree = conn.reply(xcb_query_tree_reply, xcb_query_tree(conn.get(), conn.root()));
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            const int count = xcb_query_tree_children_length(tree.get());
            for (int i = 0; i < count && lowest == XCB_WINDOW_NONE; ++i)
                for (xcb_window_t top : tops)
                    if (children[i] == top)
                        lowest = top;
        }
    }
    for (xcb_window_t window : windows) {
        if (lowest != XCB_WINDOW_NONE) {
            const uint32_t values[] = {lowest, XCB_STACK_MODE_BELOW};
            xcb_configure_window(conn.get(), window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        } else {
            const uint32_t values[] = {XCB_STACK_MODE_ABOVE};
            xcb_configure_window(conn.get(), window, XCB_CONFIG_WINDOW_STACK_MODE, values);
        }
    }
    // Answered once the changes are done.
    std::free(xcb_get_input_focus_reply(conn.get(), xcb_get_input_focus(conn.get()), nullptr));
}
