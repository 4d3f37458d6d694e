#pragma once
// The window list facade: the open top-level windows that can be recorded, and whether a
// chosen window is still visible. The application's own windows are left out.
// GUI thread.

#include <QList>
#include <QRect>
#include <QString>

class WindowListManger {
public:
    struct WindowItem {
        quint64 id = 0;
        QString title;
        QRect rect;
        bool visible = false;
    };

    static WindowListManger* instance();
    static void release();

    // Re-reads the windows of the display; the visible ones of other processes, in the
    // order the window manager stacks them.
    QList<WindowItem> refreshWindowList();
    // The list of the last refresh.
    QList<WindowItem> windowList() const { return m_windows; }
    bool isWindowVisible(quint64 id) const;
    QRect windowRect(quint64 id) const;
    // The smallest rectangle holding the given windows' areas; empty when none exists.
    QRect boundingRect(const QList<quint64>& ids) const;
    // The first of `ids` that is not visible any more; 0 when all are.
    quint64 firstHiddenWindow(const QList<quint64>& ids) const;

private:
    WindowListManger() = default;
    QList<WindowItem> m_windows;
};
