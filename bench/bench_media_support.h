#pragma once
// Shared by the media benchmarks: runs the ffmpeg command with an argument list, measures
// what a child ffmpeg costs, and counts a file's frames.

#include <QDir>
#include <QRegularExpression>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/resource.h>

// Runs "ffmpeg -y -v error <args>" and waits; true on exit code 0.
inline bool runFfmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error"} + args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The folder a benchmark works in: the first argument when given, else `temp`'s folder.
inline QString benchFolder(int argc, char** argv, const QTemporaryDir& temp)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(dir);
    return dir;
}

// User plus system CPU seconds of a usage record.
inline double cpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

// Video frames in the file, as ffprobe counts its packets.
inline int framesIn(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                                            "stream=nb_read_packets", "-of", "csv=p=0", path});
    probe.waitForFinished(60000);
    return probe.readAllStandardOutput().trimmed().toInt();
}

// The last value of a counter ("drop", "dup") in ffmpeg's progress lines; 0 when ffmpeg never
// showed it (it shows one only once it is not 0).
inline int ffmpegCounter(const QString& log, const char* name)
{
    const QRegularExpressionMatch last
        = QRegularExpression(QStringLiteral(".*%1=\\s*(\\d+)").arg(QLatin1String(name)),
                             QRegularExpression::DotMatchesEverythingOption)
              .match(log);
    return last.hasMatch() ? last.captured(1).toInt() : 0;
}

// What one run of "ffmpeg <args>" cost: its CPU seconds and peak memory (from the children's
// usage once it is reaped; run it before any other child) and the frames it dropped.
struct FfmpegCost {
    double cpu = 0;
    int dropped = 0;
    long maxRssKb = 0;
};
inline FfmpegCost measureFfmpeg(const QStringList& args, int timeoutMs)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    ffmpeg.waitForFinished(timeoutMs);
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    FfmpegCost cost;
    cost.cpu = cpuSeconds(after) - cpuSeconds(before);
    cost.dropped = ffmpegCounter(QString::fromLocal8Bit(ffmpeg.readAll()), "drop");
    cost.maxRssKb = after.ru_maxrss;
    return cost;
}
