#pragma once
// One sound source of the sound server, read through libavdevice's "pulse" input on a
// thread of its own: 48 kHz, stereo, signed 16-bit samples. The monitor of the default
// sink is the system sound; a source name (or the default source) is the microphone.
// The server delivers a newly opened capture only once its sink has played out what it had
// mixed ahead (up to two seconds), so the recorders open their sources when they are made.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    // Starts the reading thread, once. `onLost` is called once on that thread when reading
    // breaks off.
    void start(Sink sink, std::function<void()> onLost);
    // Ends the deliveries: once it returns, neither the sink nor `onLost` is called again.
    // With `untilMicros`, first keeps reading until the samples captured up to that
    // wall-clock time have arrived (the server delivers them with its latency), waiting at
    // most `waitMs`. A read that the server holds back (a source that has not begun to flow,
    // a suspended device) is not waited for: the thread ends on its own when it returns.
    // Controlling thread.
    void stop(int64_t untilMicros = 0, int waitMs = 0);
    // The source's stream, for writing it unchanged (audio-only recordings).
    const AVCodecParameters* parameters() const;
    // True once the source's first sound has arrived, and for a source that will deliver
    // none (not opened or not started, or its reading ended). Any thread once open() and
    // start() have returned.
    bool flowing() const;

private:
    // What the reading thread shares with the source; the thread keeps it while it reads.
    struct Reading {
        ~Reading();
        AVFormatContext* format = nullptr;
        std::mutex gate;     // held while the thread delivers
        bool closed = false; // under `gate`: nothing more is delivered
        std::atomic<bool> finished{false};
        std::atomic<bool> delivered{false}; // the first sound has arrived
        std::atomic<int64_t> until{0};
    };
    static void run(std::shared_ptr<Reading> reading, std::string device, Sink sink, std::function<void()> onLost);

    std::string m_device;
    std::shared_ptr<Reading> m_reading;
    std::thread m_thread;
    bool m_started = false;
};

} // namespace recorder
