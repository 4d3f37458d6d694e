#include "AudioConvert.h"
#include "MediaPipeline.h"
#include "OutputWriter.h"

#include <algorithm>
#include <cstdio>

extern "C" {
#include <libavfilter/buffersink.h>
}

namespace media {

namespace {
// The rate the tracks were recorded at: kept when the encoder takes it.
const int kRecordedRate = 48000;
} // namespace

AudioEncoding audioEncodingFor(OutputAudioFileType type, CodecQuality quality)
{
    static const long rates[] = {64000, 96000, 128000, 192000, 256000, 320000};
    const int q = std::clamp(int(quality), int(CQ_Lowest), int(CQ_Lossless));
    const long rate = rates[q - CQ_Lowest];
    switch (type) {
    case OAFT_M4A: return {"aac", "ipod", rate, -1};
    case OAFT_CAF: return {"alac", "caf", 0, -1};
    case OAFT_OGG: return {"libvorbis", "ogg", rate, -1};
    case OAFT_OPUS: return {"libopus", "opus", std::min(rate, 256000L), -1};
    case OAFT_FLAC: return {"flac", "flac", 0, std::min(12, 2 * q - 1)};
    case OAFT_WMA: return {"wmav2", "asf", std::min(rate, 256000L), -1};
    case OAFT_MP3:
    default: return {"libmp3lame", "mp3", rate, -1};
    }
}

std::string audioMixGraph(const AudioRecording& recording, const char* sampleFormat, int sampleRate, bool namedVolumes)
{
    char text[256];
    std::string graph;
    std::string mixInputs;
    int inputs = 0;
    for (int track = 0; track < 2; ++track) {
        if (recording.tracks[track].empty())
            continue;
        snprintf(text, sizeof text, "[a%d]volume%s%d=volume=%.4f:precision=float[m%d];", inputs,
                 namedVolumes ? "@t" : "@c", track, double(recording.volumes[track]), inputs);
        graph += text;
        mixInputs += "[m" + std::to_string(inputs) + "]";
        ++inputs;
    }
    if (inputs == 2)
        graph += mixInputs + "amix=inputs=2:duration=longest:normalize=0";
    else
        graph += mixInputs + "anull";
    if (!namedVolumes) {
        snprintf(text, sizeof text, ",atrim=start=%.6f", std::max(0.0, recording.trimBegin));
        graph += text;
        if (recording.trimEnd > 0) {
            snprintf(text, sizeof text, ":end=%.6f", recording.trimEnd);
            graph += text;
        }
        graph += ",asetpts=PTS-STARTPTS";
    }
    snprintf(text, sizeof text, ",aformat=sample_fmts=%s:sample_rates=%d:channel_layouts=stereo[aout]", sampleFormat,
             sampleRate);
    return graph + text;
}

bool runAudioConvert(const AudioConvertRequest& request, WorkerJob& job, std::string& error)
{
    const AudioRecording& recording = request.recording;
    if (recording.empty()) {
        error = "there is no audio recording";
        return false;
    }
    std::vector<InputFile> files;
    for (const std::string& track : recording.tracks) {
        if (!track.empty())
            files.push_back({track, false, true});
    }
    MediaPipeline pipeline;
    pipeline.setAbortFlag(&job.cancelFlag());
    if (!pipeline.open(files, error))
        return false;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!pipeline.hasAudio(int(i))) {
            error = "a track holds no sound: " + files[i].path;
            return false;
        }
    }
    const double begin = std::max(0.0, recording.trimBegin);
    const double end = recording.trimEnd > 0 ? std::min(recording.trimEnd, pipeline.duration()) : pipeline.duration();
    const double length = end - begin;
    if (length <= 0) {
        error = "empty range";
        return false;
    }

    const AudioEncoding encoding = audioEncodingFor(request.type, request.quality);
    const AVCodec* codec = avcodec_find_encoder_by_name(encoding.encoder);
    if (!codec) {
        error = std::string("no encoder ") + encoding.encoder;
        return false;
    }
    const AVSampleFormat format = pickSampleFormat(codec, AV_SAMPLE_FMT_FLTP);
    const int rate = pickSampleRate(codec, kRecordedRate);
    if (!pipeline.buildGraph(audioMixGraph(recording, av_get_sample_fmt_name(format), rate, false), {"aout"}, error))
        return false;
    if (begin > 0 && !pipeline.seek(begin, -MediaPipeline::kEndless, error))
        return false;
    if (recording.trimEnd > 0)
        pipeline.setStopAt(recording.trimEnd);

    OutputWriter writer;
    AVDictionary* options = nullptr;
    if (encoding.compression >= 0)
        av_dict_set_int(&options, "compression_level", encoding.compression, 0);
    const int stream = writer.create(encoding.muxer, request.target, error)
                           ? writer.addStream(encoding.encoder, pipeline.sink(0), encoding.bitRate, options, error)
                           : -1;
    av_dict_free(&options);
    if (stream < 0 || !writer.begin(error))
        return false;
    pipeline.setAudioFrameSize(0, writer.frameSize(stream));
    const bool ok = pumpFrames(pipeline, writer,
                               [&](int, double seconds) {
                                   job.setProgress(std::min(0.99, seconds / length));
                                   job.setBytes(writer.bytesWritten());
                               },
                               error)
                    >= 0;
    if (!ok || job.cancelRequested())
        return false;
    return writer.finish(error);
}

} // namespace media
