#include "AudioRecorder.h"

#include "AudioAlign.h"
#include "Log.h"
#include "ScAudioRecording.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace recorder {

std::string AudioRecorder::trackPath(const std::string& folder, int track)
{
    return folder + "/AudioTrack" + std::to_string(track) + ".mka";
}

AudioRecorder::AudioRecorder(CRecoderCallback* callback, const ScAudioOptions& audio, const std::string& folder)
    : m_callback(callback)
{
    for (int i = 0; i < 2; ++i) {
        const bool enabled = i == 0 ? audio.systemSound : audio.microphone;
        if (!enabled)
            continue;
        m_tracks[i].reset(new Track);
        m_tracks[i]->path = trackPath(folder, i);
        const char* device = i == 0 ? AudioSource::systemSoundDevice() : audio.microphoneDevice;
        m_tracks[i]->source.reset(new AudioSource(device ? device : ""));
    }
    // The sources open and flow from now on, so that they deliver at once when the recording
    // starts; what they capture before it is not written.
    for (auto& track : m_tracks) {
        if (!track || !track->source->open())
            continue;
        Track* t = track.get();
        t->source->start(AudioAlign::timelineSink(
                             m_clock, m_startMicros, m_stopMicros,
                             [this, t](int count) {
                                 const std::vector<int16_t> zeros(size_t(count) * AudioSource::kChannels, 0);
                                 write(*t, zeros.data(), count);
                             },
                             [this, t](const int16_t* samples, int count) { write(*t, samples, count); }),
                         [this] { report(SRE_AudioDevice); });
    }
}

AudioRecorder::~AudioRecorder()
{
    for (auto& track : m_tracks) {
        if (track) {
            track->source->stop();
            closeTrack(*track);
        }
    }
}

void AudioRecorder::Release()
{
    if (m_running)
        Stop();
    delete this;
}

void AudioRecorder::report(int code)
{
    Log("Screencast", 2, "audio recording error %d", code);
    if (m_callback)
        m_callback->OnRecordError(code);
}

bool AudioRecorder::openTrack(Track& track)
{
    const AVCodecParameters* input = track.source->parameters();
    if (!input || avformat_alloc_output_context2(&track.file, nullptr, "matroska", track.path.c_str()) < 0)
        return false;
    AVStream* stream = avformat_new_stream(track.file, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, input) < 0)
        return false;
    stream->codecpar->codec_tag = 0;
    stream->time_base = AVRational{1, input->sample_rate};
    track.file->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "cluster_time_limit", "500", 0);
    const bool ok = avio_open(&track.file->pb, track.path.c_str(), AVIO_FLAG_WRITE) >= 0
        && avformat_write_header(track.file, &options) >= 0;
    av_dict_free(&options);
    return ok;
}

void AudioRecorder::closeTrack(Track& track)
{
    std::lock_guard<std::mutex> lock(track.mutex);
    if (!track.file)
        return;
    if (track.file->pb) {
        av_write_trailer(track.file);
        avio_closep(&track.file->pb);
    }
    avformat_free_context(track.file);
    track.file = nullptr;
}

void AudioRecorder::write(Track& track, const int16_t* samples, int count)
{
    if (m_clock.paused || count <= 0)
        return;
    std::lock_guard<std::mutex> lock(track.mutex);
    if (!track.file)
        return;
    AVPacket* packet = av_packet_alloc();
    if (av_new_packet(packet, count * AudioSource::kBytesPerFrame) >= 0) {
        memcpy(packet->data, samples, size_t(count) * AudioSource::kBytesPerFrame);
        AVStream* stream = track.file->streams[0];
        const AVRational sampleTime{1, AudioSource::kSampleRate};
        packet->pts = packet->dts = av_rescale_q(track.samples, sampleTime, stream->time_base);
        packet->duration = av_rescale_q(count, sampleTime, stream->time_base);
        packet->stream_index = 0;
        if (av_write_frame(track.file, packet) < 0) {
            if (!m_reportedWrite.exchange(true))
                report(SRE_Write);
        } else {
            track.samples += count;
            track.bytes = avio_tell(track.file->pb);
        }
    }
    av_packet_free(&packet);
}

bool AudioRecorder::Start()
{
    if (m_running || m_stopped)
        return false;
    bool any = false;
    for (auto& track : m_tracks) {
        if (!track)
            continue;
        if (!track->source->parameters() || !openTrack(*track)) {
            report(track->source->parameters() ? SRE_Write : SRE_AudioDevice);
            track->source->stop();
            closeTrack(*track);
            std::remove(track->path.c_str());
            track.reset();
            continue;
        }
        any = true;
    }
    if (!any)
        return false;
    // The sources flow already: from here on what they capture is written.
    m_startMicros = av_gettime();
    m_running = true;
    return true;
}

void AudioRecorder::Pause()
{
    if (m_running)
        m_clock.pause(av_gettime());
}

void AudioRecorder::Resume()
{
    if (m_running)
        m_clock.resume(av_gettime());
}

double AudioRecorder::GetDuration()
{
    int64_t samples = 0;
    for (auto& track : m_tracks)
        if (track)
            samples = std::max(samples, track->samples);
    return double(samples) / AudioSource::kSampleRate;
}

int64_t AudioRecorder::GetFileSize()
{
    int64_t bytes = 0;
    for (auto& track : m_tracks)
        if (track)
            bytes += track->bytes;
    return bytes;
}

bool AudioRecorder::IsSoundFlowing()
{
    return std::all_of(std::begin(m_tracks), std::end(m_tracks),
                       [](const auto& track) { return !track || track->source->flowing(); });
}

const char* AudioRecorder::GetOutputPath()
{
    for (auto& track : m_tracks)
        if (track)
            return track->path.c_str();
    return "";
}

bool AudioRecorder::Stop()
{
    if (!m_running)
        return false;
    if (m_clock.paused)
        Resume();
    m_stopMicros = av_gettime();
    m_running = false;
    m_stopped = true;
    for (auto& track : m_tracks) {
        if (!track)
            continue;
        track->source->stop(m_stopMicros, AudioSource::kDrainMs);
        closeTrack(*track);
    }
    m_finished = true;
    // After a write error (the disk is full) the tracks hold what was written before it.
    if (m_reportedWrite && GetDuration() <= 0)
        return false;
    scSetLastAudioRecording(m_tracks[0] ? m_tracks[0]->path.c_str() : "", m_tracks[1] ? m_tracks[1]->path.c_str() : "");
    return true;
}

} // namespace recorder
