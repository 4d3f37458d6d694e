#pragma once
// The real task daemon as a child process with its own socket, store, log and dry-run power
// file in one folder: nothing it is asked can power the machine off.

#include "WaitFor.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStringList>

namespace SrTest {

struct TaskDaemonRun {
    explicit TaskDaemonRun(const QString& folder) : dir(folder) {}
    ~TaskDaemonRun() { stop(); }
    QString socket() const { return dir + "/taskd.sock"; }
    QString store() const { return dir + "/tasks.json"; }
    QString log() const { return dir + "/taskd.log"; }
    QString power() const { return dir + "/power.txt"; }
    // The daemon's options besides its socket.
    QStringList options() const { return {"--store", store(), "--log", log(), "--power", "dry-run:" + power()}; }
    // Starts the daemon and waits until its socket answers.
    bool start(const QStringList& extra = {}, int waitMs = 5000)
    {
        return launch(QStringList{"--socket", socket()} + options() + extra, socket(), waitMs);
    }
    // Starts the daemon with exactly `arguments`; true once `socketPath` answers, false when the
    // daemon ends first or nothing answers within `waitMs`.
    bool launch(const QStringList& arguments, const QString& socketPath, int waitMs)
    {
        process.start(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd", arguments);
        const auto answers = [&] {
            QLocalSocket probe;
            probe.connectToServer(socketPath);
            return probe.waitForConnected(100);
        };
        return SrTest::spinUntil([&] { return answers() || process.state() == QProcess::NotRunning; }, waitMs) && answers();
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    QString logText() const
    {
        QFile file(log());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString dir;
    QProcess process;
};

} // namespace SrTest
