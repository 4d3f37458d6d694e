#include "OSServiceUtils.h"

#include "Log.h"
#include "OvResourceMgr.h"
#include "PlatformSeam.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <memory>
#include <unistd.h>

bool OSServiceUtils::executeFile(const QString& path)
{
    const bool started = PlatformSeam::current()->startDetached(QStringLiteral("xdg-open"), {path});
    if (!started)
        Log("OSServiceUtils", 2, "could not start xdg-open");
    return started;
}

bool OSServiceUtils::moveFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (QFileInfo::exists(to)) {
        Log("OSServiceUtils", 2, "mv refused: target exists");
        return false;
    }
    QProcess mv;
    // -n: never replace a file that appeared meanwhile; "--" ends the options.
    mv.start(QStringLiteral("mv"), {QStringLiteral("-n"), QStringLiteral("--"), from, to});
    if (!mv.waitForFinished(-1) || mv.exitStatus() != QProcess::NormalExit) {
        Log("OSServiceUtils", 2, "mv command error, error code: %d", -1);
        return false;
    }
    const int code = mv.exitCode();
    if (code != 0) {
        Log("OSServiceUtils", 2, "mv command error, error code: %d", code);
        return false;
    }
    // With -n, mv reports success when it skipped an existing target: the source still being
    // there means nothing was moved.
    if (QFileInfo::exists(from) || !QFileInfo::exists(to)) {
        Log("OSServiceUtils", 2, "mv command error, error code: %d", 1);
        return false;
    }
    return true;
}

int OSServiceUtils::UserExecute(const QString& folder, int install, bool audioDriver)
{
    const QString script = OvResourceMgr::instance()->resourcesPath()
                           + (install ? QStringLiteral("/TaskXPC/install_TaskXPC.sh")
                                      : QStringLiteral("/TaskXPC/uninstall_TaskXPC.sh"));
    Q_UNUSED(audioDriver);
    QDir().mkpath(folder);
    const QString commandFile = folder + QStringLiteral("/command.sh");
    QFile file(commandFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    // The script path is passed as an argument, never pasted into the script text.
    file.write("#!/bin/sh\nexec /bin/sh \"$1\"\n");
    file.close();
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {commandFile, script});
    int status = -1;
    if (process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit)
        status = process.exitCode();
    Log("OSServiceUtils", 1, "install:%d, osascript status code: %d", install, status);
    return status;
}

void OSServiceUtils::UserExecuteAsync(const QString& folder, int install, QObject* context,
                                      const std::function<void(int status)>& done)
{
    OvResourceMgr::instance(); // made here, read by the worker
    auto status = std::make_shared<int>(-1);
    QThread* worker = QThread::create([folder, install, status] { *status = UserExecute(folder, install, false); });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(worker, &QThread::finished, context, [status, done] { done(*status); });
    worker->start();
}

bool OSServiceUtils::isOtherInstanceAlive(qint64 pid)
{
    if (pid <= 0 || pid == qint64(::getpid()))
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // A process id is reused once its process is gone: only the same program counts.
    const QString other = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (other.isEmpty() || self.isEmpty())
        return true; // cannot tell: assume it is ours
    return other == self;
}
