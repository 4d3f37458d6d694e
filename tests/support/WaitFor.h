#pragma once
// Waiting for queued reports the way a modal loop does: events are processed, but
// deferred deletions posted at the caller's level are not forced, unlike QTest::qWait.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <functional>

namespace SrTest {
// Processes events until `done` answers true; false after `ms` milliseconds.
inline bool spinUntil(const std::function<bool()>& done, int ms = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// The names of the files in `folder`, sorted.
inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace SrTest
