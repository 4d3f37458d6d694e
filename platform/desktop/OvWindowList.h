#pragma once
// Top-level windows of the X display named by DISPLAY: their ids, titles, areas, owning
// processes and visibility. Read through XCB: the window manager's _NET_CLIENT_LIST when one
// runs, else the mapped children of the root window (a display without a window manager).
// Each call opens its own connection; any thread may call.

#include <QList>
#include <QRect>
#include <QString>

struct OvWindowInfo {
    quint64 id = 0;
    QString title;
    QRect rect;       // the window's area in root coordinates
    qint64 pid = 0;   // _NET_WM_PID, 0 when the window does not say
    bool visible = false;
};

namespace OvWindowList {
// The named top-level windows in stacking order as the window manager lists them
// (root-children order without one). Windows without a title are left out.
QList<OvWindowInfo> windows();
// True when the window exists, is mapped (viewable) and is not minimised.
bool isWindowVisible(quint64 id);
// True while the window, or the frame the window manager drew around it, is mapped: false
// once both have left the screen (or the window does not exist).
bool isShownWithFrame(quint64 id);
// The window's area in root coordinates; empty when it does not exist.
QRect windowRect(quint64 id);
// True when the X display can be connected to and read (one pixel of the root window).
bool canCaptureDisplay();
} // namespace OvWindowList
