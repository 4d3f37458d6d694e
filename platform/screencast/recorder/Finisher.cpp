#include "Finisher.h"

#include "Log.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// Decodes every video frame of a file and hands it to `sink`, its pts in milliseconds;
// false when the file cannot be decoded or `sink` fails. `progress` follows the reading.
bool decodeVideo(const std::string& path, const std::function<bool(AVFrame*)>& sink, const Progress& progress = {})
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
        decoder->thread_count = 0; // as many as the machine has
        ok = avcodec_open2(decoder, codec, nullptr) >= 0;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&]() {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            frame->pts = av_rescale_q(frame->best_effort_timestamp, decoder->pkt_timebase, AVRational{1, 1000});
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
// Frames handed from one thread to another in order. The producer waits while it is full;
// once closed, pushing fails and the consumer drains what is left. Owns the frames it holds.
class FrameChannel {
public:
    ~FrameChannel()
    {
        for (AVFrame* frame : m_frames)
            av_frame_free(&frame);
    }
    // Takes `frame` (freed when refused). False once closed.
    bool push(AVFrame* frame)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || m_frames.size() < kCapacity; });
        if (m_closed) {
            av_frame_free(&frame);
            return false;
        }
        m_frames.push_back(frame);
        m_changed.notify_all();
        return true;
    }
    // The next frame, or null when closed and drained.
    AVFrame* pop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || !m_frames.empty(); });
        if (m_frames.empty())
            return nullptr;
        AVFrame* frame = m_frames.front();
        m_frames.pop_front();
        m_changed.notify_all();
        return frame;
    }
    void close()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

private:
    static constexpr size_t kCapacity = 2; // frames of a 1080p RGB picture are 8 MB each
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<AVFrame*> m_frames;
    bool m_closed = false;
};

// Filter graphs of the same description, each on a thread of its own, that turn a stream of
// frames into a stream of filtered frames in the same order: the i-th frame goes to lane
// i mod n, and the outputs are taken from the lanes in the same turn and handed, in order,
// to a consumer on a thread of its own. Each input frame must give one output frame. Any
// failure closes every channel, so no thread waits for ever.
class ParallelFilter {
public:
    // Takes an output frame (the caller frees it); false stops the filtering.
    using Consumer = std::function<bool(AVFrame*)>;

    // `description` reads "[in]" (and "[pal]", fed `palette` once, when given) into "[out]".
    ParallelFilter(const char* description, const AVFrame* palette, Consumer consume)
        : m_description(description), m_palette(palette), m_consume(std::move(consume))
    {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const unsigned lanes = std::min<unsigned>(kMaxLanes, std::max(1u, cores - 1));
        for (unsigned i = 0; i < lanes; ++i)
            m_lanes.emplace_back(new Lane);
        m_consumer = std::thread(&ParallelFilter::consumeAll, this);
    }
    ~ParallelFilter()
    {
        fail();
        if (m_consumer.joinable())
            m_consumer.join();
        for (auto& lane : m_lanes)
            if (lane->thread.joinable())
                lane->thread.join();
    }

    // Takes `frame` (pts in milliseconds); the first frame sets the size. Calling thread.
    bool push(AVFrame* frame)
    {
        if (m_pushed == 0 && !start(frame)) {
            av_frame_free(&frame);
            return false;
        }
        return m_lanes[m_pushed++ % m_lanes.size()]->in.push(frame);
    }
    // No more frames will come: waits until the consumer has had every output. True when
    // nothing failed. Calling thread.
    bool finish()
    {
        for (auto& lane : m_lanes) {
            lane->in.close();
            // No frame came, so no lane thread runs to end its output: nothing will come out.
            if (!lane->thread.joinable())
                lane->out.close();
        }
        if (m_consumer.joinable())
            m_consumer.join();
        return !m_failed;
    }

private:
    static constexpr unsigned kMaxLanes = 8;
    struct Lane {
        FilterGraph graph;
        AVFilterContext* source = nullptr;
        FrameChannel in;
        FrameChannel out;
        std::thread thread;
    };

    // The consumer's thread.
    void consumeAll()
    {
        while (AVFrame* frame = pop()) {
            const bool consumed = m_consume(frame);
            av_frame_free(&frame);
            if (!consumed) {
                fail();
                return;
            }
        }
    }

    // The next output in order, or null at the end (or after a failure). Consumer thread.
    AVFrame* pop()
    {
        if (m_lanes.empty() || m_failed)
            return nullptr;
        AVFrame* frame = m_lanes[m_popped % m_lanes.size()]->out.pop();
        if (frame)
            ++m_popped;
        return frame;
    }

    void fail()
    {
        m_failed = true;
        for (auto& lane : m_lanes) {
            lane->in.close();
            lane->out.close();
        }
    }

    bool start(const AVFrame* first)
    {
        for (auto& each : m_lanes) {
            Lane& lane = *each;
            lane.source = lane.graph.addSource("in", first->width, first->height, first->format, AVRational{1, 1000});
            AVFilterContext* paletteSource = m_palette
                ? lane.graph.addSource("pal", m_palette->width, m_palette->height, m_palette->format, AVRational{1, 1000})
                : nullptr;
            const bool built = lane.source && (!m_palette || paletteSource)
                && (m_palette ? lane.graph.build(m_description, {{"in", lane.source}, {"pal", paletteSource}})
                              : lane.graph.build(m_description, {{"in", lane.source}}));
            if (!built)
                return false;
            if (m_palette) {
                AVFrame* palette = av_frame_clone(m_palette);
                palette->pts = 0;
                const bool fed = av_buffersrc_add_frame(paletteSource, palette) >= 0
                    && av_buffersrc_add_frame(paletteSource, nullptr) >= 0;
                av_frame_free(&palette);
                if (!fed)
                    return false;
            }
        }
        for (auto& lane : m_lanes)
            lane->thread = std::thread(&ParallelFilter::run, this, std::ref(*lane));
        return true;
    }

    // A lane's thread: filters its frames until its input ends.
    void run(Lane& lane)
    {
        auto drain = [&]() {
            for (;;) {
                AVFrame* out = av_frame_alloc();
                if (av_buffersink_get_frame(lane.graph.sink, out) < 0) {
                    av_frame_free(&out);
                    return true;
                }
                if (!lane.out.push(out))
                    return false;
            }
        };
        bool ok = true;
        while (AVFrame* frame = ok ? lane.in.pop() : nullptr) {
            ok = av_buffersrc_add_frame(lane.source, frame) >= 0 && drain();
            av_frame_free(&frame);
        }
        ok = ok && !m_failed && av_buffersrc_add_frame(lane.source, nullptr) >= 0 && drain();
        if (!ok)
            fail();
        lane.out.close();
    }

    const char* m_description;
    const AVFrame* m_palette;
    Consumer m_consume;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    std::thread m_consumer;
    std::atomic<bool> m_failed{false};
    size_t m_pushed = 0;
    size_t m_popped = 0;
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
    const AVRational milliseconds{1, 1000};
    // Decoded frames go to `filter`; false when it refuses one.
    auto feedTo = [](ParallelFilter& filter) {
        return [&filter](AVFrame* frame) {
            AVFrame* copy = av_frame_clone(frame);
            return copy && filter.push(copy);
        };
    };

    // Pass 1: one palette from the whole recording. Frames are turned into RGB on the lanes
    // and counted in order.
    AVFrame* palette = av_frame_alloc();
    bool ok = true;
    {
        FilterGraph graph;
        AVFilterContext* source = nullptr;
        ParallelFilter toRgb("[in]format=rgb32[out]", nullptr, [&](AVFrame* frame) {
            if (!source) {
                source = graph.addSource("in", frame->width, frame->height, frame->format, milliseconds);
                char description[128];
                snprintf(description, sizeof description, "[in]palettegen=max_colors=%d:stats_mode=full[out]", colours);
                if (!source || !graph.build(description, {{"in", source}}))
                    return false;
            }
            return av_buffersrc_add_frame(source, frame) >= 0;
        });
        ok = decodeVideo(from, feedTo(toRgb), half(0));
        ok = toRgb.finish() && ok && source && av_buffersrc_add_frame(source, nullptr) >= 0
            && av_buffersink_get_frame(graph.sink, palette) >= 0;
    }

    // Pass 2: frames are mapped onto the palette on the lanes and encoded in order.
    AVFormatContext* out = nullptr;
    AVCodecContext* encoder = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = av_packet_alloc();
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
    auto encode = [&](AVFrame* mapped) {
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
        mapped->pts = av_rescale_q(mapped->pts, milliseconds, timeBase);
        const bool keep = mapped->pts > lastPts;
        if (keep)
            lastPts = mapped->pts;
        return (!keep || avcodec_send_frame(encoder, mapped) >= 0) && writePackets();
    };
    if (ok) {
        ParallelFilter dither("[in][pal]paletteuse=dither=sierra2_4a[out]", palette, encode);
        ok = decodeVideo(from, feedTo(dither), half(0.5));
        ok = dither.finish() && ok && encoder;
    }
    ok = ok && avcodec_send_frame(encoder, nullptr) >= 0 && writePackets() && av_write_trailer(out) >= 0;

    ok = closeOutput(out, report) && ok;
    avcodec_free_context(&encoder);
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
