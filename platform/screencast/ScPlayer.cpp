#include "ScPlayer.h"
#include "media/AudioConvert.h"
#include "media/AudioRecordingState.h"
#include "media/AudioRing.h"
#include "media/PlayerCore.h"
#include "media/VideoExport.h"
#include "media/WorkerJob.h"

#include "Log.h"

#include <cstdio>
#include <memory>

namespace {

// The player graph: pictures as BGRA, sound as the players play it.
std::string videoGraph(const media::MediaPipeline& pipeline, bool& video, bool& audio)
{
    std::string graph;
    video = pipeline.hasVideo(0);
    audio = pipeline.hasAudio(0);
    if (video)
        graph = "[v0]format=bgra[vout]";
    if (audio)
        graph += std::string(video ? ";" : "") + "[a0]aformat=sample_fmts=s16:sample_rates="
            + std::to_string(media::kPlaybackRate) + ":channel_layouts=stereo[aout]";
    return graph;
}

// The operations both players hand to their PlayerCore.
template <class Interface>
class PlayerObject : public Interface {
public:
    int BeginTrimming() override { return m_core.beginTrimming(); }
    int SetTrimBegin(double seconds) override { return m_core.setTrimBegin(seconds); }
    int SetTrimEnd(double seconds) override { return m_core.setTrimEnd(seconds); }
    int Seek(double seconds) override { return m_core.seek(seconds); }
    void Pause() override { m_core.pause(); }
    void Resume() override { m_core.resume(); }

protected:
    template <class... Args>
    explicit PlayerObject(Args&&... coreArguments) : m_core(std::forward<Args>(coreArguments)...)
    {
    }
    ~PlayerObject() override = default;

    media::PlayerCore m_core;
};

class AVPlayerObject : public PlayerObject<CAVPlayerObject> {
public:
    AVPlayerObject(CAVPlayerCallback* callback, const char* path, NSView* host)
        : PlayerObject(callback, std::vector<media::InputFile>{{path, true, true}}, videoGraph, host), m_source(path)
    {
    }

    // Stops a running export without a report, stops playback and frees the player.
    void Release() override
    {
        m_export.cancel();
        delete this;
    }

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
    // Destroyed before the core: a running export stops before playback does.
    media::WorkerJob m_export;
};

class AudioPlayerObject : public PlayerObject<CAudioPlayerObject> {
public:
    AudioPlayerObject(CAVPlayerCallback* callback, NSView* host, const media::AudioRecording& recording)
        : PlayerObject(callback, files(recording), graphFor(recording), host,
                       [](double begin, double end) { media::setLastAudioTrim(begin, end); })
    {
    }

    // Stops playback and frees the player.
    void Release() override { delete this; }
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
    static media::PlaybackEngine::GraphMaker graphFor(const media::AudioRecording& recording)
    {
        return [recording](const media::MediaPipeline&, bool& video, bool& audio) {
            video = false;
            audio = !recording.empty();
            return audio ? media::audioMixGraph(recording, "s16", media::kPlaybackRate, true) : std::string();
        };
    }
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
