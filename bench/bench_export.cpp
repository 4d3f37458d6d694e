// Trimmed export of a 60 s 1080p H.264 clip: the engine against the ffmpeg command with
// the same encoder settings (libx264 veryfast, CRF 20, yuv420p; AAC 192 kb/s).
// Usage: bench_export [work folder]   (default: a new folder under the temporary folder)

#include "Screencast.h"
#include "bench_media_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdio>

namespace {
const double kBegin = 5.0;
const double kEnd = 55.0;

struct Reports : CAVPlayerCallback, CAVPlayerExportCallback {
    std::atomic<int> status{0};
    std::atomic<int> done{0};
    std::atomic<int> ok{0};
    void OnStatueChanged(AVPlayerItemStatus s) override { status = s; }
    void OnTrimCancel() override {}
    void OnTrimOK(double, double) override {}
    void OnExportCompleted(signed char k) override
    {
        ok = k;
        done = 1;
    }
};


double ourExport(const QString& source, const QString& target)
{
    Reports reports;
    auto player = CreateAVPlayer(&reports, QFile::encodeName(source).constData(), nullptr);
    while (!reports.status)
        QThread::msleep(1);
    player->SetTrimBegin(kBegin);
    player->SetTrimEnd(kEnd);
    QElapsedTimer timer;
    timer.start();
    if (player->Export(QFile::encodeName(target).constData(), OVFT_MP4, &reports) != 0)
        return -1;
    while (!reports.done)
        QThread::msleep(1);
    return reports.ok ? timer.elapsed() / 1000.0 : -1;
}

double commandExport(const QString& source, const QString& target)
{
    QElapsedTimer timer;
    timer.start();
    const bool ok = runFfmpeg({"-ss", QString::number(kBegin), "-to", QString::number(kEnd), "-i", source, "-c:v",
                            "libx264", "-preset", "veryfast", "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a",
                            "192k", target});
    return ok ? timer.elapsed() / 1000.0 : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    scInitialize();
    QTemporaryDir temp;
    const QString dir = benchFolder(argc, argv, temp);
    const QString source = dir + QStringLiteral("/source-1080p.mp4");
    if (!QFile::exists(source)) {
        printf("making the 60 s 1080p H.264 source ...\n");
        if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=30:duration=60", "-f", "lavfi", "-i",
                     "sine=frequency=440:sample_rate=48000:duration=60", "-c:v", "libx264", "-preset", "veryfast",
                     "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", source})) {
            fprintf(stderr, "ffmpeg could not make the source\n");
            return 1;
        }
    }
    printf("trimmed export [%.0f s, %.0f s] of a 60 s 1080p H.264 clip to MP4\n", kBegin, kEnd);
    const int rounds = 2;
    double ours = 1e9, theirs = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const double a = ourExport(source, dir + QStringLiteral("/ours.mp4"));
        const double b = commandExport(source, dir + QStringLiteral("/ffmpeg.mp4"));
        if (a < 0 || b < 0) {
            fprintf(stderr, "an export failed\n");
            return 1;
        }
        printf("  round %d: engine %.2f s, ffmpeg command %.2f s\n", i + 1, a, b);
        ours = std::min(ours, a);
        theirs = std::min(theirs, b);
    }
    printf("best: engine %.2f s, ffmpeg command %.2f s, ratio %.2f (target <= 1.20)\n", ours, theirs, ours / theirs);
    return 0;
}
