// Camera recording benchmark: 30 s of the synthetic 1280x720 camera at 30 fps in H.264,
// recorded by our engine and by the ffmpeg command reading the same generated picture
// (delivered packed 4:2:2 at its pace, as the engine's synthetic camera delivers it) with the
// same encoder settings, one after the other in the same run. Prints CPU seconds per recorded
// second, pictures written and dropped, and peak memory of each.
//
//   bench_camera                        run the benchmark
//   bench_camera --record PATH SECONDS  record the synthetic camera into PATH (the engine's run)

#include "ScCamera.h"
#include "bench_media_support.h"
#include "ScEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

namespace {
const int kSeconds = 30;
const int kFrameRate = 30;
// The synthetic camera's standard picture, and how it reaches the decoder.
const char* const kSource = "testsrc2=size=1280x720:rate=30";
const char* const kAsACamera = ",format=yuyv422,realtime";

class Ends : public CCameraCallback {
public:
    void OnRecordError(int code) override { error = code; }
    void OnRecordFinished(bool failed) override { result = failed ? 1 : 0; }
    std::atomic<int> error{0};
    std::atomic<int> result{-1};
};

// Records the synthetic camera; prints "cpu <s> dropped <n> maxrss_kb <n> duration <s>".
int record(const char* path, double seconds)
{
    scInitialize();
    scSetSyntheticCamera(kSource);
    Ends ends;
    CBasePtr<CCameraObject> camera = scOpenCamera(&ends, SC_SYNTHETIC_CAMERA_NAME, nullptr);
    if (!camera || !camera->StartRecord(path, nullptr)) {
        fprintf(stderr, "camera recording could not start\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(int(seconds * 1000)));
    camera->StopRecord();
    while (ends.result < 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    printf("cpu %.3f dropped %lld maxrss_kb %ld duration %.3f\n", cpuSeconds(usage),
           static_cast<long long>(camera->GetDroppedFrames()), usage.ru_maxrss, camera->GetRecordDuration());
    return ends.result == 0 && ends.error == 0 ? 0 : 1;
}

int benchmark(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;

    // The ffmpeg command first: its figures come from the children's usage once it is reaped.
    const QString ffmpegOut = folder.path() + "/ffmpeg.mp4";
    const FfmpegCost ffmpegCost = measureFfmpeg(
                 {"-y", "-hide_banner", "-f", "lavfi", "-i", QString::fromLatin1(kSource) + QLatin1String(kAsACamera), "-t",
                  QString::number(kSeconds), "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-crf", "23",
                  "-g", QString::number(kFrameRate), "-pix_fmt", "yuv420p", "-movflags",
                  "+frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "250000", ffmpegOut}, kSeconds * 4000);
    const int ffmpegDropped = ffmpegCost.dropped;
    const double ffmpegCpu = ffmpegCost.cpu;

    // Our engine, in a child of its own.
    const QString ourOut = folder.path() + "/engine.mov";
    QProcess ours;
    ours.start(QCoreApplication::applicationFilePath(), {"--record", ourOut, QString::number(kSeconds)});
    ours.waitForFinished(kSeconds * 4000);
    const QString ourLine = QString::fromLocal8Bit(ours.readAllStandardOutput()).trimmed().split('\n').last();
    const QStringList f = ourLine.split(' ');
    if (ours.exitCode() != 0 || f.size() < 8) {
        fprintf(stderr, "engine recording failed: %s %s\n", qPrintable(ourLine), ours.readAllStandardError().constData());
        return 1;
    }
    const double ourCpu = f[1].toDouble();
    const double ourSeconds = f[7].toDouble();

    printf("camera 1280x720, %d fps, H.264 (libx264 veryfast zerolatency crf 23), %d s of the synthetic camera\n",
           kFrameRate, kSeconds);
    printf("%-8s %14s %8s %8s %12s\n", "", "cpu s / rec s", "written", "dropped", "peak MB");
    printf("%-8s %14.3f %8d %8d %12.1f\n", "ffmpeg", ffmpegCpu / kSeconds, framesIn(ffmpegOut), ffmpegDropped,
           ffmpegCost.maxRssKb / 1024.0);
    printf("%-8s %14.3f %8d %8lld %12.1f\n", "engine", ourCpu / ourSeconds, framesIn(ourOut), f[3].toLongLong(),
           f[5].toLong() / 1024.0);
    printf("engine / ffmpeg cpu ratio: %.2f (goal <= 1.10)\n", (ourCpu / ourSeconds) / (ffmpegCpu / kSeconds));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--record")
        return record(argv[2], atof(argv[3]));
    return benchmark(argc, argv);
}
