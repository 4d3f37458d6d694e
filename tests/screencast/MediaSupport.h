#pragma once
// Shared by the engine's media tests: reading a written file back with FFmpeg, waiting
// for engine reports, and a callback object that counts every report.

#include "ScAudioRecording.h"
#include "ScPlayer.h"
#include "SoundTone.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace MediaTest {

// What a file holds, found by decoding all of it.
struct Probe {
    bool opened = false;
    QString format;          // the demuxer's name
    QStringList codecs;      // codec names in stream order
    double duration = 0;     // container duration, seconds
    int videoFrames = 0;     // decoded pictures
    int decodeErrors = 0;
    double peak = 0;         // largest absolute sample of float/s16/s32 sound, 0..1
};

inline void measurePeak(const AVFrame* frame, double& peak)
{
    for (int i = 0; i < frame->nb_samples; ++i)
        peak = std::max(peak, SrTest::sampleLevel(frame, i));
}

inline Probe probe(const QString& path)
{
    Probe result;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return result;
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        avformat_close_input(&fmt);
        return result;
    }
    result.opened = true;
    result.format = QString::fromLatin1(fmt->iformat->name);
    result.duration = fmt->duration > 0 ? double(fmt->duration) / AV_TIME_BASE : 0;
    std::vector<AVCodecContext*> decoders(fmt->nb_streams, nullptr);
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVCodecParameters* par = fmt->streams[i]->codecpar;
        result.codecs << QString::fromLatin1(avcodec_get_name(par->codec_id));
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (ctx && avcodec_parameters_to_context(ctx, par) >= 0 && avcodec_open2(ctx, codec, nullptr) >= 0)
            decoders[i] = ctx;
        else
            avcodec_free_context(&ctx);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&](AVCodecContext* ctx) {
        while (avcodec_receive_frame(ctx, frame) >= 0) {
            if (ctx->codec_type == AVMEDIA_TYPE_VIDEO)
                ++result.videoFrames;
            else
                measurePeak(frame, result.peak);
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(fmt, packet) >= 0) {
        AVCodecContext* ctx = decoders[packet->stream_index];
        if (ctx) {
            if (avcodec_send_packet(ctx, packet) < 0)
                ++result.decodeErrors;
            drain(ctx);
        }
        av_packet_unref(packet);
    }
    for (AVCodecContext*& ctx : decoders) {
        if (!ctx)
            continue;
        avcodec_send_packet(ctx, nullptr);
        drain(ctx);
        avcodec_free_context(&ctx);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&fmt);
    return result;
}

// Counts every engine report; safe to call from engine threads.
class Reports : public CAVPlayerCallback, public CAVPlayerExportCallback, public CAudioConvertCallback {
public:
    void OnStatueChanged(AVPlayerItemStatus s) override
    {
        status = int(s);
        ++statusReports;
    }
    void OnTrimCancel() override { ++trimCancels; }
    void OnTrimOK(double b, double e) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        trims.push_back({b, e});
    }
    void OnExportCompleted(signed char ok) override
    {
        lastOk = ok;
        ++completions;
    }
    void OnComplete(int code) override
    {
        lastCode = code;
        ++completions;
    }
    std::atomic<int> status{0};
    std::atomic<int> statusReports{0};
    std::atomic<int> trimCancels{0};
    std::atomic<int> completions{0};
    std::atomic<int> lastOk{-1};
    std::atomic<int> lastCode{-1};
    std::mutex mutex;
    std::vector<std::pair<double, double>> trims;
};

// Waits for a player's status report; returns the status (0 when none came).
inline int waitStatus(Reports& reports, int timeoutMs = 20000)
{
    SrTest::spinUntil([&] { return reports.statusReports > 0; }, timeoutMs);
    return reports.status;
}

} // namespace MediaTest
