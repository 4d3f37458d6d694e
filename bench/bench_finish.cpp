// Finishing benchmark: how long the GUI thread stays away from its event loop while a stopped
// recording's file is finished (the remux of an MP4, the two palette passes of a GIF). Records
// the whole 1920x1080 screen with moving content through the recorder facade, 60 s as MP4 and
// 20 s as GIF, stops, and lets a 10 ms timer tick on the GUI thread until the signal hub
// reports the end. Prints the longest gap between two ticks (goal: under 100 ms) and the
// finishing time. Runs in a temporary HOME so that no user setting is touched; needs the
// display named by DISPLAY.
//
//   bench_finish [MP4_SECONDS GIF_SECONDS]   run the benchmark (default 60 and 20)
//   bench_finish --animate                   show moving content full-screen until killed

#include "bench_animation.h"
#include "bench_support.h"
#include "ScEngine.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>

namespace {
const int kTickMs = 10;
const double kGoalMs = 100;

// Records `seconds` of the screen in `format`, stops and measures the finishing; prints one line.
bool measure(const char* name, RP_Format format, double seconds)
{
    RecordParameter* parameter = RecordParameter::instance();
    parameter->setVideoRect(QGuiApplication::primaryScreen()->geometry());
    parameter->setWindowRecord(false);
    parameter->setAroundMouse(false);
    parameter->setFollowMouse(false);
    parameter->setOnlyRecordAudio(false);
    parameter->setSystemAudioEnable(false);
    parameter->setMicrophoneEnable(false);
    parameter->setUsedVideoFmt(format);
    parameter->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_MEDIUM);
    ScreenRecorder* recorder = ScreenRecorder::instance();
    if (!recorder->recordVideo() || !recorder->start()) {
        fprintf(stderr, "%s: the recording did not start\n", name);
        return false;
    }
    runEvents(int(seconds * 1000));

    QElapsedTimer clock;
    QTimer ticker;
    ticker.setInterval(kTickMs);
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    QEventLoop loop;
    bool written = false;
    QObject::connect(SignalsTransfer::instance(), &SignalsTransfer::recordFinished, &loop, [&](bool ok) {
        written = ok;
        loop.quit();
    });
    ticker.start();
    clock.start();
    recorder->beginStop();
    loop.exec();
    const double finishing = clock.elapsed() / 1000.0;
    longestGap = std::max(longestGap, clock.elapsed() - lastTick);
    ticker.stop();
    written = recorder->waitStopped() && written;
    const QString file = recorder->outputPath();
    printf("%-6s %12.1f %13.2f %21lld %12.1f   %s\n", name, recorder->duration(), finishing,
           static_cast<long long>(longestGap), QFileInfo(file).size() / 1048576.0,
           longestGap < kGoalMs ? "met" : "MISSED");
    fflush(stdout);
    QFile::remove(file);
    return written;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "--animate")
        return animate(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        fprintf(stderr, "needs an X display (DISPLAY)\n");
        return 1;
    }
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, QFile::encodeName(home.path() + QLatin1Char('/') + QString::fromLatin1(var)));
    QApplication app(argc, argv);
    const double mp4Seconds = argc > 2 ? atof(argv[1]) : 60;
    const double gifSeconds = argc > 2 ? atof(argv[2]) : 20;
    if (scInitialize() != 0) {
        fprintf(stderr, "the engine did not start\n");
        return 1;
    }
    QProcess animation;
    animation.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--animate")});
    animation.waitForStarted();
    runEvents(2000);

    const QSize screen = QGuiApplication::primaryScreen()->size();
    printf("finishing a stopped recording of %dx%d at 30 fps (moving content), %d ms timer on the GUI thread\n",
           screen.width(), screen.height(), kTickMs);
    printf("%-6s %12s %13s %21s %12s   goal: gap < %.0f ms\n", "", "recorded s", "finishing s", "longest tick gap ms",
           "file MB", kGoalMs);
    const bool ok = measure("MP4", RP_FMT_MP4, mp4Seconds) && measure("GIF", RP_FMT_GIF, gifSeconds);

    animation.kill();
    animation.waitForFinished();
    ScreenRecorder::release();
    RecordParameter::release();
    SignalsTransfer::release();
    scUninitialize();
    return ok ? 0 : 1;
}
