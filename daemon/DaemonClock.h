#pragma once
// The daemon's wall clock: the real one, or one that starts at a given local time and runs
// on at normal speed (for tests). Any thread.

#include <QDateTime>

class DaemonClock {
public:
    // An invalid `fakeStart` gives the real clock.
    explicit DaemonClock(const QDateTime& fakeStart = QDateTime());
    QDateTime now() const;

private:
    qint64 m_offsetMs = 0;
};
