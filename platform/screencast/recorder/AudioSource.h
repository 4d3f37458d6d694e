#pragma once
// One sound source of the sound server, read through libavdevice's "pulse" input on a
// thread of its own: 48 kHz, stereo, signed 16-bit samples. The monitor of the default
// sink is the system sound; a source name (or the default source) is the microphone.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

struct AVFormatContext;
struct AVCodecParameters;

namespace recorder {

class AudioSource {
public:
    // Receives interleaved stereo samples (`count` sample frames) captured at `wallMicros`
    // (the wall clock of the first sample, av_gettime() terms) on the source's thread.
    using Sink = std::function<void(const int16_t* samples, int count, int64_t wallMicros)>;

    // `device` is a source name; empty means the default source. The system sound is
    // systemSoundDevice().
    explicit AudioSource(std::string device);
    ~AudioSource();
    static const char* systemSoundDevice() { return "@DEFAULT_MONITOR@"; }

    // What every source delivers, and what the recordings are written in.
    static constexpr int kSampleRate = 48000;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = 4; // one sample of each channel
    // How long a stop waits for the sound captured before it (the server's latency).
    static constexpr int kDrainMs = 3000;

    // Opens the source. Returns false when it cannot be opened. Controlling thread.
    bool open();
    // Starts the reading thread. `onLost` is called once on that thread when reading breaks off.
    void start(Sink sink, std::function<void()> onLost);
    // Stops and joins the reading thread. With `untilMicros`, first keeps reading until the
    // samples captured up to that wall-clock time have arrived (the server delivers them
    // with its latency), waiting at most `waitMs`. Controlling thread.
    void stop(int64_t untilMicros = 0, int waitMs = 0);
    // The source's stream, for writing it unchanged (audio-only recordings).
    const AVCodecParameters* parameters() const;

private:
    void run(Sink sink, std::function<void()> onLost);

    std::string m_device;
    AVFormatContext* m_format = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int64_t> m_until{0};
};

} // namespace recorder
