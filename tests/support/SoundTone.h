#pragma once
// A tone played into the test sound server's default sink (the null sink that
// scripts/with-services.sh --sound makes), and where a recorded file first holds sound: how
// the engine's and the application's tests check that sound playing before a recording
// starts is in the file from its first moment. A program that includes this links FFmpeg.

#include "TestEnv.h"
#include "WaitFor.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace SrTest {

// How soon a tone that played before the start must be heard in a recording: what the
// source delivers from the start is in the file, give or take a packet and the encoder's
// first frame.
const double kToneHeardWithin = 0.3;
// A level (0..1) the tone reaches and the silence of the null sink never does.
const double kToneLevel = 0.05;

// Plays a sine tone into the default sink for `seconds`.
inline void playTone(QProcess& player, double seconds)
{
    player.start(QStringLiteral("ffmpeg"), {"-v", "error", "-re", "-f", "lavfi", "-i",
                                            QStringLiteral("sine=frequency=880:duration=%1").arg(seconds), "-f",
                                            "pulse", "default"});
    player.waitForStarted();
}

// Waits until the tone is heard at the monitor of the default sink, as a capture of it
// (ffmpeg's) receives it: a player's stream plays only once the server has buffered what the
// player asked for, a while after the sink runs. The capture ends before this returns.
inline bool waitUntilToneFlows()
{
    QProcess capture;
    capture.start(QStringLiteral("ffmpeg"), {"-v", "error", "-f", "pulse", "-i", "@DEFAULT_MONITOR@", "-ac", "1", "-f",
                                             "s16le", "-"});
    if (!capture.waitForStarted(10000))
        return false;
    const int loud = int(kToneLevel * 32768);
    bool heard = false;
    QByteArray samples;
    spinUntil([&] {
        samples += capture.readAllStandardOutput();
        const int16_t* sample = reinterpret_cast<const int16_t*>(samples.constData());
        for (int i = 0; i < samples.size() / 2 && !heard; ++i)
            heard = std::abs(int(sample[i])) >= loud;
        samples = samples.right(samples.size() % 2);
        return heard || capture.state() == QProcess::NotRunning;
    });
    capture.kill();
    capture.waitForFinished();
    return heard;
}

// The largest absolute value (0..1) of float/s16/s32 sound among the channels of sample
// `i` of a decoded frame.
inline double sampleLevel(const AVFrame* frame, int i)
{
    const int channels = frame->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format));
    double level = 0;
    for (int c = 0; c < channels; ++c) {
        const uint8_t* plane = frame->data[planar ? c : 0];
        const int at = planar ? i : i * channels + c;
        double v = 0;
        switch (av_get_packed_sample_fmt(AVSampleFormat(frame->format))) {
        case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float*>(plane)[at]; break;
        case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const int16_t*>(plane)[at] / 32768.0; break;
        case AV_SAMPLE_FMT_S32: v = reinterpret_cast<const int32_t*>(plane)[at] / 2147483648.0; break;
        default: break;
        }
        level = std::max(level, std::abs(v));
    }
    return level;
}

// When the first sound stream of a file first reaches `level` (0..1), in seconds on the
// file's timeline; -1 when it never does (or the file cannot be read).
inline double firstSoundAt(const QString& path, double level)
{
    double found = -1;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return found;
    const int index = avformat_find_stream_info(fmt, nullptr) < 0
        ? -1
        : av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodec* codec = index < 0 ? nullptr : avcodec_find_decoder(fmt->streams[index]->codecpar->codec_id);
    AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!ctx || avcodec_parameters_to_context(ctx, fmt->streams[index]->codecpar) < 0
        || avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        avformat_close_input(&fmt);
        return found;
    }
    const AVRational timeBase = fmt->streams[index]->time_base;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto look = [&] {
        while (found < 0 && avcodec_receive_frame(ctx, frame) >= 0) {
            for (int i = 0; i < frame->nb_samples && found < 0; ++i)
                if (sampleLevel(frame, i) >= level)
                    found = double(frame->best_effort_timestamp) * av_q2d(timeBase) + double(i) / frame->sample_rate;
            av_frame_unref(frame);
        }
    };
    while (found < 0 && av_read_frame(fmt, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(ctx, packet) >= 0)
            look();
        av_packet_unref(packet);
    }
    if (found < 0 && avcodec_send_packet(ctx, nullptr) >= 0)
        look();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&ctx);
    avformat_close_input(&fmt);
    return found;
}

} // namespace SrTest
