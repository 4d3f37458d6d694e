#include "DaemonClock.h"

DaemonClock::DaemonClock(const QDateTime& fakeStart)
{
    if (fakeStart.isValid())
        m_offsetMs = fakeStart.toMSecsSinceEpoch() - QDateTime::currentMSecsSinceEpoch();
}

QDateTime DaemonClock::now() const
{
    return QDateTime::fromMSecsSinceEpoch(QDateTime::currentMSecsSinceEpoch() + m_offsetMs);
}
