// The task daemon: keeps the user's scheduled recordings, starts them on time through the
// connected application, and shuts down or suspends the machine on request.

#include "DaemonClock.h"
#include "Log.h"
#include "OvFileLock.h"
#include "PowerBackend.h"
#include "TaskFiring.h"
#include "TaskServer.h"
#include "TaskStore.h"
#include "TaskWire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kDefaultGraceSeconds = 60;
constexpr int kProbeMs = 1000;
constexpr int kUsageError = 2;
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

QString dataPath(const QString& file)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ScreenRecorder/" + file;
}

// The process id beside the socket ("<socket>.pid"), so that the uninstall stops this daemon
// and no other. Written once the socket is served.
void writePidFile(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n') < 0
        || !file.commit())
        Log("TaskDaemon", 2, "cannot write %s", qUtf8Printable(path));
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("screenrecorder-taskd");

    QCommandLineParser parser;
    parser.setApplicationDescription("Keeps the scheduled recordings of Screen Recorder and starts them on time.");
    parser.addHelpOption();
    const QCommandLineOption socketOption("socket", "The local socket to listen on.", "path",
                                          taskwire::defaultSocketPath());
    const QCommandLineOption storeOption("store", "The task file.", "path", dataPath("tasks.json"));
    const QCommandLineOption logOption("log", "The log file.", "path", dataPath("taskdaemon.log"));
    const QCommandLineOption powerOption("power", "How to shut down or sleep: logind, or dry-run:FILE.", "backend",
                                         "logind");
    const QCommandLineOption fakeTimeOption("fake-time", "Start the clock at this local time (yyyy-MM-ddThh:mm:ss).",
                                            "time");
    const QCommandLineOption graceOption("grace", "Seconds a due start waits for a client.", "seconds",
                                         QString::number(kDefaultGraceSeconds));
    parser.addOptions({socketOption, storeOption, logOption, powerOption, fakeTimeOption, graceOption});
    parser.process(app);

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

    const QString socketPath = parser.value(socketOption);
    QDir().mkpath(QFileInfo(socketPath).absolutePath());
    TaskStore store(parser.value(storeOption));
    TaskServer server(&store, &power);
    {
        // Held while deciding whether this process serves the socket, so that two starters
        // never both listen.
        OvFileLock lock(socketPath + ".lock");
        lock.lock();
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(kProbeMs)) {
            Log("TaskDaemon", 1, "a task daemon already serves %s", qUtf8Printable(socketPath));
            return 0;
        }
        QLocalServer::removeServer(socketPath);
        if (!server.listen(socketPath)) {
            Log("TaskDaemon", 2, "cannot listen on %s: %s", qUtf8Printable(socketPath),
                qUtf8Printable(server.errorString()));
            return 1;
        }
    }
    const QString pidPath = socketPath + ".pid";
    writePidFile(pidPath);
    store.load();
    Log("TaskDaemon", 2, "started on %s with %lld tasks from %s%s", qUtf8Printable(socketPath),
        qint64(store.tasks().size()), qUtf8Printable(parser.value(storeOption)),
        fakeStart.isValid() ? qUtf8Printable(" (clock starts at " + taskwire::dateText(fakeStart) + ")") : "");

    const DaemonClock clock(fakeStart);
    TaskFiring firing(&store, &server, &clock, grace);
    server.setWaitingCheck([&firing] { return firing.waiting(); });
    quitOnSignals(&app);
    firing.start();
    const int status = app.exec();
    store.flush();
    removePidFile(pidPath);
    Log("TaskDaemon", 2, "stopped");
    return status;
}
