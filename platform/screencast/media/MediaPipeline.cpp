#include "MediaPipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace media {

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof text);
    return text;
}

struct MediaPipeline::Stream {
    int index = -1;           // stream index in the file
    AVStream* stream = nullptr;
    AVCodecContext* decoder = nullptr;
    AVFilterContext* source = nullptr;
    std::string label;        // "v0", "a1", ...
    int64_t startPts = 0;     // the file's start in stream units
    bool ended = false;       // no more frames enter the graph
    ~Stream() { avcodec_free_context(&decoder); }
};

struct MediaPipeline::File {
    AVFormatContext* format = nullptr;
    Stream video;
    Stream audio;
    double lastRead = 0;
    bool ended = false;
    ~File() { avformat_close_input(&format); }
    bool done() const { return ended || ((!video.decoder || video.ended) && (!audio.decoder || audio.ended)); }
};

MediaPipeline::MediaPipeline() : m_packet(av_packet_alloc()), m_decoded(av_frame_alloc()) {}

MediaPipeline::~MediaPipeline()
{
    freeGraph();
    m_files.clear();
    av_packet_free(&m_packet);
    av_frame_free(&m_decoded);
}

bool MediaPipeline::open(const std::vector<InputFile>& files, std::string& error)
{
    for (const InputFile& spec : files) {
        auto file = std::make_unique<File>();
        if (!openFile(spec, *file, error))
            return false;
        m_files.push_back(std::move(file));
    }
    return true;
}

namespace {
bool openDecoder(AVFormatContext* format, AVMediaType type, int index, AVCodecContext** decoder)
{
    AVStream* stream = format->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return false;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context || avcodec_parameters_to_context(context, stream->codecpar) < 0) {
        avcodec_free_context(&context);
        return false;
    }
    context->pkt_timebase = stream->time_base;
    context->thread_count = 0;
    if (type == AVMEDIA_TYPE_VIDEO)
        context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return false;
    }
    *decoder = context;
    return true;
}
} // namespace

bool MediaPipeline::openFile(const InputFile& spec, File& file, std::string& error)
{
    int rc = avformat_open_input(&file.format, spec.path.c_str(), nullptr, nullptr);
    if (rc < 0) {
        error = "cannot open " + spec.path + ": " + errorText(rc);
        return false;
    }
    rc = avformat_find_stream_info(file.format, nullptr);
    if (rc < 0) {
        error = "cannot read " + spec.path + ": " + errorText(rc);
        return false;
    }
    const int fileIndex = int(m_files.size());
    const int64_t start = file.format->start_time == AV_NOPTS_VALUE ? 0 : file.format->start_time;
    auto setup = [&](bool wanted, AVMediaType type, Stream& stream, const char* prefix) {
        if (!wanted)
            return;
        const int index = av_find_best_stream(file.format, type, -1, -1, nullptr, 0);
        if (index < 0)
            return;
        // An attached picture (cover art) is no video.
        if (file.format->streams[index]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return;
        if (!openDecoder(file.format, type, index, &stream.decoder))
            return;
        stream.index = index;
        stream.stream = file.format->streams[index];
        stream.label = prefix + std::to_string(fileIndex);
        stream.startPts = av_rescale_q(start, AV_TIME_BASE_Q, stream.stream->time_base);
    };
    setup(spec.video, AVMEDIA_TYPE_VIDEO, file.video, "v");
    setup(spec.audio, AVMEDIA_TYPE_AUDIO, file.audio, "a");
    if (!file.video.decoder && !file.audio.decoder) {
        error = "no playable stream in " + spec.path;
        return false;
    }
    for (unsigned i = 0; i < file.format->nb_streams; ++i) {
        if (int(i) != file.video.index && int(i) != file.audio.index)
            file.format->streams[i]->discard = AVDISCARD_ALL;
    }
    return true;
}

bool MediaPipeline::hasVideo(int file) const
{
    return file >= 0 && file < int(m_files.size()) && m_files[file]->video.decoder;
}

bool MediaPipeline::hasAudio(int file) const
{
    return file >= 0 && file < int(m_files.size()) && m_files[file]->audio.decoder;
}

double MediaPipeline::duration() const
{
    double longest = 0;
    for (const auto& file : m_files) {
        double seconds = 0;
        if (file->format->duration != AV_NOPTS_VALUE && file->format->duration > 0)
            seconds = double(file->format->duration) / AV_TIME_BASE;
        for (const Stream* s : {&file->video, &file->audio}) {
            if (seconds <= 0 && s->stream && s->stream->duration > 0)
                seconds = double(s->stream->duration) * av_q2d(s->stream->time_base);
        }
        if (std::isfinite(seconds))
            longest = std::max(longest, seconds);
    }
    return longest;
}

const AVCodecParameters* MediaPipeline::videoParameters(int file) const
{
    return hasVideo(file) ? m_files[file]->video.stream->codecpar : nullptr;
}

AVRational MediaPipeline::videoFrameRate(int file) const
{
    if (!hasVideo(file))
        return AVRational{0, 1};
    return av_guess_frame_rate(m_files[file]->format, m_files[file]->video.stream, nullptr);
}

void MediaPipeline::freeGraph()
{
    avfilter_graph_free(&m_graph);
    m_sinks.clear();
    m_sinkDone.clear();
    for (auto& file : m_files) {
        file->video.source = nullptr;
        file->audio.source = nullptr;
    }
}

namespace {
std::string sourceArguments(const AVStream* stream, const AVCodecContext* decoder)
{
    char args[512];
    if (decoder->codec_type == AVMEDIA_TYPE_VIDEO) {
        AVRational aspect = decoder->sample_aspect_ratio;
        if (aspect.num <= 0 || aspect.den <= 0)
            aspect = AVRational{1, 1};
        snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", decoder->width,
                 decoder->height, int(decoder->pix_fmt), stream->time_base.num, stream->time_base.den, aspect.num,
                 aspect.den);
        if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0) {
            const size_t used = strlen(args);
            snprintf(args + used, sizeof args - used, ":frame_rate=%d/%d", stream->avg_frame_rate.num,
                     stream->avg_frame_rate.den);
        }
    } else {
        AVChannelLayout layout{}; // zeroed: the copy frees what the destination holds first
        if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&layout, decoder->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&layout, &decoder->ch_layout);
        char layoutText[128] = {0};
        av_channel_layout_describe(&layout, layoutText, sizeof layoutText);
        av_channel_layout_uninit(&layout);
        snprintf(args, sizeof args, "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                 stream->time_base.num, stream->time_base.den, decoder->sample_rate,
                 av_get_sample_fmt_name(decoder->sample_fmt), layoutText);
    }
    return args;
}
} // namespace

bool MediaPipeline::buildGraph(const std::string& description, const std::vector<std::string>& outputs,
                               std::string& error)
{
    freeGraph();
    m_description = description;
    m_outputs = outputs;
    m_frameSizes.resize(outputs.size(), 0);
    m_graph = avfilter_graph_alloc();
    if (!m_graph) {
        error = "out of memory";
        return false;
    }
    AVFilterInOut* graphInputs = nullptr;  // our sources, feeding the graph's open inputs
    AVFilterInOut* graphOutputs = nullptr; // our sinks, taking the graph's open outputs
    auto fail = [&](const std::string& text) {
        avfilter_inout_free(&graphInputs);
        avfilter_inout_free(&graphOutputs);
        freeGraph();
        error = text;
        return false;
    };
    for (auto& file : m_files) {
        for (Stream* s : {&file->video, &file->audio}) {
            if (!s->decoder)
                continue;
            // A stream the graph does not read is not decoded at all.
            if (description.find("[" + s->label + "]") == std::string::npos) {
                s->ended = true;
                continue;
            }
            const bool video = s->decoder->codec_type == AVMEDIA_TYPE_VIDEO;
            // The decoder may not know its picture format before the first frame.
            if (video && s->decoder->pix_fmt == AV_PIX_FMT_NONE)
                s->decoder->pix_fmt = AVPixelFormat(s->stream->codecpar->format);
            const std::string args = sourceArguments(s->stream, s->decoder);
            int rc = avfilter_graph_create_filter(&s->source, avfilter_get_by_name(video ? "buffer" : "abuffer"),
                                                  s->label.c_str(), args.c_str(), nullptr, m_graph);
            if (rc < 0)
                return fail("cannot create source " + s->label + ": " + errorText(rc));
            AVFilterInOut* entry = avfilter_inout_alloc();
            entry->name = av_strdup(s->label.c_str());
            entry->filter_ctx = s->source;
            entry->pad_idx = 0;
            entry->next = graphInputs;
            graphInputs = entry;
        }
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        const bool video = outputs[i][0] == 'v';
        AVFilterContext* sink = nullptr;
        int rc = avfilter_graph_create_filter(&sink, avfilter_get_by_name(video ? "buffersink" : "abuffersink"),
                                              outputs[i].c_str(), nullptr, nullptr, m_graph);
        if (rc < 0)
            return fail("cannot create sink " + outputs[i] + ": " + errorText(rc));
        m_sinks.push_back(sink);
        m_sinkDone.push_back(false);
        AVFilterInOut* entry = avfilter_inout_alloc();
        entry->name = av_strdup(outputs[i].c_str());
        entry->filter_ctx = sink;
        entry->pad_idx = 0;
        entry->next = graphOutputs;
        graphOutputs = entry;
    }
    int rc = avfilter_graph_parse_ptr(m_graph, description.c_str(), &graphOutputs, &graphInputs, nullptr);
    if (rc < 0)
        return fail("bad filter graph '" + description + "': " + errorText(rc));
    avfilter_inout_free(&graphInputs);
    avfilter_inout_free(&graphOutputs);
    rc = avfilter_graph_config(m_graph, nullptr);
    if (rc < 0)
        return fail("cannot configure filter graph: " + errorText(rc));
    for (size_t i = 0; i < m_sinks.size(); ++i) {
        if (m_frameSizes[i] > 0)
            av_buffersink_set_frame_size(m_sinks[i], unsigned(m_frameSizes[i]));
    }
    m_nextSink = 0;
    return true;
}

void MediaPipeline::setAudioFrameSize(int index, int samples)
{
    if (index < 0 || index >= int(m_sinks.size()))
        return;
    m_frameSizes[index] = samples;
    av_buffersink_set_frame_size(m_sinks[index], unsigned(samples));
}

AVFilterContext* MediaPipeline::sink(int index) const
{
    return index >= 0 && index < int(m_sinks.size()) ? m_sinks[index] : nullptr;
}

bool MediaPipeline::seek(double seconds, double dropBefore, std::string& error)
{
    for (auto& file : m_files) {
        const int64_t start = file->format->start_time == AV_NOPTS_VALUE ? 0 : file->format->start_time;
        const int64_t target = start + int64_t(std::max(0.0, seconds) * AV_TIME_BASE);
        if (av_seek_frame(file->format, -1, target, AVSEEK_FLAG_BACKWARD) < 0)
            av_seek_frame(file->format, -1, start, AVSEEK_FLAG_BACKWARD);
        for (Stream* s : {&file->video, &file->audio}) {
            if (s->decoder)
                avcodec_flush_buffers(s->decoder);
            s->ended = false;
        }
        file->ended = false;
        file->lastRead = seconds;
    }
    m_dropBefore = dropBefore;
    m_readPosition = std::max(0.0, seconds);
    std::vector<int> sizes = m_frameSizes;
    if (!buildGraph(m_description, m_outputs, error))
        return false;
    for (size_t i = 0; i < sizes.size(); ++i)
        setAudioFrameSize(int(i), sizes[i]);
    return true;
}

void MediaPipeline::sendCommand(const char* target, const char* command, const char* argument)
{
    if (m_graph)
        avfilter_graph_send_command(m_graph, target, command, argument, nullptr, 0, 0);
}

void MediaPipeline::endStream(Stream& stream)
{
    if (stream.ended)
        return;
    stream.ended = true;
    if (stream.source) {
        // Closing fails only when the graph is gone; nothing more enters it either way.
        const int closed = av_buffersrc_add_frame_flags(stream.source, nullptr, 0);
        (void)closed;
    }
}

MediaPipeline::File* MediaPipeline::nextFileToRead()
{
    File* best = nullptr;
    for (auto& file : m_files) {
        if (file->done())
            continue;
        if (!best || file->lastRead < best->lastRead)
            best = file.get();
    }
    return best;
}

void MediaPipeline::updateReadPosition()
{
    double least = kEndless;
    for (auto& file : m_files) {
        if (!file->done())
            least = std::min(least, file->lastRead);
    }
    if (least < kEndless)
        m_readPosition = least;
}

bool MediaPipeline::pushDecoded(File& file, Stream& stream, bool flush)
{
    if (flush)
        avcodec_send_packet(stream.decoder, nullptr);
    for (;;) {
        int rc = avcodec_receive_frame(stream.decoder, m_decoded);
        if (rc == AVERROR(EAGAIN))
            return true;
        if (rc == AVERROR_EOF) {
            endStream(stream);
            return true;
        }
        if (rc < 0)
            return false;
        int64_t pts = m_decoded->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            pts = m_decoded->pts;
        if (pts == AV_NOPTS_VALUE)
            pts = stream.startPts;
        pts -= stream.startPts;
        m_decoded->pts = pts;
        const double seconds = double(pts) * av_q2d(stream.stream->time_base);
        if (stream.ended || !stream.source) {
            av_frame_unref(m_decoded);
            continue;
        }
        if (seconds >= m_stopAt) {
            av_frame_unref(m_decoded);
            endStream(stream);
            continue;
        }
        double frameEnd = seconds;
        if (stream.decoder->codec_type == AVMEDIA_TYPE_AUDIO && m_decoded->sample_rate > 0)
            frameEnd += double(m_decoded->nb_samples) / m_decoded->sample_rate;
        if (frameEnd < m_dropBefore) {
            av_frame_unref(m_decoded);
            continue;
        }
        rc = av_buffersrc_add_frame_flags(stream.source, m_decoded, AV_BUFFERSRC_FLAG_KEEP_REF);
        av_frame_unref(m_decoded);
        if (rc < 0 && rc != AVERROR_EOF)
            return false;
    }
}

bool MediaPipeline::readFrom(File& file)
{
    int rc = av_read_frame(file.format, m_packet);
    if (rc < 0) {
        // End of file (or an unreadable rest): drain the decoders and close the inputs.
        for (Stream* s : {&file.video, &file.audio}) {
            if (s->decoder && !s->ended) {
                pushDecoded(file, *s, true);
                endStream(*s);
            }
        }
        file.ended = true;
        return true;
    }
    Stream* stream = nullptr;
    if (m_packet->stream_index == file.video.index)
        stream = &file.video;
    else if (m_packet->stream_index == file.audio.index)
        stream = &file.audio;
    bool ok = true;
    if (stream && !stream->ended) {
        const int64_t ts = m_packet->dts != AV_NOPTS_VALUE ? m_packet->dts : m_packet->pts;
        if (ts != AV_NOPTS_VALUE)
            file.lastRead = std::max(file.lastRead, double(ts - stream->startPts) * av_q2d(stream->stream->time_base));
        rc = avcodec_send_packet(stream->decoder, m_packet);
        // A damaged packet is skipped, as players do; only a dead decoder ends the stream.
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA)
            endStream(*stream);
        else
            ok = pushDecoded(file, *stream, false);
    }
    av_packet_unref(m_packet);
    return ok;
}

int MediaPipeline::next(AVFrame* frame)
{
    if (!m_graph)
        return Failed;
    for (;;) {
        if (m_aborted || (m_abortFlag && *m_abortFlag))
            return Aborted;
        bool allDone = true;
        const int count = int(m_sinks.size());
        for (int n = 0; n < count; ++n) {
            const int i = (m_nextSink + n) % count;
            if (m_sinkDone[i])
                continue;
            int rc = av_buffersink_get_frame(m_sinks[i], frame);
            if (rc >= 0) {
                m_nextSink = (i + 1) % count;
                return i;
            }
            if (rc == AVERROR_EOF) {
                m_sinkDone[i] = true;
                continue;
            }
            if (rc != AVERROR(EAGAIN))
                return Failed;
            allDone = false;
        }
        if (allDone)
            return End;
        File* file = nextFileToRead();
        if (!file) {
            // Every input is closed; the graph has given what it holds.
            bool drained = true;
            for (int i = 0; i < count; ++i) {
                if (!m_sinkDone[i])
                    drained = false;
            }
            if (drained)
                return End;
            // Outputs that stay open without input (none in our graphs) would loop: end them.
            for (int i = 0; i < count; ++i) {
                int rc = av_buffersink_get_frame(m_sinks[i], frame);
                if (rc >= 0)
                    return i;
                m_sinkDone[i] = true;
            }
            return End;
        }
        if (!readFrom(*file))
            return Failed;
        updateReadPosition();
        if (m_readObserver)
            m_readObserver(m_readPosition.load());
    }
}

} // namespace media
