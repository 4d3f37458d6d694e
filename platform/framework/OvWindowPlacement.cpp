#include "OvWindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <QWidget>
#include <climits>

namespace {
bool isFrameless(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    return flags.testFlag(Qt::FramelessWindowHint) || flags.testFlag(Qt::BypassWindowManagerHint)
        || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip
        || window->windowType() == Qt::SplashScreen;
}

// The frame around a shown window (none before the window manager has framed it).
QMargins shownFrame(const QWidget* window)
{
    // The native window learns its frame first; the widget's copy may lag behind.
    if (const QWindow* native = window->windowHandle())
        return native->frameMargins();
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

int squaredDistance(const QPoint& a, const QRect& r)
{
    const int dx = a.x() < r.left() ? r.left() - a.x() : (a.x() > r.right() ? a.x() - r.right() : 0);
    const int dy = a.y() < r.top() ? r.top() - a.y() : (a.y() > r.bottom() ? a.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}
} // namespace

namespace OvWindowPlacement {

QRect keptInside(const QRect& frame, const QRect& available)
{
    QRect placed = frame;
    if (!available.isValid())
        return placed;
    if (placed.right() > available.right())
        placed.moveRight(available.right());
    if (placed.bottom() > available.bottom())
        placed.moveBottom(available.bottom());
    if (placed.left() < available.left())
        placed.moveLeft(available.left());
    if (placed.top() < available.top())
        placed.moveTop(available.top());
    return placed;
}

QScreen* screenFor(const QRect& frame)
{
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry() & frame;
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (best)
        return best;
    int nearest = INT_MAX;
    for (QScreen* screen : QGuiApplication::screens()) {
        const int distance = squaredDistance(frame.center(), screen->geometry());
        if (distance < nearest) {
            nearest = distance;
            best = screen;
        }
    }
    return best ? best : QGuiApplication::primaryScreen();
}

QRect onScreen(const QRect& frame)
{
    QScreen* screen = screenFor(frame);
    return screen ? keptInside(frame, screen->availableGeometry()) : frame;
}

QMargins frameMargins(const QWidget* window)
{
    if (isFrameless(window))
        return QMargins();
    if (window->isVisible()) {
        const QMargins own = shownFrame(window);
        if (!own.isNull())
            return own;
    }
    // Not framed yet: the window manager frames the program's windows alike.
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window || !other->isVisible() || isFrameless(other))
            continue;
        const QMargins frame = shownFrame(other);
        if (!frame.isNull())
            return frame;
    }
    return QMargins();
}

void moveTo(QWidget* window, const QPoint& topLeft)
{
    const QMargins frame = frameMargins(window);
    const QSize outer = window->size().grownBy(frame);
    const QPoint placed = onScreen(QRect(topLeft, outer)).topLeft();
    QWindow* native = window->windowHandle();
    if (native && !window->isVisible()) {
        // A hidden window moved to where it already was would not tell the window manager,
        // which then places the window itself when it is shown again.
        window->setAttribute(Qt::WA_Moved);
        native->setFramePosition(placed);
        return;
    }
    // Qt takes the point as the frame's once it knows the frame (or before the native window
    // exists); a native window not framed yet is moved by its client area.
    const bool frameUnknown = window->testAttribute(Qt::WA_WState_Created) && shownFrame(window).isNull();
    window->move(frameUnknown ? placed + QPoint(frame.left(), frame.top()) : placed);
}

void centreOn(QWidget* window, const QWidget* reference)
{
    QRect area;
    if (reference && reference->isVisible())
        area = reference->frameGeometry();
    else if (QScreen* primary = QGuiApplication::primaryScreen())
        area = primary->availableGeometry();
    if (!area.isValid())
        return;
    const QSize outer = window->size().grownBy(frameMargins(window));
    moveTo(window, area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

} // namespace OvWindowPlacement
