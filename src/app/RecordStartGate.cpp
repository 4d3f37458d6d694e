#include "RecordStartGate.h"

#include "Log.h"

#include <QTimer>
#include <algorithm>

namespace {
// How often the test is asked once the least wait is over: a sound packet's length.
const int kPollMs = 20;
} // namespace

RecordStartGate::RecordStartGate(QObject* parent)
    : QObject(parent)
    , m_pTimer(new QTimer(this))
{
    m_pTimer->setSingleShot(true);
    // A coarse timer may come early, and the least wait is a promise.
    m_pTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pTimer, &QTimer::timeout, this, &RecordStartGate::onTimeout);
}

void RecordStartGate::start(std::function<bool()> flowing, int leastMs, int mostMs)
{
    m_flowing = std::move(flowing);
    m_nLeastMs = leastMs;
    m_nMostMs = std::max(leastMs, mostMs);
    m_clock.start();
    m_pTimer->start(leastMs);
}

void RecordStartGate::cancel()
{
    m_pTimer->stop();
    m_flowing = nullptr;
}

bool RecordStartGate::isWaiting() const { return m_pTimer->isActive(); }

void RecordStartGate::onTimeout()
{
    const qint64 waited = m_clock.elapsed();
    if (waited < m_nLeastMs) {
        m_pTimer->start(int(m_nLeastMs - waited));
        return;
    }
    const bool flowing = m_flowing && m_flowing();
    if (!flowing && waited < m_nMostMs) {
        m_pTimer->start(int(std::min<qint64>(kPollMs, m_nMostMs - waited)));
        return;
    }
    m_flowing = nullptr;
    Log("MainWindow", flowing ? 1 : 2, "the recording starts after %lld ms, its sound %s", waited,
        flowing ? "flowing" : "not flowing yet");
    emit sigOpen();
}
