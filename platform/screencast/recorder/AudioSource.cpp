#include "AudioSource.h"

#include "Log.h"

#include <chrono>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace recorder {

namespace {
// The server hands sound over in pieces of 20 ms.
const int kFragmentsPerSecond = 50;
// How often a stop looks whether the reading has ended.
const int kPollMs = 10;
// How long a stop gives a reading thread to see it: a flowing source returns a read within a
// piece of sound.
const int kReadEndMs = 200;

// Waits up to `ms` for `done`.
void waitFor(const std::atomic<bool>& done, int ms)
{
    for (int waited = 0; !done && waited < ms; waited += kPollMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
}
} // namespace

AudioSource::Reading::~Reading() { avformat_close_input(&format); }

AudioSource::AudioSource(std::string device) : m_device(std::move(device)) {}

AudioSource::~AudioSource() { stop(); }

bool AudioSource::open()
{
    const AVInputFormat* pulse = av_find_input_format("pulse");
    if (!pulse || m_reading)
        return false;
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "sample_rate", kSampleRate, 0);
    av_dict_set_int(&options, "channels", kChannels, 0);
    av_dict_set_int(&options, "fragment_size", kSampleRate / kFragmentsPerSecond * kBytesPerFrame, 0);
    av_dict_set(&options, "stream_name", "Screen Recorder", 0);
    const char* name = m_device.empty() ? "default" : m_device.c_str();
    AVFormatContext* format = nullptr;
    const int opened = avformat_open_input(&format, name, pulse, &options);
    av_dict_free(&options);
    if (opened < 0) {
        Log("Screencast", 2, "sound source %s cannot be opened", name);
        return false;
    }
    m_reading = std::make_shared<Reading>();
    m_reading->format = format;
    return true;
}

const AVCodecParameters* AudioSource::parameters() const
{
    return m_reading && m_reading->format->nb_streams ? m_reading->format->streams[0]->codecpar : nullptr;
}

bool AudioSource::flowing() const
{
    return !m_started || m_reading->delivered || m_reading->finished;
}

void AudioSource::start(Sink sink, std::function<void()> onLost)
{
    if (!m_reading || m_started)
        return;
    m_started = true;
    m_thread = std::thread(&AudioSource::run, m_reading, m_device, std::move(sink), std::move(onLost));
}

void AudioSource::stop(int64_t untilMicros, int waitMs)
{
    if (!m_thread.joinable())
        return;
    if (untilMicros > 0) {
        m_reading->until = untilMicros;
        waitFor(m_reading->finished, waitMs);
    }
    {
        std::lock_guard<std::mutex> lock(m_reading->gate);
        m_reading->closed = true;
    }
    waitFor(m_reading->finished, kReadEndMs);
    if (m_reading->finished)
        m_thread.join();
    else
        m_thread.detach(); // it owns its share of the reading
}

void AudioSource::run(std::shared_ptr<Reading> reading, std::string device, Sink sink, std::function<void()> onLost)
{
    AVPacket* packet = av_packet_alloc();
    for (;;) {
        const bool read = av_read_frame(reading->format, packet) >= 0;
        std::lock_guard<std::mutex> lock(reading->gate);
        if (reading->closed)
            break;
        if (!read) {
            Log("Screencast", 2, "sound source %s broke off", device.c_str());
            if (onLost)
                onLost();
            break;
        }
        reading->delivered = true;
        // The capture time of the first sample: the arrival less the packet's length. (The
        // demuxer's smoothed time stamps lag by seconds when an idle sink wakes up.)
        const int64_t length = int64_t(packet->size / kBytesPerFrame) * 1000000 / kSampleRate;
        const int64_t captured = av_gettime() - length;
        sink(reinterpret_cast<const int16_t*>(packet->data), packet->size / kBytesPerFrame, captured);
        const int64_t until = reading->until;
        const bool reached = until > 0 && captured + length >= until;
        av_packet_unref(packet);
        if (reached)
            break;
    }
    av_packet_free(&packet);
    reading->finished = true;
}

} // namespace recorder
