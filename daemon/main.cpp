// The task daemon: keeps the user's scheduled recordings, starts them on time through the
// connected application, and shuts down or suspends the machine on request.

#include "DaemonClock.h"
#include "Log.h"
#include "OvFileLock.h"
#include "OvFileUtils.h"
#include "OvPrivateFiles.h"
#include "PowerBackend.h"
#include "TaskFiring.h"
#include "TaskServer.h"
#include "TaskStore.h"
#include "TaskWire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QSocketNotifier>
#include <QThread>

#include <memory>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kDefaultGraceSeconds = 60;
constexpr int kProbeMs = 1000;
constexpr int kUsageError = 2;
// The status of a daemon that cannot go on (its supervisor starts it again), and of a stop
// that failed.
constexpr int kFault = 1;
// The status of a daemon that does not serve because another daemon serves its task file on
// another socket: one task file has one writer.
constexpr int kTaskFileServed = 3;
// How long the daemon waits for a lock that another process holds before it gives up: a
// starter deciding takes it for a moment, never for long.
constexpr int kLockWaitMs = 5000;
// How long a stopped daemon is given to end, and how often that is looked at.
constexpr int kStopWaitMs = 5000;
constexpr int kStopPollMs = 50;
constexpr char kFakeTimeFormat[] = "yyyy-MM-ddThh:mm:ss";

int s_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so the daemon logs its stop.
void quitOnSignals(QCoreApplication* app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// The process id beside the socket ("<socket>.pid"), for people looking for this daemon.
// Nothing relies on it: another program could have written it. Written once the socket is
// served, as a new file renamed over the name: a link there is replaced, never written through.
void writePidFile(const QString& path)
{
    QString why;
    if (!OvFileUtils::writeNewFile(path, QByteArray::number(QCoreApplication::applicationPid()) + '\n',
                                   OvFileUtils::ExistingName::Replace, &why, OvPrivateFiles::kFileMode))
        Log("TaskDaemon", 2, "cannot write %s: %s", qUtf8Printable(path), qUtf8Printable(why));
}

// Removes the file only while it names this process: a newer daemon may have replaced it.
void removePidFile(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().toLongLong() == QCoreApplication::applicationPid())
        QFile::remove(path);
}

int usageError(const QString& text)
{
    fprintf(stderr, "screenrecorder-taskd: %s\n", qUtf8Printable(text));
    return kUsageError;
}

int fault(const QString& text)
{
    fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kFault;
}

// Logs and prints why the daemon does not serve, and gives `status`.
int refuse(int status, const QString& text)
{
    Log("TaskDaemon", 2, "%s", qUtf8Printable(text));
    fprintf(stderr, "%s\n", qUtf8Printable(text));
    return status;
}

// The lock that makes this process the only one serving `taskFile`, held for the daemon's life
// and naming `socketPath`. Null with the exit status in `status` when this process must not
// serve: 0 when a daemon serves the file on this very socket already.
std::unique_ptr<OvFileLock> takeTaskFile(const QString& taskFile, const QString& socketPath, int* status)
{
    const QString folder = QFileInfo(taskFile).absolutePath();
    QString why = QStringLiteral("it cannot be made");
    // The user's own task file lies in the application's private data folder.
    if (taskFile == taskwire::defaultTaskFilePath() ? !OvPrivateFiles::makeFolder(folder, &why) : !QDir().mkpath(folder))
        Log("TaskDaemon", 2, "the folder %s of the task file: %s", qUtf8Printable(folder), qUtf8Printable(why));
    const QString socket = QFileInfo(socketPath).absoluteFilePath();
    const QString lockPath = taskwire::taskFileLockPath(taskFile);
    auto lock = std::make_unique<OvFileLock>(lockPath);
    if (lock->lockWithin(kLockWaitMs)) {
        if (!lock->writeText(QFile::encodeName(socket)))
            Log("TaskDaemon", 2, "cannot name the socket in %s: the application finds this daemon only on its usual "
                                 "socket", qUtf8Printable(lockPath));
        return lock;
    }
    if (!lock->heldElsewhere()) {
        *status = refuse(kFault, QStringLiteral("The task daemon cannot serve the task file %1: its lock %2 cannot be "
                                                "taken: %3.").arg(taskFile, lockPath, lock->error()));
        return nullptr;
    }
    const QString serving = QFile::decodeName(lock->readText());
    if (serving == socket) {
        Log("TaskDaemon", 1, "a task daemon already serves %s", qUtf8Printable(socketPath));
        *status = 0;
        return nullptr;
    }
    *status = refuse(kTaskFileServed,
                     QStringLiteral("not serving %1: the task file %2 is served by another task daemon, on %3")
                         .arg(socketPath, taskFile, serving.isEmpty() ? QStringLiteral("a socket not told yet") : serving));
    return nullptr;
}

// Gone, or ended and waiting for its parent to collect its status.
bool processEnded(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int nameEnd = text.lastIndexOf(')');
    return nameEnd >= 0 && text.mid(nameEnd + 2, 1) == "Z";
}

// Stops the daemon that serves `socketPath`, and no other: the kernel names the process that
// listens there, and only a process of this user is stopped. 0 once no daemon serves it.
int stopServingDaemon(const QString& socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kProbeMs)) {
        if (socket.error() == QLocalSocket::ServerNotFoundError || socket.error() == QLocalSocket::ConnectionRefusedError) {
            printf("No task daemon serves %s.\n", qUtf8Printable(socketPath));
            return 0;
        }
        return fault(QStringLiteral("The task daemon at %1 does not answer: %2").arg(socketPath, socket.errorString()));
    }
    QString why;
    if (!taskwire::peerIsThisUser(socket.socketDescriptor(), &why))
        return fault(QStringLiteral("The program serving %1 was not stopped: %2.").arg(socketPath, why));
    const qint64 pid = taskwire::socketPeer(socket.socketDescriptor()).pid;
    socket.abort();
    if (pid <= 0)
        return fault(QStringLiteral("The process serving %1 cannot be told.").arg(socketPath));
    if (::kill(pid_t(pid), SIGTERM) != 0 && errno != ESRCH)
        return fault(QStringLiteral("The task daemon (process %1) serving %2 cannot be stopped: %3")
                         .arg(pid)
                         .arg(socketPath, QString::fromLocal8Bit(std::strerror(errno))));
    QElapsedTimer clock;
    clock.start();
    while (!processEnded(pid) && clock.elapsed() < kStopWaitMs)
        QThread::msleep(kStopPollMs);
    if (!processEnded(pid))
        return fault(QStringLiteral("The task daemon (process %1) serving %2 did not stop within %3 s.")
                         .arg(pid)
                         .arg(socketPath)
                         .arg(kStopWaitMs / 1000));
    printf("Stopped the task daemon (process %lld) serving %s.\n", pid, qUtf8Printable(socketPath));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("screenrecorder-taskd");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Keeps the scheduled recordings of Screen Recorder and starts them on time.\n"
        "Exit status: 0 stopped, or another daemon already serves the socket and task file; 1 a fault; "
        "2 wrong arguments; 3 another daemon serves the task file on another socket.");
    parser.addHelpOption();
    const QCommandLineOption socketOption(
        "socket", "The local socket to listen on (else one in the user's runtime or private folder).", "path");
    const QCommandLineOption stopOption("stop", "Stop the daemon that serves the socket, and exit.");
    const QCommandLineOption storeOption("store", "The task file.", "path", taskwire::defaultTaskFilePath());
    const QCommandLineOption logOption("log", "The log file.", "path",
                                       QFileInfo(taskwire::defaultTaskFilePath()).absolutePath() + "/taskdaemon.log");
    const QCommandLineOption powerOption("power", "How to shut down or sleep: logind, or dry-run:FILE.", "backend",
                                         "logind");
    const QCommandLineOption fakeTimeOption("fake-time", "Start the clock at this local time (yyyy-MM-ddThh:mm:ss).",
                                            "time");
    const QCommandLineOption graceOption("grace", "Seconds a due start waits for a client.", "seconds",
                                         QString::number(kDefaultGraceSeconds));
    parser.addOptions({socketOption, stopOption, storeOption, logOption, powerOption, fakeTimeOption, graceOption});
    parser.process(app);

    QString socketError;
    QString passedOver;
    const QString socketPath = parser.isSet(socketOption) ? parser.value(socketOption)
                                                          : taskwire::defaultSocketPath(&socketError, &passedOver);
    if (socketPath.isEmpty())
        return fault(socketError);
    if (parser.isSet(stopOption))
        return stopServingDaemon(socketPath);

    PowerBackend power;
    if (!power.configure(parser.value(powerOption)))
        return usageError("--power takes logind or dry-run:FILE");
    bool graceRead = false;
    const int grace = parser.value(graceOption).toInt(&graceRead);
    if (!graceRead || grace < 0)
        return usageError("--grace takes a number of seconds");
    QDateTime fakeStart;
    if (parser.isSet(fakeTimeOption)) {
        fakeStart = QLocale::c().toDateTime(parser.value(fakeTimeOption), QLatin1String(kFakeTimeFormat));
        if (!fakeStart.isValid())
            return usageError("--fake-time takes a local time as yyyy-MM-ddThh:mm:ss");
    }

    const QString logPath = parser.value(logOption);
    QDir().mkpath(QFileInfo(logPath).absolutePath());
    SetLogfile(QFile::encodeName(logPath).constData());
    // Why the runtime folder did not take the socket, where it would have.
    QString runtimePassedOver;
    if (!parser.isSet(socketOption) && qEnvironmentVariableIsEmpty("SR_TASKD_SOCKET")
        && taskwire::runtimeFolder(&runtimePassedOver).isEmpty() && !runtimePassedOver.isEmpty())
        Log("TaskDaemon", 2, "%s", qUtf8Printable(runtimePassedOver));
    if (!passedOver.isEmpty())
        Log("TaskDaemon", 2, "%s The socket is in the cache folder instead.", qUtf8Printable(passedOver));

    const QString storePath = parser.value(storeOption);
    int refusal = 0;
    const std::unique_ptr<OvFileLock> taskFileLock = takeTaskFile(storePath, socketPath, &refusal);
    if (!taskFileLock)
        return refusal;
    QDir().mkpath(QFileInfo(socketPath).absolutePath());
    TaskStore store(storePath);
    TaskServer server(&store, &power);
    {
        // Held while deciding whether this process serves the socket, so that two starters
        // never both listen.
        const QString lockPath = socketPath + ".lock";
        OvFileLock lock(lockPath);
        if (!lock.lockWithin(kLockWaitMs))
            return refuse(kFault, QStringLiteral("The task daemon cannot serve %1: its lock %2 cannot be taken: %3.")
                                      .arg(socketPath, lockPath, lock.error()));
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(kProbeMs)) {
            QString why;
            if (!taskwire::peerIsThisUser(probe.socketDescriptor(), &why)) {
                Log("TaskDaemon", 2, "not serving %s: the program there is not this user's (%s)",
                    qUtf8Printable(socketPath), qUtf8Printable(why));
                return fault(QStringLiteral("The socket %1 is held by a program of another user: %2.").arg(socketPath, why));
            }
            Log("TaskDaemon", 1, "a task daemon already serves %s", qUtf8Printable(socketPath));
            return 0;
        }
        QLocalServer::removeServer(socketPath);
        if (!server.listen(socketPath)) {
            Log("TaskDaemon", 2, "cannot listen on %s: %s", qUtf8Printable(socketPath),
                qUtf8Printable(server.errorString()));
            return kFault;
        }
    }
    const QString pidPath = socketPath + ".pid";
    writePidFile(pidPath);
    store.load();
    Log("TaskDaemon", 2, "started on %s with %lld tasks from %s%s", qUtf8Printable(socketPath),
        qint64(store.tasks().size()), qUtf8Printable(storePath),
        fakeStart.isValid() ? qUtf8Printable(" (clock starts at " + taskwire::dateText(fakeStart) + ")") : "");

    const DaemonClock clock(fakeStart);
    TaskFiring firing(&store, &server, &clock, grace);
    server.setWaitingCheck([&firing] { return firing.waiting(); });
    QObject::connect(&server, &TaskServer::socketLost, &app, [](const QString& reason) {
        Log("TaskDaemon", 2, "no client can reach this daemon any more (%s); stopping", qUtf8Printable(reason));
        QCoreApplication::exit(kFault);
    });
    quitOnSignals(&app);
    firing.start();
    const int status = app.exec();
    store.flush();
    removePidFile(pidPath);
    Log("TaskDaemon", 2, "stopped");
    return status;
}
