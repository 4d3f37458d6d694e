#pragma once
// An audio-only recording: each enabled source is written unchanged (16-bit PCM) into a
// Matroska file of its own in the recording folder, track 0 the system sound, track 1 the
// microphone. Matroska stays readable when the process dies. A stop hands the files over as
// the engine's last audio recording, also after a write error (what was written before it).
// The sources open and flow from the recorder's making, so that the sound from the start
// is there (the server delivers a new capture only after a while); the track files are
// made at the start.

#include "PauseClock.h"
#include "AudioSource.h"
#include "ScRecorder.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

struct AVFormatContext;

namespace recorder {

class AudioRecorder : public CScreenRecorderObject {
public:
    AudioRecorder(CRecoderCallback* callback, const ScAudioOptions& audio, const std::string& folder);

    // Controlling thread.
    void Release() override;
    bool Start() override;
    void Pause() override;
    void Resume() override;
    // Controlling thread or a worker of its own.
    bool Stop() override;
    // Any thread.
    double GetFinishProgress() override { return m_finished ? 1 : 0; }
    double GetDuration() override;
    int64_t GetFileSize() override;
    int64_t GetDroppedFrames() override { return 0; }
    int64_t GetWrittenFrames() override { return 0; }
    const char* GetOutputPath() override;
    bool IsSoundFlowing() override;

    // The file of a track in a folder.
    static std::string trackPath(const std::string& folder, int track);

private:
    struct Track {
        std::string path;
        std::unique_ptr<AudioSource> source;
        AVFormatContext* file = nullptr;
        int64_t samples = 0; // written so far
        std::atomic<int64_t> bytes{0};
        std::mutex mutex;    // guards `file` between the source thread and Stop()
    };

    ~AudioRecorder() override;
    bool openTrack(Track& track);
    void write(Track& track, const int16_t* samples, int count);
    void closeTrack(Track& track);
    void report(int code);

    CRecoderCallback* m_callback;
    std::unique_ptr<Track> m_tracks[2];
    std::atomic<bool> m_running{false};
    PauseClock m_clock;
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_finished{false}; // Stop() closed the tracks
    std::atomic<bool> m_reportedWrite{false};
    std::atomic<int64_t> m_startMicros{0};
    std::atomic<int64_t> m_stopMicros{0}; // sound captured from then on is not recorded
};

} // namespace recorder
