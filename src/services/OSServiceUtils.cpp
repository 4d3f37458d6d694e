#include "OSServiceUtils.h"

#include "Log.h"
#include "OvFileUtils.h"
#include "OvPrivateFiles.h"
#include "OvResourceMgr.h"
#include "PlatformSeam.h"
#include "TaskWire.h"

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
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
    // One step that neither follows nor replaces what has the name `to`: a check before it
    // would leave a moment for another user who can write the folder to put a link there.
    QString why;
    if (OvFileUtils::moveNoReplace(from, to, &why))
        return true;
    Log("OSServiceUtils", 2, "move to %s failed: %s", qUtf8Printable(to), qUtf8Printable(why));
    return false;
}

QString OSServiceUtils::taskDaemonProgram()
{
    const QString fromEnv = qEnvironmentVariable("SR_TASKD_PROGRAM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/screenrecorder-taskd");
}

namespace {
// Present while the user has uninstalled the task daemon.
QString uninstalledMarkPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/ScreenRecorder/taskd-uninstalled");
}

void setTaskDaemonUninstalled(bool uninstalled)
{
    const QString mark = uninstalledMarkPath();
    if (!uninstalled) {
        QFile::remove(mark);
        return;
    }
    QDir().mkpath(QFileInfo(mark).absolutePath());
    if (!OvPrivateFiles::createFile(mark))
        Log("OSServiceUtils", 2, "cannot write %s", qUtf8Printable(mark));
}
} // namespace

bool OSServiceUtils::isTaskDaemonUninstalled() { return QFileInfo::exists(uninstalledMarkPath()); }

int OSServiceUtils::UserExecute(const QString& folder, int install, bool audioDriver, QString* message)
{
    const QString script = OvResourceMgr::instance()->resourcesPath()
                           + (install ? QStringLiteral("/TaskXPC/install_TaskXPC.sh")
                                      : QStringLiteral("/TaskXPC/uninstall_TaskXPC.sh"));
    Q_UNUSED(audioDriver);
    const auto fail = [message](const QString& why) {
        Log("OSServiceUtils", 2, "task daemon script: %s", qUtf8Printable(why));
        if (message)
            *message = why;
        return -1;
    };
    QDir().mkpath(folder);
    const QString commandFile = folder + QStringLiteral("/command.sh");
    // The script and its arguments are passed as arguments, never pasted into the script text.
    // A new private file takes the name: nothing at it is written through.
    QString why;
    if (!OvFileUtils::writeNewFile(commandFile, QByteArrayLiteral("#!/bin/sh\nexec /bin/sh \"$@\"\n"),
                                   OvFileUtils::ExistingName::Replace, &why, OvPrivateFiles::kFileMode))
        return fail(QStringLiteral("cannot write %1: %2").arg(commandFile, why));
    QString socketError;
    // An uninstall stops the daemon that serves the user's task file, wherever its socket is.
    const QString socket = install ? taskwire::defaultSocketPath(&socketError) : taskwire::clientSocketPath(&socketError);
    if (socket.isEmpty())
        return fail(socketError);
    // install: program, socket; uninstall: socket, program.
    QStringList arguments{commandFile, script};
    if (install)
        arguments << taskDaemonProgram() << socket;
    else
        arguments << socket << taskDaemonProgram();
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return fail(QStringLiteral("/bin/sh could not run %1: %2").arg(script, process.errorString()));
    const int status = process.exitCode();
    Log("OSServiceUtils", 1, "install:%d, osascript status code: %d", install, status);
    if (status != 0) {
        QString why = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (why.isEmpty())
            why = QStringLiteral("%1 ended with status %2").arg(QFileInfo(script).fileName()).arg(status);
        Log("OSServiceUtils", 2, "task daemon script: %s", qUtf8Printable(why));
        if (message)
            *message = why;
    }
    // An uninstall keeps the application from starting the daemon even when part of it
    // failed: the user asked for it to be gone.
    if (!install)
        setTaskDaemonUninstalled(true);
    else if (status == 0)
        setTaskDaemonUninstalled(false);
    return status;
}

void OSServiceUtils::UserExecuteAsync(const QString& folder, int install, QObject* context,
                                      const std::function<void(int status, const QString& message)>& done)
{
    OvResourceMgr::instance(); // made here, read by the worker
    struct Result {
        int status = -1;
        QString message;
    };
    auto result = std::make_shared<Result>();
    QThread* worker = QThread::create(
        [folder, install, result] { result->status = UserExecute(folder, install, false, &result->message); });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(worker, &QThread::finished, context, [result, done] { done(result->status, result->message); });
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
