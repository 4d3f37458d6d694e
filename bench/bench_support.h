#pragma once
// Shared by the benchmarks: the median of a set of figures, running the event loop for a
// while, a process's memory figures and a private Xvfb screen.

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <vector>

// The median (the upper one of an even count); T() when there is none.
template <class T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? T() : values[values.size() / 2];
}

// Runs the event loop for `ms` milliseconds.
inline void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A kB figure of /proc/<pid>/status ("VmRSS", "VmHWM"), or -1 when it cannot be read.
inline long procStatusKb(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = field + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// An Xvfb screen of the given size on a free display number, gone with the object.
// display() is empty when it did not start.
class XvfbScreen {
public:
    XvfbScreen(int width, int height)
    {
        QTemporaryDir dir;
        const QString displayFile = dir.path() + QStringLiteral("/display");
        m_server.setStandardOutputFile(displayFile);
        m_server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0",
                                               QStringLiteral("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
        for (int i = 0; i < kWaitSteps && m_display.isEmpty() && m_server.state() != QProcess::NotRunning; ++i) {
            QThread::msleep(kWaitStepMs);
            QFile file(displayFile); // Xvfb writes its display number there once it is ready
            const QByteArray number = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
            if (!number.isEmpty())
                m_display = QStringLiteral(":") + QString::fromLatin1(number);
        }
    }
    ~XvfbScreen()
    {
        m_server.terminate();
        m_server.waitForFinished();
    }
    XvfbScreen(const XvfbScreen&) = delete;
    XvfbScreen& operator=(const XvfbScreen&) = delete;
    // ":N", or empty.
    QString display() const { return m_display; }

private:
    static const int kWaitSteps = 100;
    static const int kWaitStepMs = 50;
    QProcess m_server;
    QString m_display;
};
