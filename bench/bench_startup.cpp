// Start-up benchmark: the time from starting bin/ScreenRecorder until its main window is mapped,
// next to a plain Qt Widgets program that shows a QMainWindow (this program run with
// --plain-window), runs interleaved, median. The map is the X server's MapNotify of a top-level
// window whose _NET_WM_PID is the child's. Each start has a fresh HOME, XDG folders and
// runtime folder, and SR_NONINTERACTIVE=1. Also prints the CPU the child used until then and
// the shared libraries it had loaded (/proc/<pid>/maps).
//
//   bench_startup [ROUNDS]       run the benchmark (default 7) on DISPLAY, else on an Xvfb of its own
//   bench_startup --plain-window show a QMainWindow until killed

#include "XcbConnection.h"
#include "bench_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <csignal>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {
const int kDefaultRounds = 7;
const int kMapTimeoutMs = 30000;

using Clock = std::chrono::steady_clock;

struct Start {
    bool ok = false;
    double ms = 0;
    double cpuS = 0;
    int libraries = 0;
};

// Distinct shared objects mapped by `pid`.
int librariesOf(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return 0;
    QSet<QByteArray> paths;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash >= 0 && line.indexOf(".so", slash) > 0)
            paths.insert(line.mid(slash));
    }
    return paths.size();
}

// User plus system CPU seconds of `pid` so far.
double cpuOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold blanks): state is field 3, utime 14, stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

class MapWatch {
public:
    MapWatch()
    {
        if (!m_x.isOpen())
            return;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x.get(), m_x.root(), XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        auto atom = m_x.reply(xcb_intern_atom_reply, xcb_intern_atom(m_x.get(), 0, sizeof(name) - 1, name));
        m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        xcb_flush(m_x.get());
    }
    bool ok() const { return m_pidAtom != XCB_ATOM_NONE; }

    // Waits until a top-level window of `pid` is mapped; false on time-out.
    bool waitForMap(qint64 pid, int timeoutMs)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(m_x.get()));
            if (!event) {
                pollfd fd{xcb_get_file_descriptor(m_x.get()), POLLIN, 0};
                poll(&fd, 1, 100);
                continue;
            }
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (map->event == m_x.root() && !map->override_redirect && pidOf(map->window) == pid)
                return true;
        }
        return false;
    }

private:
    qint64 pidOf(xcb_window_t window) const
    {
        auto reply = m_x.reply(xcb_get_property_reply,
                               xcb_get_property(m_x.get(), 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1));
        if (!reply || xcb_get_property_value_length(reply.get()) != 4)
            return -1;
        return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    }

    XcbConnection m_x;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

// Ends the processes the child left running with `folder` on their command line (the task
// daemon it starts on its private runtime folder).
void endLeftovers(const QString& folder)
{
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (number && pid != getpid() && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(needle))
            kill(pid, SIGKILL);
    }
}

Start startOnce(MapWatch& watch, const QString& program, const QStringList& args)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = home.path() + QLatin1Char('/') + QLatin1String(var);
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QLatin1String(var), dir);
    }
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    Start start;
    const auto begin = Clock::now();
    process.start(program, args);
    if (process.waitForStarted(kMapTimeoutMs) && watch.waitForMap(process.processId(), kMapTimeoutMs)) {
        start.ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        start.cpuS = cpuOf(process.processId());
        start.libraries = librariesOf(process.processId());
        start.ok = true;
    }
    process.kill();
    process.waitForFinished(10000);
    endLeftovers(home.path());
    return start;
}

int plainWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    return app.exec();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--plain-window")
        return plainWindow(argc, argv);
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRounds;

    std::unique_ptr<XvfbScreen> screen;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        screen.reset(new XvfbScreen(1920, 1080));
        if (screen->display().isEmpty()) {
            fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        qputenv("DISPLAY", screen->display().toLatin1());
    }
    MapWatch watch;
    if (!watch.ok()) {
        fprintf(stderr, "no X display\n");
        return 1;
    }

    const QString ours = QCoreApplication::applicationDirPath() + QStringLiteral("/ScreenRecorder");
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> ms[2], cpu[2];
    int libraries[2] = {0, 0};
    // The first start of each warms the file cache and is not counted.
    for (int round = -1; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            const Start start = which == 0 ? startOnce(watch, ours, {}) : startOnce(watch, self, {"--plain-window"});
            if (!start.ok) {
                fprintf(stderr, "%s: no main window within %d ms\n", which == 0 ? "ScreenRecorder" : "plain window",
                        kMapTimeoutMs);
                return 1;
            }
            if (round < 0)
                continue;
            ms[which].push_back(start.ms);
            cpu[which].push_back(start.cpuS);
            libraries[which] = start.libraries;
        }
    }
    printf("%-18s %12s %14s %12s   (median of %d)\n", "", "exec-to-map", "CPU until map", "libraries", rounds);
    const char* names[2] = {"ScreenRecorder", "plain QMainWindow"};
    for (int which = 0; which < 2; ++which)
        printf("%-18s %9.1f ms %12.3f s %12d\n", names[which], median(ms[which]), median(cpu[which]), libraries[which]);
    printf("ratio %.2fx\n", median(ms[0]) / median(ms[1]));
    return 0;
}
