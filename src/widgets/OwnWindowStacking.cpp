#include "OwnWindowStacking.h"

#include "XcbStacking.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QWidget>
#include <QWindow>

OwnWindowStacking::OwnWindowStacking(const QList<QWidget*>& windows, QObject* parent)
    : QObject(parent)
    , m_windows(windows)
{
}

bool OwnWindowStacking::isOwnWindow(const QWidget* window)
{
    if (!window->isVisible() || (window->windowFlags() & Qt::X11BypassWindowManagerHint))
        return false;
    return qobject_cast<const QDialog*>(window) || qobject_cast<const QMainWindow*>(window)
           || window->windowType() == Qt::Tool;
}

void OwnWindowStacking::keep()
{
    // Windows shown later come to lie above the kept ones once the window manager has put
    // them in place, which they have when they are first exposed.
    if (!m_keeping)
        qApp->installEventFilter(this);
    m_keeping = true;
    restack();
}

void OwnWindowStacking::stop()
{
    if (m_keeping)
        qApp->removeEventFilter(this);
    m_keeping = false;
}

void OwnWindowStacking::restack()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        for (QWidget* window : m_windows)
            window->raise();
        return;
    }
    std::vector<xcb_window_t> kept;
    for (QWidget* window : m_windows)
        kept.push_back(xcb_window_t(window->winId()));
    std::vector<xcb_window_t> own;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->testAttribute(Qt::WA_WState_Created) && isOwnWindow(window))
            own.push_back(xcb_window_t(window->winId()));
    xcbStackBelowLowest(kept, own);
}

bool OwnWindowStacking::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched->isWindowType()) {
        auto* window = static_cast<QWindow*>(watched);
        // A kept window is exposed once it is made on the display, which another connection
        // (the one that stacks) may not have seen when it was shown.
        if (window->isExposed()) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->windowHandle() == window && (isOwnWindow(widget) || m_windows.contains(widget))) {
                    restack();
                    break;
                }
        }
    }
    return QObject::eventFilter(watched, event);
}
