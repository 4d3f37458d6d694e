// Hot-key figures on the display named by DISPLAY: the time from starting "xdotool key --delay 0" on
// the default start/stop chord to the signal hub's hotKeyPressed, and beside it, as anchors,
// the time the same xdotool run takes to exit and the time "xdotool sleep 0" (its start-up
// and connection alone) takes: the press itself reaches the hub in about the difference.
// The chord is bound through the user-defaults store in a temporary folder, so that no user
// setting is touched. Usage: bench_hotkey [rounds]

#include "core/SignalsTransfer.h"
#include "hotkeys/MASShortcut.h"
#include "hotkeys/MASShortcutUserDefaultsHotKey.h"
#include "hotkeys/testMASShotcutPriv.h"

#include "OvUserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
const int kDefaultRounds = 30;
const int kWaitMs = 5000;
const int kPauseMs = 50;

void printFigures(const char* what, std::vector<double> ms)
{
    if (ms.empty()) {
        printf("%-44s no figures\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    printf("%-44s median %6.2f ms  min %6.2f  max %6.2f  (%zu rounds)\n", what, ms[ms.size() / 2], ms.front(),
           ms.back(), ms.size());
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRounds;
    QTemporaryDir folder;
    OvUserDefaults::instance()->setFileName(folder.filePath("UserDefaults.ini"));
    OvUserDefaults::instance()->setValue(MASShortcut::userDefaultsKey(RP_HK_START),
                                         MASShortcut::defaultShortcut(RP_HK_START).data());
    testMASShotcutPriv rows;
    rows.add(nullptr, RP_HK_START);
    if (MASShortcutUserDefaultsHotKey::binding("keysStop")->status()
        != MASShortcutUserDefaultsHotKey::Status::Installed) {
        fprintf(stderr, "bench_hotkey: the start/stop chord could not be grabbed on this display\n");
        return 1;
    }

    int presses = 0;
    QObject::connect(SignalsTransfer::instance(), &SignalsTransfer::hotKeyPressed, [&](int) { ++presses; });
    std::vector<double> toSignal, toExit, startUp;
    for (int i = 0; i < rounds; ++i) {
        const int before = presses;
        QProcess xdotool;
        QElapsedTimer timer;
        timer.start();
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), QStringLiteral("ctrl+super+s")});
        double signalled = -1;
        double exited = -1;
        while (timer.elapsed() < kWaitMs && (signalled < 0 || exited < 0)) {
            app.processEvents(QEventLoop::AllEvents, 1);
            if (signalled < 0 && presses > before)
                signalled = timer.nsecsElapsed() / 1e6;
            if (exited < 0 && xdotool.state() == QProcess::NotRunning)
                exited = timer.nsecsElapsed() / 1e6;
        }
        if (signalled < 0 || exited < 0) {
            fprintf(stderr, "bench_hotkey: round %d timed out (xdotool: %s)\n", i + 1,
                    qPrintable(xdotool.errorString()));
            return 1;
        }
        toSignal.push_back(signalled);
        toExit.push_back(exited);
        QElapsedTimer idle;
        idle.start();
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("sleep"), QStringLiteral("0")});
        startUp.push_back(idle.nsecsElapsed() / 1e6);
        QThread::msleep(kPauseMs);
    }
    printFigures("xdotool key -> hotKeyPressed", toSignal);
    printFigures("xdotool key -> xdotool exit (anchor)", toExit);
    printFigures("xdotool sleep 0, start to exit (anchor)", startUp);
    return 0;
}
