#pragma once
// Makes a window one under which compositing managers draw no shadow: for the layers laid
// over what is recorded or chosen (a drawing canvas, a frame around an area), whose shadow
// would darken it. A compositor that draws shadows on the client side leaves out a window
// with an alpha channel, so the window becomes translucent (it paints its own pixels opaque
// where it wants them); the others read the mark _COMPTON_SHADOW = 0. Call before the window
// is shown; GUI thread. Off X, or when the display cannot be reached, only the translucency
// is set.

#include "XcbConnection.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstring>

inline void markUnshadowed(QWidget* window)
{
    window->setAttribute(Qt::WA_TranslucentBackground);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const auto id = xcb_window_t(window->winId());
    XcbConnection conn;
    if (!conn.isOpen())
        return;
    static const char kName[] = "_COMPTON_SHADOW";
    const auto atom = conn.reply(xcb_intern_atom_reply, xcb_intern_atom(conn.get(), 0, uint16_t(std::strlen(kName)), kName));
    if (!atom)
        return;
    const uint32_t none = 0;
    xcb_change_property(conn.get(), XCB_PROP_MODE_REPLACE, id, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &none);
    // Answered once the change is done: the mark is there before the window is shown.
    std::free(xcb_get_input_focus_reply(conn.get(), xcb_get_input_focus(conn.get()), nullptr));
}
