#include "ScPlayer.h"
#include "media/AudioConvert.h"
#include "media/AudioRecordingState.h"
#include "media/PlayerCore.h"
#include "media/VideoExport.h"
#include "media/WorkerJob.h"

#include "Log.h"

#include <cstdio>
#include <memory>

namespace {

// The player graph: pictures as BGRA, sound as 16-bit stereo at 48 kHz.
std::string videoGraph(const media::MediaPipeline& pipeline, bool& video, bool& audio)
{
    std::string graph;
    video = pipeline.hasVideo(0);
    audio = pipeline.hasAudio(0);
    if (video)
        graph = "[v0]format=bgra[vout]";
    if (audio)
        graph += std::string(video ? ";" : "") + "[a0]aformat=sample_fmts=s16:sample_rates=48000:channel_layouts=stereo[aout]";
    return graph;
}

class AVPlayerObject : public CAVPlayerObject {
public:
    AVPlayerObject(CAVPlayerCallback* callback, const char* path, NSView* host)
        : m_source(path), m_core(callback, {{path, true, true}}, videoGraph, host)
    {
    }

    // Stops a running export without a report, stops playback and frees the player.
    void Release() override
    {
        m_export.cancel();
        delete this;
    }
    int BeginTrimming() override { return m_core.beginTrimming(); }
    int SetTrimBegin(double seconds) override { return m_core.setTrimBegin(seconds); }
    int SetTrimEnd(double seconds) override { return m_core.setTrimEnd(seconds); }
    int Seek(double seconds) override { return m_core.seek(seconds); }
    void Pause() override { m_core.pause(); }
    void Resume() override { m_core.resume(); }

    int Export(const char* path, OutputVideoFileType type, CAVPlayerExportCallback* callback) override
    {
        if (!path || !*path || !callback || m_export.running())
            return 1;
        media::VideoExportRequest request;
        request.source = m_source;
        request.target = path;
        request.type = type;
        request.begin = m_core.trimBegin();
        request.end = m_core.trimEnd();
        Log("Screencast", 1, "export [%.3f, %.3f] of %s to %s", request.begin, request.end, m_source.c_str(), path);
        const bool started = m_export.start(
            [request](media::WorkerJob& job) {
                std::string error;
                const bool ok = media::runVideoExport(request, job, error);
                if (!ok && !job.cancelRequested())
                    Log("Screencast", 2, "export to %s failed: %s", request.target.c_str(), error.c_str());
                return ok;
            },
            [callback](bool ok) { callback->OnExportCompleted(ok ? 1 : 0); });
        return started ? 0 : 1;
    }
    double GetExportProgress() override { return m_export.progress(); }
    long long GetExportedSize() override { return m_export.bytes(); }
    int CancelExport() override
    {
        m_export.cancel();
        return 0;
    }
    void SetControlsStyle(contralsStyle style) override { m_core.setControlsStyle(style); }

private:
    ~AVPlayerObject() override = default;

    std::string m_source;
    media::PlayerCore m_core;
    media::WorkerJob m_export;
};

class AudioPlayerObject : public CAudioPlayerObject {
public:
    AudioPlayerObject(CAVPlayerCallback* callback, NSView* host, const media::AudioRecording& recording)
        : m_recording(recording),
          m_core(callback, files(recording), [this](const media::MediaPipeline& p, bool& v, bool& a) { return graph(p, v, a); },
                 host, [](double begin, double end) { media::setLastAudioTrim(begin, end); })
    {
    }

    // Stops playback and frees the player.
    void Release() override { delete this; }
    int BeginTrimming() override { return m_core.beginTrimming(); }
    int SetTrimBegin(double seconds) override { return m_core.setTrimBegin(seconds); }
    int SetTrimEnd(double seconds) override { return m_core.setTrimEnd(seconds); }
    int Seek(double seconds) override { return m_core.seek(seconds); }
    void Pause() override { m_core.pause(); }
    void Resume() override { m_core.resume(); }
    int SetVolume(int track, float volume) override
    {
        if (track != 0 && track != 1)
            return 1;
        media::setLastAudioVolume(track, volume);
        const float applied = media::lastAudioRecording().volumes[track];
        char value[32];
        snprintf(value, sizeof value, "%.4f", double(applied));
        m_core.sendCommand("volume@t" + std::to_string(track), "volume", value);
        return 0;
    }

private:
    ~AudioPlayerObject() override = default;

    static std::vector<media::InputFile> files(const media::AudioRecording& recording)
    {
        std::vector<media::InputFile> list;
        for (const std::string& track : recording.tracks) {
            if (!track.empty())
                list.push_back({track, false, true});
        }
        return list;
    }
    std::string graph(const media::MediaPipeline& pipeline, bool& video, bool& audio) const
    {
        video = false;
        audio = !m_recording.empty();
        return audio ? media::audioMixGraph(m_recording, "s16", 48000, true) : std::string();
    }

    media::AudioRecording m_recording;
    media::PlayerCore m_core;
};

} // namespace

CBasePtr<CAVPlayerObject> CreateAVPlayer(CAVPlayerCallback* callback, const char* path, NSView* host)
{
    if (!callback || !path)
        return CBasePtr<CAVPlayerObject>();
    return CBasePtr<CAVPlayerObject>(new AVPlayerObject(callback, path, host));
}

CBasePtr<CAudioPlayerObject> CreateAudioPlayer(CAVPlayerCallback* callback, NSView* host)
{
    if (!callback)
        return CBasePtr<CAudioPlayerObject>();
    return CBasePtr<CAudioPlayerObject>(new AudioPlayerObject(callback, host, media::lastAudioRecording()));
}
