// Start-up figures of the main window: building the framework main window (engine start,
// device lists, form, region box facade) until it is shown, its shutdown, and one read of
// the window list of the display. Runs in a temporary HOME so that no user setting is
// touched; on the display named by DISPLAY, else offscreen (without the window list).
// Usage: bench_main_window [rounds]

#include "app/MainEntry.h"
#include "app/MainWindowBase.h"
#include "core/WindowListManger.h"

#include <QApplication>
#include <QFile>
#include <QWindow>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
void printFigures(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    printf("%-28s median %8.2f ms   min %8.2f ms   max %8.2f ms   mean %8.2f ms\n", what, ms[ms.size() / 2],
           ms.front(), ms.back(), sum / ms.size());
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, QFile::encodeName(home.path() + QLatin1Char('/') + QString::fromLatin1(var)));
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    std::vector<double> create, shown, destroy, windows;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        MainWindowBase* window = MainEntry::createMainWindow();
        create.push_back(t.nsecsElapsed() / 1e6);
        while (!window->windowHandle() || !window->windowHandle()->isExposed()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        shown.push_back(t.nsecsElapsed() / 1e6);
        if (display) {
            QElapsedTimer w;
            w.start();
            WindowListManger::instance()->refreshWindowList();
            windows.push_back(w.nsecsElapsed() / 1e6);
        }
        t.restart();
        MainEntry::destroyMainWindow(window);
        destroy.push_back(t.nsecsElapsed() / 1e6);
    }
    printf("main window, %d rounds, %s\n", rounds, display ? "X display" : "offscreen");
    printFigures("create (until show)", create);
    printFigures("create until exposed", shown);
    printFigures("shutdown", destroy);
    if (!windows.empty())
        printFigures("window list read", windows);
    return 0;
}
