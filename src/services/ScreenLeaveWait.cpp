#include "ScreenLeaveWait.h"

#include "Log.h"
#include "OvWindowList.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace {
const int kPollMs = 20;
// The polls after which the step goes ahead though a window still shows (5 s).
const int kMaxPolls = 250;
// A compositing manager repaints the uncovered screen on its next frames.
const int kRedrawSettleMs = 100;
} // namespace

void ScreenLeaveWait::afterLeaving(const QList<QWidget*>& windows, QObject* context, std::function<void()> then)
{
    new ScreenLeaveWait(windows, context, std::move(then));
}

ScreenLeaveWait::ScreenLeaveWait(const QList<QWidget*>& windows, QObject* context, std::function<void()> then)
    : m_context(context)
    , m_then(std::move(then))
{
    for (QWidget* w : windows)
        if (w && w->window()->internalWinId())
            m_ids << quint64(w->window()->internalWinId());
    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(kPollMs);
    connect(m_pTimer, &QTimer::timeout, this, &ScreenLeaveWait::onPoll);
    // The first look comes after the event loop has sent the hide requests to the server.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_pTimer->start();
    } else {
        QTimer::singleShot(0, this, &ScreenLeaveWait::finish);
    }
}

void ScreenLeaveWait::onPoll()
{
    ++m_nPolls;
    bool shown = false;
    for (quint64 id : m_ids)
        shown = shown || OvWindowList::isShownWithFrame(id);
    if (shown && m_nPolls < kMaxPolls)
        return;
    if (shown)
        Log("ScreenLeaveWait", 1, "a window still shows after %d ms; going ahead", m_nPolls * kPollMs);
    m_pTimer->stop();
    QTimer::singleShot(kRedrawSettleMs, this, &ScreenLeaveWait::finish);
}

void ScreenLeaveWait::finish()
{
    if (m_context && m_then)
        m_then();
    deleteLater();
}
