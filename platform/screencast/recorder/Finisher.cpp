#include "Finisher.h"

#include "Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace recorder {

namespace {
using Progress = std::function<void(double)>;

// Hands the share of `in` read so far to `progress`.
void tellProgress(AVFormatContext* in, const Progress& progress)
{
    if (!progress || !in->pb)
        return;
    const int64_t size = avio_size(in->pb);
    if (size > 0)
        progress(std::min(1.0, double(avio_tell(in->pb)) / double(size)));
}

bool isNoSpace(int error) { return error == AVERROR(ENOSPC) || error == AVERROR(EDQUOT); }

// Closes and frees `out` (may be null). False when writing its file met an error; a full
// volume is told in `report`.
bool closeOutput(AVFormatContext* out, Finisher::Report* report)
{
    if (!out)
        return true;
    int written = 0;
    if (out->pb) {
        const int earlier = out->pb->error;
        const int closed = avio_closep(&out->pb);
        written = earlier < 0 ? earlier : std::min(closed, 0);
    }
    if (report)
        report->noSpace = isNoSpace(written);
    avformat_free_context(out);
    return written >= 0;
}

// Decodes every video frame of a file and hands it to `sink`; false when the file
// cannot be decoded or `sink` fails. `progress` follows the reading.
bool decodeVideo(const std::string& path, AVCodecContext** outInfo,
                 const std::function<bool(AVFrame*)>& sink, const Progress& progress = {})
{
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, path.c_str(), nullptr, nullptr) < 0)
        return false;
    bool ok = avformat_find_stream_info(in, nullptr) >= 0;
    const AVCodec* codec = nullptr;
    const int index = ok ? av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0) : -1;
    AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    ok = decoder && avcodec_parameters_to_context(decoder, in->streams[index]->codecpar) >= 0;
    if (ok) {
        decoder->pkt_timebase = in->streams[index]->time_base;
        ok = avcodec_open2(decoder, codec, nullptr) >= 0;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&]() {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            const bool fed = sink(frame);
            av_frame_unref(frame);
            if (!fed)
                return false;
        }
        return true;
    };
    while (ok && av_read_frame(in, packet) >= 0) {
        if (packet->stream_index == index)
            ok = avcodec_send_packet(decoder, packet) >= 0 && drain();
        av_packet_unref(packet);
        tellProgress(in, progress);
    }
    if (ok)
        ok = avcodec_send_packet(decoder, nullptr) >= 0 && drain();
    if (outInfo && ok) {
        *outInfo = decoder;
        decoder = nullptr;
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&in);
    return ok;
}

struct FilterGraph {
    AVFilterGraph* graph = avfilter_graph_alloc();
    AVFilterContext* sink = nullptr;
    ~FilterGraph() { avfilter_graph_free(&graph); }

    AVFilterContext* addSource(const char* name, int w, int h, int pixFmt, AVRational timeBase)
    {
        char args[256];
        snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=1/1", w, h, pixFmt,
                 timeBase.num, timeBase.den);
        AVFilterContext* source = nullptr;
        if (avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), name, args, nullptr, graph) < 0)
            return nullptr;
        return source;
    }

    // Links the named sources into `description`, whose single output goes to a sink.
    bool build(const char* description, std::initializer_list<std::pair<const char*, AVFilterContext*>> sources)
    {
        if (avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph) < 0)
            return false;
        AVFilterInOut* outputs = nullptr;
        for (auto it = std::rbegin(sources); it != std::rend(sources); ++it) {
            AVFilterInOut* entry = avfilter_inout_alloc();
            entry->name = av_strdup(it->first);
            entry->filter_ctx = it->second;
            entry->pad_idx = 0;
            entry->next = outputs;
            outputs = entry;
        }
        AVFilterInOut* inputs = avfilter_inout_alloc();
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink;
        inputs->pad_idx = 0;
        inputs->next = nullptr;
        const bool ok = avfilter_graph_parse_ptr(graph, description, &inputs, &outputs, nullptr) >= 0
            && avfilter_graph_config(graph, nullptr) >= 0;
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        return ok;
    }
};
} // namespace

namespace Finisher {
bool remux(const std::string& from, const std::string& to, const char* muxer, const char* brand, Report* report)
{
    const Progress progress = report ? report->progress : Progress();
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, from.c_str(), nullptr, nullptr) < 0)
        return false;
    AVFormatContext* out = nullptr;
    bool ok = avformat_find_stream_info(in, nullptr) >= 0
        && avformat_alloc_output_context2(&out, nullptr, muxer, to.c_str()) >= 0;
    for (unsigned i = 0; ok && i < in->nb_streams; ++i) {
        AVStream* stream = avformat_new_stream(out, nullptr);
        ok = stream && avcodec_parameters_copy(stream->codecpar, in->streams[i]->codecpar) >= 0;
        if (ok) {
            const bool hevc = stream->codecpar->codec_id == AV_CODEC_ID_HEVC;
            stream->codecpar->codec_tag = hevc ? MKTAG('h', 'v', 'c', '1') : 0;
            stream->time_base = in->streams[i]->time_base;
            stream->avg_frame_rate = in->streams[i]->avg_frame_rate;
        }
    }
    AVDictionary* options = nullptr;
    if (brand)
        av_dict_set(&options, "brand", brand, 0);
    ok = ok && avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, &options) >= 0;
    av_dict_free(&options);
    AVPacket* packet = av_packet_alloc();
    while (ok && av_read_frame(in, packet) >= 0) {
        av_packet_rescale_ts(packet, in->streams[packet->stream_index]->time_base,
                             out->streams[packet->stream_index]->time_base);
        packet->pos = -1;
        ok = av_interleaved_write_frame(out, packet) >= 0;
        av_packet_unref(packet);
        tellProgress(in, progress);
    }
    ok = ok && av_write_trailer(out) >= 0;
    av_packet_free(&packet);
    ok = closeOutput(out, report) && ok;
    avformat_close_input(&in);
    if (!ok) {
        Log("Screencast", 2, "remux %s -> %s failed", from.c_str(), to.c_str());
        std::remove(to.c_str());
    }
    return ok;
}

bool toGif(const std::string& from, const std::string& to, int colours, Report* report)
{
    const Progress progress = report ? report->progress : Progress();
    const auto half = [&progress](double start) -> Progress {
        if (!progress)
            return {};
        return [&progress, start](double share) { progress(start + share / 2); };
    };
    // Pass 1: one palette from the whole recording.
    AVFrame* palette = av_frame_alloc();
    AVCodecContext* info = nullptr;
    bool ok = true;
    {
        std::unique_ptr<FilterGraph> graph;
        AVFilterContext* source = nullptr;
        auto feed = [&](AVFrame* frame) {
            if (!graph) {
                graph.reset(new FilterGraph);
                source = graph->addSource("in", frame->width, frame->height, frame->format, AVRational{1, 1000});
                char description[128];
                snprintf(description, sizeof description, "[in]palettegen=max_colors=%d:stats_mode=full[out]", colours);
                if (!source || !graph->build(description, {{"in", source}}))
                    return false;
            }
            frame->pts = frame->best_effort_timestamp;
            return av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
        };
        ok = decodeVideo(from, &info, feed, half(0)) && graph;
        ok = ok && av_buffersrc_add_frame(source, nullptr) >= 0 && av_buffersink_get_frame(graph->sink, palette) >= 0;
    }

    // Pass 2: map every frame onto the palette and encode.
    AVFormatContext* out = nullptr;
    AVCodecContext* encoder = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* mapped = av_frame_alloc();
    std::unique_ptr<FilterGraph> graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* paletteSource = nullptr;
    const AVRational timeBase{1, 100};
    int64_t lastPts = -1;
    auto writePackets = [&]() {
        while (avcodec_receive_packet(encoder, packet) >= 0) {
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = 0;
            if (av_interleaved_write_frame(out, packet) < 0)
                return false;
        }
        return true;
    };
    auto pull = [&]() {
        while (av_buffersink_get_frame(graph->sink, mapped) >= 0) {
            if (!encoder) {
                const AVCodec* gif = avcodec_find_encoder(AV_CODEC_ID_GIF);
                encoder = avcodec_alloc_context3(gif);
                encoder->width = mapped->width;
                encoder->height = mapped->height;
                encoder->pix_fmt = AV_PIX_FMT_PAL8;
                encoder->time_base = timeBase;
                if (avcodec_open2(encoder, gif, nullptr) < 0 || avformat_alloc_output_context2(&out, nullptr, "gif", to.c_str()) < 0)
                    return false;
                stream = avformat_new_stream(out, nullptr);
                avcodec_parameters_from_context(stream->codecpar, encoder);
                stream->time_base = timeBase;
                if (avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(out, nullptr) < 0)
                    return false;
            }
            // Centisecond time stamps: frames closer than 10 ms share one and are skipped.
            mapped->pts = av_rescale_q(mapped->pts, AVRational{1, 1000}, timeBase);
            const bool keep = mapped->pts > lastPts;
            if (keep)
                lastPts = mapped->pts;
            const bool sent = !keep || avcodec_send_frame(encoder, mapped) >= 0;
            av_frame_unref(mapped);
            if (!sent || !writePackets())
                return false;
        }
        return true;
    };
    auto feed = [&](AVFrame* frame) {
        if (!graph) {
            graph.reset(new FilterGraph);
            source = graph->addSource("in", frame->width, frame->height, frame->format, AVRational{1, 1000});
            paletteSource = graph->addSource("pal", palette->width, palette->height, palette->format, AVRational{1, 1000});
            if (!source || !paletteSource
                || !graph->build("[in][pal]paletteuse=dither=sierra2_4a[out]", {{"in", source}, {"pal", paletteSource}}))
                return false;
            palette->pts = 0;
            if (av_buffersrc_add_frame_flags(paletteSource, palette, AV_BUFFERSRC_FLAG_KEEP_REF) < 0
                || av_buffersrc_add_frame(paletteSource, nullptr) < 0)
                return false;
        }
        frame->pts = av_rescale_q(frame->best_effort_timestamp, info->pkt_timebase, AVRational{1, 1000});
        return av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0 && pull();
    };
    ok = ok && decodeVideo(from, nullptr, feed, half(0.5)) && graph;
    ok = ok && av_buffersrc_add_frame(source, nullptr) >= 0 && pull() && encoder;
    ok = ok && avcodec_send_frame(encoder, nullptr) >= 0 && writePackets() && av_write_trailer(out) >= 0;

    ok = closeOutput(out, report) && ok;
    graph.reset();
    avcodec_free_context(&encoder);
    avcodec_free_context(&info);
    av_frame_free(&mapped);
    av_frame_free(&palette);
    av_packet_free(&packet);
    if (!ok) {
        Log("Screencast", 2, "GIF conversion %s -> %s failed", from.c_str(), to.c_str());
        std::remove(to.c_str());
    }
    return ok;
}
} // namespace Finisher

} // namespace recorder
