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
} // namespace

AudioSource::AudioSource(std::string device) : m_device(std::move(device)) {}

AudioSource::~AudioSource()
{
    stop();
    avformat_close_input(&m_format);
}

bool AudioSource::open()
{
    const AVInputFormat* pulse = av_find_input_format("pulse");
    if (!pulse)
        return false;
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "sample_rate", kSampleRate, 0);
    av_dict_set_int(&options, "channels", kChannels, 0);
    av_dict_set_int(&options, "fragment_size", kSampleRate / kFragmentsPerSecond * kBytesPerFrame, 0);
    av_dict_set(&options, "stream_name", "Screen Recorder", 0);
    const char* name = m_device.empty() ? "default" : m_device.c_str();
    const int opened = avformat_open_input(&m_format, name, pulse, &options);
    av_dict_free(&options);
    if (opened < 0) {
        Log("Screencast", 2, "sound source %s cannot be opened", name);
        m_format = nullptr;
        return false;
    }
    return true;
}

const AVCodecParameters* AudioSource::parameters() const
{
    return m_format && m_format->nb_streams ? m_format->streams[0]->codecpar : nullptr;
}

void AudioSource::start(Sink sink, std::function<void()> onLost)
{
    if (!m_format || m_thread.joinable())
        return;
    m_stop = false;
    m_finished = false;
    m_until = 0;
    m_thread = std::thread(&AudioSource::run, this, std::move(sink), std::move(onLost));
}

void AudioSource::stop(int64_t untilMicros, int waitMs)
{
    if (untilMicros > 0 && m_thread.joinable()) {
        m_until = untilMicros;
        for (int waited = 0; !m_finished && waited < waitMs; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void AudioSource::run(Sink sink, std::function<void()> onLost)
{
    AVPacket* packet = av_packet_alloc();
    while (!m_stop) {
        if (av_read_frame(m_format, packet) < 0) {
            Log("Screencast", 2, "sound source %s broke off", m_device.c_str());
            if (onLost)
                onLost();
            break;
        }
        // The capture time of the first sample: the arrival less the packet's length. (The
        // demuxer's smoothed time stamps lag by seconds when an idle sink wakes up.)
        const int64_t length = int64_t(packet->size / kBytesPerFrame) * 1000000 / kSampleRate;
        const int64_t captured = av_gettime() - length;
        sink(reinterpret_cast<const int16_t*>(packet->data), packet->size / kBytesPerFrame, captured);
        const int64_t until = m_until;
        const bool reached = until > 0 && captured + length >= until;
        av_packet_unref(packet);
        if (reached)
            break;
    }
    m_finished = true;
    av_packet_free(&packet);
}

} // namespace recorder
