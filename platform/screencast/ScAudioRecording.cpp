#include "ScAudioRecording.h"
#include "ScEngine.h"
#include "media/AudioConvert.h"
#include "media/AudioRecordingState.h"
#include "media/WorkerJob.h"

#include "Log.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace media {
namespace {
std::mutex g_mutex;
AudioRecording g_recording;
} // namespace

AudioRecording lastAudioRecording()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_recording;
}

void setLastAudioVolume(int track, float volume)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (track == 0 || track == 1)
        g_recording.volumes[track] = std::clamp(volume, 0.0f, 4.0f);
}

void setLastAudioTrim(double begin, double end)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_recording.trimBegin = begin;
    g_recording.trimEnd = end;
}
} // namespace media

void scSetLastAudioRecording(const char* systemSoundTrack, const char* microphoneTrack)
{
    media::AudioRecording recording;
    recording.tracks[0] = systemSoundTrack ? systemSoundTrack : "";
    recording.tracks[1] = microphoneTrack ? microphoneTrack : "";
    std::lock_guard<std::mutex> lock(media::g_mutex);
    media::g_recording = recording;
    Log("Screencast", 1, "last audio recording: '%s', '%s'", recording.tracks[0].c_str(), recording.tracks[1].c_str());
}

double scGetLastAudioDuration()
{
    const media::AudioRecording recording = media::lastAudioRecording();
    double longest = 0;
    for (const std::string& track : recording.tracks) {
        double seconds = 0;
        if (!track.empty() && scGetMediaInfo(track.c_str(), &seconds, nullptr, nullptr))
            longest = std::max(longest, seconds);
    }
    return longest;
}

void DeleteAudioRecordTempFiles()
{
    media::AudioRecording recording;
    {
        std::lock_guard<std::mutex> lock(media::g_mutex);
        recording = media::g_recording;
        media::g_recording = media::AudioRecording();
    }
    for (const std::string& track : recording.tracks) {
        if (!track.empty())
            std::remove(track.c_str());
    }
}

namespace {
class AudioConvertObject : public CAudioConvertObject {
public:
    AudioConvertObject(CAudioConvertCallback* callback, media::AudioConvertRequest request)
    {
        m_job.start([request](media::WorkerJob& job) {
            std::string error;
            const bool ok = media::runAudioConvert(request, job, error);
            if (!ok)
                Log("Screencast", 2, "audio conversion to %s failed: %s", request.target.c_str(), error.c_str());
            return ok;
        },
                    [callback](bool ok) { callback->OnComplete(ok ? 0 : 1); });
    }
    // Stops the conversion (no report follows) and frees the object.
    void Release() override
    {
        m_job.cancel();
        delete this;
    }
    double GetProgress() override { return m_job.progress(); }

private:
    media::WorkerJob m_job;
};
} // namespace

CBasePtr<CAudioConvertObject> scAudioConvert(CAudioConvertCallback* callback, const char* path,
                                             OutputAudioFileType type, CodecQuality quality)
{
    if (!callback || !path || !*path)
        return CBasePtr<CAudioConvertObject>();
    media::AudioConvertRequest request;
    request.recording = media::lastAudioRecording();
    request.target = path;
    request.type = type;
    request.quality = quality;
    return CBasePtr<CAudioConvertObject>(new AudioConvertObject(callback, request));
}
