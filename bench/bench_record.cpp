// Recording benchmark: 10 s of a 1920x1080 screen with moving content at 30 fps in H.264,
// recorded by our engine and by the ffmpeg command (x11grab, same encoder settings), one
// after the other in the same run. Prints CPU seconds per recorded second, frames written,
// frames dropped and peak memory of each.
//
//   bench_record                        run the benchmark on the display named by DISPLAY
//   bench_record --record PATH SECONDS  record the whole screen into PATH (used by the
//                                       benchmark and by the tests that kill a recording)
//   bench_record --animate              show moving content full-screen until killed

#include "bench_animation.h"
#include "bench_media_support.h"
#include "ScEngine.h"
#include "ScRecorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

namespace {
const int kSeconds = 10;
const int kFrameRate = 30;

// Records the whole screen; prints "cpu <s> written <n> dropped <n> maxrss_kb <n> duration <s>".
int record(const char* path, double seconds)
{
    scInitialize();
    ScVideoOptions video;
    video.rect = CRect(0, 0, 1920, 1080);
    video.frameRate = kFrameRate;
    video.codec = VC_H264;
    video.quality = CQ_Medium;
    video.container = OVFT_MP4;
    video.drawCursor = true;
    ScMouseOptions mouse;
    ScAudioOptions audio;
    CBasePtr<CScreenRecorderObject> recorder = scVideoRecord(nullptr, video, mouse, audio, path);
    if (!recorder || !recorder->Start()) {
        fprintf(stderr, "recording could not start\n");
        return 1;
    }
    printf("recording\n");
    fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(int(seconds * 1000)));
    const bool ok = recorder->Stop();
    const double duration = recorder->GetDuration();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    printf("cpu %.3f written %lld dropped %lld maxrss_kb %ld duration %.3f\n", cpuSeconds(usage),
           static_cast<long long>(recorder->GetWrittenFrames()), static_cast<long long>(recorder->GetDroppedFrames()),
           usage.ru_maxrss, duration);
    return ok ? 0 : 1;
}

int benchmark(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir folder;
    QProcess animation;
    animation.start(self, {"--animate"});
    animation.waitForStarted();
    std::this_thread::sleep_for(std::chrono::seconds(2));

    // The ffmpeg command first: its figures come from the children's usage once it is reaped.
    const QString ffmpegOut = folder.path() + "/ffmpeg.mp4";
    const FfmpegCost ffmpegCost = measureFfmpeg(
                 {"-y", "-hide_banner", "-f", "x11grab", "-framerate", QString::number(kFrameRate), "-video_size",
                  "1920x1080", "-draw_mouse", "1", "-i", QString::fromLocal8Bit(qgetenv("DISPLAY")), "-t",
                  QString::number(kSeconds), "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-crf", "23", "-g",
                  QString::number(kFrameRate), "-pix_fmt", "yuv420p", "-movflags",
                  "+frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "250000", ffmpegOut}, 120000);
    const int ffmpegDropped = ffmpegCost.dropped;
    const double ffmpegCpu = ffmpegCost.cpu;
    const int ffmpegFrames = framesIn(ffmpegOut);
    const long ffmpegRss = ffmpegCost.maxRssKb;

    // Our engine, in a child of its own.
    const QString ourOut = folder.path() + "/engine.mp4";
    QProcess ours;
    ours.start(self, {"--record", ourOut, QString::number(kSeconds)});
    ours.waitForFinished(120000);
    const QString ourLine = QString::fromLocal8Bit(ours.readAllStandardOutput()).trimmed().split('\n').last();
    const QStringList f = ourLine.split(' ');
    animation.kill();
    animation.waitForFinished();
    if (f.size() < 10) {
        fprintf(stderr, "engine recording failed: %s %s\n", qPrintable(ourLine), ours.readAllStandardError().constData());
        return 1;
    }
    const double ourCpu = f[1].toDouble();
    const double ourSeconds = f[9].toDouble();

    printf("recording 1920x1080, %d fps, H.264 (libx264 veryfast zerolatency crf 23), %d s of moving content\n", kFrameRate, kSeconds);
    printf("%-8s %14s %8s %8s %12s\n", "", "cpu s / rec s", "written", "dropped", "peak MB");
    printf("%-8s %14.3f %8d %8d %12.1f\n", "ffmpeg", ffmpegCpu / kSeconds, ffmpegFrames, ffmpegDropped,
           ffmpegRss / 1024.0);
    printf("%-8s %14.3f %8d %8lld %12.1f\n", "engine", ourCpu / ourSeconds, framesIn(ourOut), f[5].toLongLong(),
           f[7].toLong() / 1024.0);
    printf("engine / ffmpeg cpu ratio: %.2f\n", (ourCpu / ourSeconds) / (ffmpegCpu / kSeconds));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--record")
        return record(argv[2], atof(argv[3]));
    if (argc >= 2 && QByteArray(argv[1]) == "--animate")
        return animate(argc, argv);
    return benchmark(argc, argv);
}
