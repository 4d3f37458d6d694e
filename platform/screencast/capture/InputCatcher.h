#pragma once
// An invisible X window (input only) over an area of the desktop that takes the mouse while
// it is active and passes the left button's presses, drags and releases on as signals; a
// part of the area can be left out, where the mouse reaches the windows below. It is the
// drawing input of a recording canvas, whose visible window lets every click through.
// It has an X connection of its own, read on the GUI thread; GUI thread only.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>

class QSocketNotifier;
class XcbConnection;

namespace capture {

class InputCatcher : public QObject {
    Q_OBJECT
public:
    // Over `area` (X screen pixels). isOpen() is false when the X display cannot be reached.
    explicit InputCatcher(const QRect& area, QObject* parent = nullptr);
    ~InputCatcher() override;

    bool isOpen() const { return m_window != 0; }
    // Active: the window is on top of the area and takes its mouse; inactive: it is gone.
    void setActive(bool active);
    // The mouse over `rect` (area pixels; empty: nothing) reaches the windows below, also
    // while active. Without the X server's XFixes extension nothing is left out.
    void setLeftOut(const QRect& rect);

signals:
    // The left button, at a point in area pixels.
    void pressed(const QPoint& point);
    void moved(const QPoint& point);
    void released(const QPoint& point);

private:
    void onReadable();

    std::unique_ptr<XcbConnection> m_conn;
    uint32_t m_window = 0;
    uint32_t m_cursor = 0;
    QSize m_size;
    bool m_canShape = false;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace capture
