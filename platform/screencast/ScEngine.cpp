#include "ScEngine.h"

#include "Log.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {
std::mutex g_logMutex;
FILE* g_logFile = nullptr;
std::string g_logPath;
std::once_flag g_registerOnce;

void ffmpegLog(void* avcl, int level, const char* fmt, va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line(avcl, level, fmt, args, line, sizeof line, &prefix);
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_logFile) {
        fputs(line, g_logFile);
        fflush(g_logFile);
    }
}

void registerDevices()
{
    std::call_once(g_registerOnce, [] { avdevice_register_all(); });
}

// Length of a stream in seconds, by reading its packets (GIFs and some raw streams carry none).
double scanDuration(AVFormatContext* fmt, int streamIndex)
{
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return 0;
    const AVRational tb = fmt->streams[streamIndex]->time_base;
    int64_t lastEnd = 0;
    int64_t first = AV_NOPTS_VALUE;
    while (av_read_frame(fmt, packet) >= 0) {
        if (packet->stream_index == streamIndex && packet->pts != AV_NOPTS_VALUE) {
            if (first == AV_NOPTS_VALUE || packet->pts < first)
                first = packet->pts;
            lastEnd = std::max<int64_t>(lastEnd, packet->pts + std::max<int64_t>(packet->duration, 0));
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (first == AV_NOPTS_VALUE)
        return 0;
    return double(lastEnd - first) * av_q2d(tb);
}
} // namespace

int scInitialize()
{
    registerDevices();
    av_log_set_callback(ffmpegLog);
    Log("Screencast", 1, "engine initialised (libavformat %s)", LIBAVFORMAT_IDENT);
    return 0;
}

void scUninitialize()
{
    Log("Screencast", 1, "engine uninitialised");
}

void scSetLogFile(const char* path)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_logFile)
        fclose(g_logFile);
    g_logFile = path && *path ? OpenLogFile(path) : nullptr;
    g_logPath = g_logFile ? path : "";
}

const char* scGetLogFile()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_logPath.c_str();
}

bool scGetMediaInfo(const char* path, double* durationSeconds, int* width, int* height)
{
    if (durationSeconds)
        *durationSeconds = 0;
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    if (!path || !*path)
        return false;

    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path, nullptr, nullptr) < 0)
        return false;
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        avformat_close_input(&fmt);
        return false;
    }
    const int video = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0 && audio < 0) {
        avformat_close_input(&fmt);
        return false;
    }
    if (video >= 0) {
        const AVCodecParameters* par = fmt->streams[video]->codecpar;
        if (width)
            *width = par->width;
        if (height)
            *height = par->height;
    }

    double seconds = 0;
    if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        seconds = double(fmt->duration) / AV_TIME_BASE;
    if (seconds <= 0) {
        const int index = video >= 0 ? video : audio;
        const AVStream* stream = fmt->streams[index];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            seconds = double(stream->duration) * av_q2d(stream->time_base);
        else
            seconds = scanDuration(fmt, index);
    }
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (durationSeconds)
        *durationSeconds = seconds;
    avformat_close_input(&fmt);
    return true;
}

int scGetSupportCodecs(OutputVideoFileType container, int* codecs, int maxCount)
{
    struct Candidate {
        VideoCodec codec;
        const char* encoder;
        AVCodecID id;
    };
    static const Candidate candidates[] = {
        {VC_H264, "libx264", AV_CODEC_ID_H264},
        {VC_HEVC, "libx265", AV_CODEC_ID_HEVC},
        {VC_ProRes422, "prores_ks", AV_CODEC_ID_PRORES},
        {VC_ProRes4444, "prores_ks", AV_CODEC_ID_PRORES},
        {VC_GIF, "gif", AV_CODEC_ID_GIF},
    };
    const char* muxerName = "mp4";
    switch (container) {
    case OVFT_MOV: muxerName = "mov"; break;
    case OVFT_M4V: muxerName = "ipod"; break;
    case OVFT_GIF: muxerName = "gif"; break;
    default: break;
    }
    const AVOutputFormat* muxer = av_guess_format(muxerName, nullptr, nullptr);
    int count = 0;
    for (const Candidate& c : candidates) {
        if (!muxer || !avcodec_find_encoder_by_name(c.encoder))
            continue;
        // ProRes is written to QuickTime only; M4V takes H.264 and HEVC like MP4 does.
        bool fits = avformat_query_codec(muxer, c.id, FF_COMPLIANCE_NORMAL) == 1;
        if (container == OVFT_M4V)
            fits = c.codec == VC_H264 || c.codec == VC_HEVC;
        if (container == OVFT_MP4 && (c.codec == VC_ProRes422 || c.codec == VC_ProRes4444))
            fits = false;
        if (container != OVFT_GIF && c.codec == VC_GIF)
            fits = false;
        if (!fits)
            continue;
        if (codecs && count < maxCount)
            codecs[count] = c.codec;
        ++count;
    }
    return count;
}
