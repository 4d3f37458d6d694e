#pragma once
// The status item on a desktop with a system tray, for the display tests: the tray host
// program (built beside the test program, SR_TRAYHOST) runs while this object lives, the
// status item docks into its first cell, and its menu is used with the real mouse. GUI thread.

#include "DesktopInput.h"
#include "WaitFor.h"
#include "recording/SystemStatusBar.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QRect>
#include <QProcess>
#include <QSystemTrayIcon>

namespace SrTest {
class StatusItemTray {
public:
    StatusItemTray() = default;
    StatusItemTray(const StatusItemTray&) = delete;
    StatusItemTray& operator=(const StatusItemTray&) = delete;
    ~StatusItemTray()
    {
        // The icon leaves the tray before the tray goes.
        SystemStatusBar::instance()->trayIcon()->hide();
        m_host.kill();
        m_host.waitForFinished();
    }

    // Starts the tray host `program` and docks the status item; false when either fails.
    bool start(const QString& program)
    {
        if (!startHost(program))
            return false;
        SystemStatusBar::instance()->showIcon();
        return waitDocked();
    }

    // Starts the tray host `program`, as a panel comes up (killing the one this started
    // before, as a panel that crashes); false when it does not own the tray.
    bool startHost(const QString& program)
    {
        m_host.kill();
        m_host.waitForFinished();
        m_host.start(program, QStringList());
        if (!spinUntil([this] { return m_host.canReadLine(); }, 10000))
            return false;
        const QList<QByteArray> ready = m_host.readLine().trimmed().split(' ');
        if (ready.value(0) != "ready")
            return false;
        // The middle of the first cell of the tray, where the icon docks.
        const int cell = ready.value(3).toInt();
        m_icon = QPoint(ready.value(1).toInt() + cell / 2, cell / 2);
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    // The status item docked in the tray the host runs now.
    bool waitDocked()
    {
        return spinUntil([this] { return m_host.canReadLine() && m_host.readLine().startsWith("docked"); }, 10000);
    }

    // Right-clicks the icon and clicks the menu entry `action` ("actPreview", ...); false
    // when the menu never showed. The icon is clicked again while no menu comes, as a user
    // does: a click on an icon just docked can reach the tray before the icon's window (seen
    // on a busy machine).
    bool choose(const QString& action) const
    {
        QMenu* menu = SystemStatusBar::instance()->menu();
        const int kAttempts = 3;
        bool shown = false;
        for (int attempt = 0; attempt < kAttempts && !shown; ++attempt) {
            // Where the icon is on the screen; the tray does not always dock it in its first
            // cell (seen on a loaded machine).
            const QRect docked = SystemStatusBar::instance()->trayIcon()->geometry();
            const QPoint icon = docked.isValid() ? docked.center() : m_icon;
            if (!xdotool({"mousemove", QString::number(icon.x()), QString::number(icon.y()), "sleep", "0.2", "click",
                          "3"})) {
                qWarning("xdotool could not right-click the status item at %d,%d", icon.x(), icon.y());
                return false;
            }
            shown = spinUntil([menu] { return menu->isVisible(); }, 10000);
        }
        if (!shown) {
            qWarning("no menu after %d right-clicks on the status item", kAttempts);
            return false;
        }
        const QPoint at = menu->mapToGlobal(menu->actionGeometry(SystemStatusBar::instance()->action(action)).center());
        return xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.2", "click", "1"});
    }

private:
    QProcess m_host;
    QPoint m_icon;
};
} // namespace SrTest
