#pragma once
// Runs a step once windows have left the screen: hidden, unmapped by the X server together
// with the frames the window manager drew around them, and the screen given a moment to be
// redrawn without them. For grabs of the screen that must not show the program's own
// windows. Never blocks: it polls on the GUI thread's timers. GUI thread.

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QTimer;
class QWidget;

class ScreenLeaveWait : public QObject {
    Q_OBJECT
public:
    // Calls `then` (unless `context` is gone by then) once every window of `windows` that
    // had a native window has left the screen; after a long wait it goes ahead anyway.
    static void afterLeaving(const QList<QWidget*>& windows, QObject* context, std::function<void()> then);

private:
    ScreenLeaveWait(const QList<QWidget*>& windows, QObject* context, std::function<void()> then);
    void onPoll();
    void finish();

    QList<quint64> m_ids;
    QPointer<QObject> m_context;
    std::function<void()> m_then;
    QTimer* m_pTimer = nullptr;
    int m_nPolls = 0;
};
