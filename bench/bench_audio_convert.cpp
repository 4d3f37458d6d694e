// Conversion of a 60 s two-track recording (system sound 48 kHz stereo, microphone
// 44.1 kHz mono) into each audio format: the engine against the ffmpeg command with the
// same mix filter, encoder, sample format and bit rate (quality 3, 128 kb/s).
// Usage: bench_audio_convert [work folder]

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
struct Reports : CAudioConvertCallback {
    std::atomic<int> done{0};
    std::atomic<int> code{-1};
    void OnComplete(int c) override
    {
        code = c;
        done = 1;
    }
};

struct Format {
    OutputAudioFileType type;
    const char* extension;
    // What the engine uses at quality 3, spelled for the ffmpeg command.
    QStringList codec;
    const char* sampleFormat;
    int rate;
    const char* muxer;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    scInitialize();
    QTemporaryDir temp;
    const QString dir = benchFolder(argc, argv, temp);
    const QString system = dir + QStringLiteral("/system.wav");
    const QString mic = dir + QStringLiteral("/mic.m4a");
    if (!runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=60", "-ac", "2", system})
        || !runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=44100:duration=60", "-ac", "1", "-c:a", "aac",
                    mic})) {
        fprintf(stderr, "ffmpeg could not make the tracks\n");
        return 1;
    }
    const Format formats[] = {
        {OAFT_M4A, "m4a", {"-c:a", "aac", "-b:a", "128k"}, "fltp", 48000, "ipod"},
        {OAFT_CAF, "caf", {"-c:a", "alac"}, "s16p", 48000, "caf"},
        {OAFT_MP3, "mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, "fltp", 48000, "mp3"},
        {OAFT_OGG, "ogg", {"-c:a", "libvorbis", "-b:a", "128k"}, "fltp", 48000, "ogg"},
        {OAFT_OPUS, "opus", {"-c:a", "libopus", "-b:a", "128k"}, "s16", 48000, "opus"},
        {OAFT_FLAC, "flac", {"-c:a", "flac", "-compression_level", "5"}, "s16", 48000, "flac"},
        {OAFT_WMA, "wma", {"-c:a", "wmav2", "-b:a", "128k"}, "fltp", 48000, "asf"},
    };
    printf("conversion of a 60 s two-track recording, quality 3\n");
    printf("%-6s %10s %10s %7s\n", "format", "engine s", "ffmpeg s", "ratio");
    double worst = 0;
    for (const Format& f : formats) {
        double ours = 1e9, theirs = 1e9;
        for (int round = 0; round < 2; ++round) {
            scSetLastAudioRecording(QFile::encodeName(system).constData(), QFile::encodeName(mic).constData());
            Reports reports;
            const QString target = dir + QStringLiteral("/ours.") + QLatin1String(f.extension);
            QElapsedTimer timer;
            timer.start();
            auto converter = scAudioConvert(&reports, QFile::encodeName(target).constData(), f.type, CQ_Medium);
            while (!reports.done)
                QThread::msleep(1);
            if (reports.code != 0) {
                fprintf(stderr, "engine failed on %s\n", f.extension);
                return 1;
            }
            ours = std::min(ours, timer.elapsed() / 1000.0);
            converter.reset();

            const QString graph = QStringLiteral("[0:a]volume=volume=1.0:precision=float[m0];"
                                                 "[1:a]volume=volume=1.0:precision=float[m1];"
                                                 "[m0][m1]amix=inputs=2:duration=longest:normalize=0,"
                                                 "aformat=sample_fmts=%1:sample_rates=%2:channel_layouts=stereo")
                                      .arg(QLatin1String(f.sampleFormat))
                                      .arg(f.rate);
            timer.restart();
            if (!runFfmpeg(QStringList{"-i", system, "-i", mic, "-filter_complex", graph} + f.codec
                        + QStringList{"-f", f.muxer, dir + QStringLiteral("/ffmpeg.") + QLatin1String(f.extension)})) {
                fprintf(stderr, "ffmpeg failed on %s\n", f.extension);
                return 1;
            }
            theirs = std::min(theirs, timer.elapsed() / 1000.0);
        }
        printf("%-6s %10.3f %10.3f %7.2f\n", f.extension, ours, theirs, ours / theirs);
        worst = std::max(worst, ours / theirs);
    }
    printf("worst ratio %.2f (target <= 1.20)\n", worst);
    scSetLastAudioRecording(nullptr, nullptr);
    return 0;
}
