// GIF finishing benchmark: the finisher turns a recording's intermediate into a GIF, next to the
// two ffmpeg palette commands (palettegen, then paletteuse with the same dithering) on the same
// file. The intermediate is made like the recorder's (x264 veryfast, zerolatency, CRF 16) from
// moving content (testsrc2). Runs alternate, the median of the rounds is printed, with the
// ratio (goal: at most 0.5).
//
//   bench_gif [SECONDS [ROUNDS [FPS]]]   default 20 s at 1920x1080, 3 rounds, 30 fps

#include "bench_media_support.h"
#include "bench_support.h"
#include "recorder/Finisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
const int kColours = 256;
const double kGoal = 0.5;
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const int fps = argc > 3 ? std::max(1, atoi(argv[3])) : 30;
    QTemporaryDir temp;
    const QString intermediate = temp.filePath(QStringLiteral("recording.mkv"));
    if (!runFfmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=1920x1080:rate=%1:duration=%2").arg(fps).arg(seconds),
                    "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-crf", "16", "-pix_fmt", "yuv420p",
                    intermediate})) {
        fprintf(stderr, "the intermediate could not be made\n");
        return 1;
    }
    const QString ours = temp.filePath(QStringLiteral("ours.gif"));
    const QString palette = temp.filePath(QStringLiteral("palette.png"));
    const QString theirs = temp.filePath(QStringLiteral("ffmpeg.gif"));
    std::vector<double> oursS, ffmpegS;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (!recorder::Finisher::toGif(intermediate.toStdString(), ours.toStdString(), kColours)) {
            fprintf(stderr, "the finisher failed\n");
            return 1;
        }
        oursS.push_back(timer.nsecsElapsed() / 1e9);
        timer.restart();
        const bool ok = runFfmpeg({"-i", intermediate, "-vf", QStringLiteral("palettegen=max_colors=%1:stats_mode=full").arg(kColours), palette})
            && runFfmpeg({"-i", intermediate, "-i", palette, "-lavfi", "[0:v][1:v]paletteuse=dither=sierra2_4a", theirs});
        if (!ok) {
            fprintf(stderr, "the ffmpeg commands failed\n");
            return 1;
        }
        ffmpegS.push_back(timer.nsecsElapsed() / 1e9);
    }
    printf("%d s of 1920x1080 at %d fps to GIF (%d colours), median of %d\n", seconds, fps, kColours, rounds);
    printf("finisher          %7.2f s   %6.1f MB\n", median(oursS), QFileInfo(ours).size() / 1e6);
    printf("ffmpeg commands   %7.2f s   %6.1f MB\n", median(ffmpegS), QFileInfo(theirs).size() / 1e6);
    const double ratio = median(oursS) / median(ffmpegS);
    printf("ratio %.2fx (goal at most %.1fx): %s\n", ratio, kGoal, ratio <= kGoal ? "met" : "not met");
    return 0;
}
