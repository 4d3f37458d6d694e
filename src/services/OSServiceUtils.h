#pragma once
// System commands. Programs are always started with an argument list, never through
// a shell command built from text.

#include <QString>
#include <functional>

class QObject;

class OSServiceUtils {
public:
    // Opens the file (or folder, or URL) with the desktop's default application, started
    // detached through PlatformSeam: the caller never waits. False when the opener could not
    // be started.
    static bool executeFile(const QString& path);
    // Moves `from` to `to`, creating the folder of `to` when missing (a copy across
    // filesystems, OvFileUtils::moveNoReplace). Never follows or replaces anything that has
    // the name `to`: fails instead, with `from` as it was. True when the file has arrived.
    static bool moveFile(const QString& from, const QString& to);
    // Writes "<folder>/command.sh" that runs the task daemon's install (install != 0) or
    // uninstall script from the resources under /bin/sh, with the daemon's program and
    // socket as arguments (the uninstall stops the daemon that serves that socket, and only
    // it), and returns its exit status (-1 when it could not be run or there is no safe
    // socket). On a
    // failure `message` (when given) gets the script's reason. An install that succeeds lets
    // the application start the daemon again; an uninstall keeps it from doing so.
    static int UserExecute(const QString& folder, int install, bool audioDriver, QString* message = nullptr);
    // UserExecute on a worker thread: the caller never waits. `done` gets the exit status and
    // the reason of a failure on the thread of `context` once the script has ended, and is
    // dropped when `context` is gone by then. GUI thread.
    static void UserExecuteAsync(const QString& folder, int install, QObject* context,
                                 const std::function<void(int status, const QString& message)>& done);
    // The user uninstalled the task daemon and has not installed it again: the application
    // then never starts it by itself. Any thread.
    static bool isTaskDaemonUninstalled();
    // The task daemon's program: $SR_TASKD_PROGRAM, else "screenrecorder-taskd" beside the
    // application's executable.
    static QString taskDaemonProgram();
    // True when process `pid` is alive, is not this process, and runs the same executable
    // as this one (a reused process id of another program does not count).
    static bool isOtherInstanceAlive(qint64 pid);
};
