// Recording benchmark: our engine, the ffmpeg command (x11grab) and a GStreamer pipeline
// (ximagesrc ! videoconvert ! x264enc) record moving content with the same x264 settings
// (veryfast, zerolatency, CRF 23, a key frame every second) at 1920x1080 30 fps, 1920x1080
// 60 fps and 3840x2160 30 fps, each on an Xvfb screen of that size started here. Runs are
// interleaved (engine, ffmpeg, GStreamer, again), the median of the rounds is printed: CPU
// seconds per recorded second, dropped frames and peak memory, with the ratios the engine
// aims at.
//
//   bench_record [SECONDS [ROUNDS [SIZE]]]
//                                       run the benchmark (default 8 s, 3 rounds; SIZE
//                                       1080p30, 1080p60 or 4K30 runs that one only)
//   bench_record --record PATH SECONDS [WIDTH HEIGHT FPS]
//                                       record the screen into PATH (used by the benchmark
//                                       and by the tests that kill a recording)
//   bench_record --animate              show moving content full-screen until killed
//
// CPU counts every child from start to exit (start-up and finishing included). Peak memory
// is the largest resident size seen while it runs. Dropped frames: the engine's own count,
// ffmpeg's "dup=" plus "drop=" (it repeats a frame where one was grabbed too late), and for
// GStreamer the frames missing from its file for its duration.
// x264enc takes CRF as pass=qual with quantizer=23. In that mode it also caps the rate at its
// "bitrate" (2048 kbit/s unless set), which ffmpeg and the engine do not: moving 1080p content
// then gets coarser quantisers and costs x264 far less. The cap is set to the property's
// largest value so that it never binds and the three encoders do the same work (the file's
// x264 option text says vbv_maxrate=2000000). CPU per written frame is printed as well, since
// a recorder that drops frames encodes fewer of them.

#include "bench_animation.h"
#include "bench_media_support.h"
#include "bench_support.h"
#include "ScEngine.h"
#include "ScRecorder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {
const int kDefaultSeconds = 8;
const int kDefaultRounds = 3;
const int kPollMs = 50;
const int kSettleMs = 2000; // the animation shows before the first recording

// Records the screen; prints "cpu <s> written <n> dropped <n> maxrss_kb <n> duration <s>".
int record(const char* path, double seconds, int width, int height, int frameRate)
{
    scInitialize();
    ScVideoOptions video;
    video.rect = CRect(0, 0, width, height);
    video.frameRate = frameRate;
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

struct Run {
    bool ok = false;
    double cpuPerSecond = 0;
    long dropped = 0;
    long written = 0; // frames in the file
    double cpuMsPerFrame = 0;
    double peakMb = 0;
};

// Runs one recorder to its end; `interruptAfterMs` >= 0 sends it SIGINT then. Fills CPU (all
// of the child's) and peak memory; the caller works out the rest from `output`.
Run runChild(const QString& program, const QStringList& args, const QString& display, int interruptAfterMs,
             QByteArray* output)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    child.start(program, args);
    Run run;
    if (!child.waitForStarted())
        return run;
    long peak = 0;
    bool interrupted = interruptAfterMs < 0;
    QElapsedTimer clock;
    clock.start();
    while (!child.waitForFinished(kPollMs)) {
        peak = std::max(peak, procStatusKb(child.processId(), "VmHWM"));
        output->append(child.readAll());
        if (!interrupted && clock.elapsed() >= interruptAfterMs) {
            ::kill(pid_t(child.processId()), SIGINT);
            interrupted = true;
        }
        if (clock.elapsed() > interruptAfterMs + 120000) {
            child.kill();
            child.waitForFinished();
            return run;
        }
    }
    output->append(child.readAll());
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    run.ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    run.cpuPerSecond = cpuSeconds(after) - cpuSeconds(before);
    run.peakMb = peak / 1024.0;
    return run;
}

double durationOf(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    probe.waitForFinished(60000);
    return probe.readAllStandardOutput().trimmed().toDouble();
}

struct Config {
    const char* name;
    int width;
    int height;
    int frameRate;
};

enum Recorder { Engine, Ffmpeg, Gstreamer, RecorderCount };
const char* const kRecorderNames[RecorderCount] = {"engine", "ffmpeg", "gstreamer"};

Run recordWith(Recorder recorder, const Config& config, const QString& display, int seconds, const QString& path)
{
    const QString size = QStringLiteral("%1x%2").arg(config.width).arg(config.height);
    const QString fps = QString::number(config.frameRate);
    QByteArray output;
    Run run;
    switch (recorder) {
    case Engine: {
        run = runChild(QCoreApplication::applicationFilePath(),
                       {"--record", path, QString::number(seconds), QString::number(config.width),
                        QString::number(config.height), fps},
                       display, -1, &output);
        const QStringList f = QString::fromLocal8Bit(output).trimmed().split('\n').last().split(' ');
        run.ok = run.ok && f.size() >= 10;
        if (run.ok)
            run.dropped = f[5].toLong();
        break;
    }
    case Ffmpeg: {
        run = runChild(QStringLiteral("ffmpeg"),
                       {"-y", "-hide_banner", "-f", "x11grab", "-framerate", fps, "-video_size", size, "-draw_mouse",
                        "1", "-i", display, "-t", QString::number(seconds), "-c:v", "libx264", "-preset", "veryfast",
                        "-tune", "zerolatency", "-crf", "23", "-g", fps, "-pix_fmt", "yuv420p", path},
                       display, -1, &output);
        // ffmpeg shows "dup=" and "drop=" in its progress line once it has had to: a frame
        // grabbed too late is made up by repeating the one before.
        const QString log = QString::fromLocal8Bit(output);
        run.dropped = ffmpegCounter(log, "dup") + ffmpegCounter(log, "drop");
        break;
    }
    case Gstreamer: {
        const QStringList pipeline = QStringLiteral(
            "-e ximagesrc display-name=%1 use-damage=false show-pointer=true ! video/x-raw,framerate=%2/1 "
            "! videoconvert ! video/x-raw,format=I420 ! x264enc speed-preset=veryfast tune=zerolatency pass=qual "
            "quantizer=23 bitrate=2048000 key-int-max=%2 ! mp4mux ! filesink")
                                         .arg(display, fps)
                                         .split(' ');
        run = runChild(QStringLiteral("gst-launch-1.0"), pipeline + QStringList{"location=" + path}, display,
                       seconds * 1000, &output);
        break;
    }
    default: break;
    }
    const double duration = durationOf(path);
    run.written = framesIn(path);
    if (recorder == Gstreamer) // the frames missing from its file for its duration
        run.dropped = std::max(0L, std::lround(duration * config.frameRate) - run.written);
    run.ok = run.ok && duration > 0;
    if (run.ok) {
        run.cpuMsPerFrame = run.written > 0 ? run.cpuPerSecond * 1000 / run.written : 0;
        run.cpuPerSecond /= duration;
    }
    else
        fprintf(stderr, "%s at %s failed: %s\n", kRecorderNames[recorder], config.name, output.right(400).constData());
    QFile::remove(path);
    return run;
}

int benchmark(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultSeconds;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : kDefaultRounds;
    QTemporaryDir folder;
    const Config configs[] = {{"1080p30", 1920, 1080, 30}, {"1080p60", 1920, 1080, 60}, {"4K30", 3840, 2160, 30}};
    printf("%d rounds of %d s each, interleaved, medians; x264 veryfast zerolatency CRF 23, key frame every second\n",
           rounds, seconds);
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    for (const Config& config : configs) {
        if (!only.isEmpty() && only != config.name)
            continue;
        XvfbScreen screen(config.width, config.height);
        if (screen.display().isEmpty()) {
            fprintf(stderr, "no Xvfb screen for %s\n", config.name);
            return 1;
        }
        QProcess animation;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), screen.display());
        animation.setProcessEnvironment(env);
        animation.start(QCoreApplication::applicationFilePath(), {"--animate"});
        animation.waitForStarted();
        QThread::msleep(kSettleMs);
        std::vector<double> cpu[RecorderCount];
        std::vector<long> dropped[RecorderCount];
        std::vector<long> written[RecorderCount];
        std::vector<double> peak[RecorderCount];
        std::vector<double> perFrame[RecorderCount];
        for (int round = 0; round < rounds; ++round) {
            for (int r = 0; r < RecorderCount; ++r) {
                const Run run = recordWith(Recorder(r), config, screen.display(), seconds,
                                           folder.filePath(QStringLiteral("%1.mp4").arg(kRecorderNames[r])));
                if (!run.ok)
                    continue;
                cpu[r].push_back(run.cpuPerSecond);
                dropped[r].push_back(run.dropped);
                written[r].push_back(run.written);
                peak[r].push_back(run.peakMb);
                perFrame[r].push_back(run.cpuMsPerFrame);
            }
        }
        animation.kill();
        animation.waitForFinished();
        printf("\n%s (%dx%d, %d fps)\n%-10s %14s %15s %8s %8s %9s\n", config.name, config.width,
               config.height, config.frameRate, "", "cpu s / rec s", "cpu ms / frame", "written", "dropped",
               "peak MB");
        double c[RecorderCount] = {};
        double m[RecorderCount] = {};
        for (int r = 0; r < RecorderCount; ++r) {
            c[r] = median(cpu[r]);
            m[r] = median(peak[r]);
            printf("%-10s %14.3f %15.1f %8ld %8ld %9.1f\n", kRecorderNames[r], c[r], median(perFrame[r]),
                   median(written[r]), median(dropped[r]), m[r]);
        }
        if (c[Ffmpeg] > 0 && c[Gstreamer] > 0)
            printf("engine / ffmpeg cpu %.2f, engine / gstreamer cpu %.2f, engine / ffmpeg peak memory %.2f\n",
                   c[Engine] / c[Ffmpeg], c[Engine] / c[Gstreamer], m[Engine] / m[Ffmpeg]);
        fflush(stdout);
    }
    printf("\ngoals: 1080p cpu at most 0.8x ffmpeg and 1.0x gstreamer; 4K30 0 dropped, cpu at most 1.0x gstreamer,"
           " peak memory at most 1.5x ffmpeg\n");
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--record") {
        if (argc >= 7)
            return record(argv[2], atof(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
        return record(argv[2], atof(argv[3]), 1920, 1080, 30);
    }
    if (argc >= 2 && QByteArray(argv[1]) == "--animate")
        return animate(argc, argv);
    return benchmark(argc, argv);
}
