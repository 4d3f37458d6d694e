#include "VideoExport.h"
#include "MediaPipeline.h"
#include "OutputWriter.h"

#include <algorithm>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
}

namespace media {

namespace {
const double kNoEnd = MediaPipeline::kEndless;

std::string number(double value)
{
    char text[64];
    snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// "trim=start=..:end=..,setpts=PTS-STARTPTS" (audio: the a-variants).
std::string cut(bool audio, double begin, double end)
{
    std::string text = std::string(audio ? "atrim" : "trim") + "=start=" + number(begin);
    if (end < kNoEnd)
        text += ":end=" + number(end);
    text += audio ? ",asetpts=PTS-STARTPTS" : ",setpts=PTS-STARTPTS";
    return text;
}

const char* muxerFor(OutputVideoFileType type, const char* encoder)
{
    switch (type) {
    case OVFT_MOV: return "mov";
    case OVFT_M4V: return std::string(encoder) == "libx264" ? "ipod" : "mp4";
    case OVFT_GIF: return "gif";
    default: return "mp4";
    }
}

// Picture format and encoder options that keep the source's look at a good quality.
std::string pixelFormatFor(const char* encoder, const AVCodecParameters* source, AVDictionary** options)
{
    const std::string name = encoder;
    if (name == "libx264") {
        av_dict_set(options, "preset", "veryfast", 0);
        av_dict_set(options, "crf", "20", 0);
        return "yuv420p";
    }
    if (name == "libx265") {
        av_dict_set(options, "preset", "veryfast", 0);
        av_dict_set(options, "crf", "24", 0);
        av_dict_set(options, "x265-params", "log-level=error", 0);
        return "yuv420p";
    }
    if (name == "prores_ks") {
        int profile = source->codec_id == AV_CODEC_ID_PRORES ? source->profile : 2;
        if (profile < 0 || profile > 5)
            profile = 2;
        av_dict_set_int(options, "profile", profile, 0);
        return profile >= 4 ? "yuva444p10le" : "yuv422p10le";
    }
    return "yuv420p";
}

void setRangeProgress(WorkerJob& job, double seconds, double length, double from, double share)
{
    if (length > 0)
        job.setProgress(from + share * std::min(1.0, seconds / length));
}

struct Range {
    double begin;
    double end;
    double length;
};

bool openAt(MediaPipeline& pipeline, const Range& range, WorkerJob& job, const std::string& graph,
            const std::vector<std::string>& outputs, std::string& error)
{
    pipeline.setAbortFlag(&job.cancelFlag());
    if (!pipeline.buildGraph(graph, outputs, error))
        return false;
    if (range.begin > 0 && !pipeline.seek(range.begin, -kNoEnd, error))
        return false;
    if (range.end < kNoEnd)
        pipeline.setStopAt(range.end);
    return true;
}

// First pass of a GIF: the palette of the range, written as a picture file.
bool writePalette(const VideoExportRequest& request, const Range& range, const std::string& palettePath,
                  WorkerJob& job, std::string& error)
{
    MediaPipeline pipeline;
    if (!pipeline.open({{request.source, true, false}}, error))
        return false;
    if (!openAt(pipeline, range, job, "[v0]" + cut(false, range.begin, range.end) + ",palettegen=stats_mode=full[vout]",
                {"vout"}, error))
        return false;
    // The palette pass is the first half of the progress.
    pipeline.setReadObserver([&](double seconds) { setRangeProgress(job, seconds - range.begin, range.length, 0, 0.5); });
    OutputWriter writer;
    if (!writer.create("nut", palettePath, error) || writer.addStream("rawvideo", pipeline.sink(0), 0, nullptr, error) < 0
        || !writer.begin(error))
        return false;
    const long frames = pumpFrames(pipeline, writer, nullptr, error);
    if (frames == 0)
        error = "the range holds no picture";
    const bool ok = frames > 0;
    return ok && writer.finish(error);
}
} // namespace

const char* exportEncoderFor(int sourceCodecId, OutputVideoFileType type)
{
    if (type == OVFT_GIF)
        return "gif";
    const char* wanted = "libx264";
    if (sourceCodecId == AV_CODEC_ID_HEVC)
        wanted = "libx265";
    else if (sourceCodecId == AV_CODEC_ID_PRORES && type == OVFT_MOV)
        wanted = "prores_ks";
    if (!avcodec_find_encoder_by_name(wanted))
        wanted = "libx264";
    return wanted;
}

bool runVideoExport(const VideoExportRequest& request, WorkerJob& job, std::string& error)
{
    MediaPipeline pipeline;
    const bool gif = request.type == OVFT_GIF;
    if (!pipeline.open({{request.source, true, !gif}}, error))
        return false;
    if (!pipeline.hasVideo(0)) {
        error = "the source has no picture";
        return false;
    }
    const double total = pipeline.duration();
    Range range{std::max(0.0, request.begin), request.end > 0 ? request.end : kNoEnd, 0};
    range.length = (range.end < kNoEnd ? range.end : total) - range.begin;
    if (range.length <= 0) {
        error = "empty range";
        return false;
    }

    const AVCodecParameters* source = pipeline.videoParameters(0);
    const char* encoder = exportEncoderFor(source->codec_id, request.type);
    AVDictionary* options = nullptr;
    std::string graph;
    std::vector<std::string> outputs{"vout"};
    std::string palettePath;
    double passStart = 0;
    double passShare = 1;
    if (gif) {
        palettePath = request.target + ".palette.nut";
        if (!writePalette(request, range, palettePath, job, error)) {
            std::remove(palettePath.c_str());
            return false;
        }
        if (!pipeline.open({{palettePath, true, false}}, error)) {
            std::remove(palettePath.c_str());
            return false;
        }
        graph = "[v0]" + cut(false, range.begin, range.end) + "[x];[x][v1]paletteuse=dither=sierra2_4a[vout]";
        passStart = 0.5;
        passShare = 0.5;
    } else {
        const std::string pixelFormat = pixelFormatFor(encoder, source, &options);
        graph = "[v0]" + cut(false, range.begin, range.end);
        // 4:2:0 and 4:2:2 pictures need an even size: an odd last row or column is dropped.
        if (pixelFormat != "yuva444p10le" && (source->width % 2 || source->height % 2))
            graph += ",crop=trunc(iw/2)*2:trunc(ih/2)*2:0:0";
        graph += ",format=" + pixelFormat + "[vout]";
        if (pipeline.hasAudio(0)) {
            graph += ";[a0]" + cut(true, range.begin, range.end)
                     + ",aformat=sample_fmts=fltp:sample_rates=48000|44100|32000|24000|22050|16000:"
                       "channel_layouts=stereo|mono[aout]";
            outputs.push_back("aout");
        }
    }
    const bool ok = [&] {
        if (!openAt(pipeline, range, job, graph, outputs, error))
            return false;
        OutputWriter writer;
        const uint32_t tag = std::string(encoder) == "libx265" ? MKTAG('h', 'v', 'c', '1') : 0;
        if (!writer.create(muxerFor(request.type, encoder), request.target, error)
            || writer.addStream(encoder, pipeline.sink(0), 0, options, error, tag) < 0)
            return false;
        if (outputs.size() > 1) {
            if (writer.addStream("aac", pipeline.sink(1), 192000, nullptr, error) < 0)
                return false;
            pipeline.setAudioFrameSize(1, writer.frameSize(1));
        }
        if (!writer.begin(error))
            return false;
        const bool good = pumpFrames(pipeline, writer,
                                     [&](int index, double seconds) {
                                         if (index == 0)
                                             setRangeProgress(job, seconds, range.length, passStart, passShare);
                                         job.setBytes(writer.bytesWritten());
                                     },
                                     error)
                          >= 0;
        if (!good || job.cancelRequested())
            return false;
        if (!writer.finish(error))
            return false;
        job.setBytes(writer.bytesWritten());
        return true;
    }();
    av_dict_free(&options);
    if (!palettePath.empty())
        std::remove(palettePath.c_str());
    return ok;
}

} // namespace media
