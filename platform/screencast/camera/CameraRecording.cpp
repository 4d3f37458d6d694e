#include "CameraRecording.h"

#include "Log.h"
#include "recorder/AudioAlign.h"
#include "recorder/Finisher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/time.h>
#include <libswscale/swscale.h>
}

namespace camera {

namespace {
// Converted pictures waiting for the encoder; a fuller queue drops the picture.
const size_t kQueuedPictures = 8;
// How long the encoding thread waits for a picture before it looks at the sound.
const auto kEncodeWait = std::chrono::milliseconds(20);
const VideoCodec kCodec = VC_H264;
const CodecQuality kQuality = CQ_Medium;
} // namespace

CameraRecording::CameraRecording(CCameraCallback* callback, std::string path, int width, int height, int frameRate)
    : m_callback(callback)
    , m_path(std::move(path))
    , m_progressPath(m_path + ".recording.mp4")
    , m_width(width)
    , m_height(height)
    , m_frameRate(frameRate)
    , m_queue(kQueuedPictures)
{
}

CameraRecording::~CameraRecording()
{
    end(0, false);
    sws_freeContext(m_sws);
}

int CameraRecording::start(const char* microphone)
{
    if (access(m_path.c_str(), F_OK) == 0 || access(m_progressPath.c_str(), F_OK) == 0)
        return SRE_Write;
    if (microphone) {
        m_microphone.reset(new recorder::AudioSource(microphone));
        if (!m_microphone->open()) {
            m_microphone.reset();
            return SRE_AudioDevice;
        }
    }
    const int opened = m_writer.open(m_progressPath, kCodec, kQuality, m_width, m_height, m_frameRate, bool(m_microphone));
    if (opened) {
        std::remove(m_progressPath.c_str());
        m_microphone.reset();
        return opened;
    }
    Log("Screencast", 1, "camera recording %dx%d at %d fps%s into %s", m_width, m_height, m_frameRate,
        m_microphone ? " with sound" : "", m_progressPath.c_str());
    m_startMicros = av_gettime();
    if (m_microphone) {
        m_mixer.reset(new recorder::AudioMixer(1));
        m_microphone->start(
            recorder::AudioAlign::timelineSink(
                m_clock, m_startMicros, m_stopMicros, [this](int count) { m_mixer->pushSilence(0, count); },
                [this](const int16_t* samples, int count) { m_mixer->push(0, samples, count); }),
            // The recording goes on; the sound track ends where the microphone broke off.
            [] { Log("Screencast", 2, "camera recording: the microphone broke off"); });
    }
    m_encodeThread = std::thread(&CameraRecording::encodeLoop, this);
    return 0;
}

double CameraRecording::duration() const
{
    if (!m_startMicros)
        return 0;
    if (m_finalDuration >= 0)
        return m_finalDuration;
    return m_clock.recordedSeconds(m_startMicros, av_gettime());
}

void CameraRecording::pause()
{
    if (!m_ending)
        m_clock.pause(av_gettime());
}

void CameraRecording::resume()
{
    if (!m_ending)
        m_clock.resume(av_gettime());
}

void CameraRecording::addPicture(const AVFrame* picture, int64_t wallMicros)
{
    if (m_ending || m_clock.paused || !m_startMicros)
        return;
    const int64_t micros = m_clock.recordedMicros(m_startMicros, wallMicros);
    if (micros < 0)
        return;
    // The picture's place on the timeline; a camera that delivers early never stacks two
    // pictures on one place.
    const int64_t index = std::max<int64_t>(std::llround(micros * m_frameRate / 1e6), m_lastIndex + 1);
    m_sws = sws_getCachedContext(m_sws, picture->width, picture->height, AVPixelFormat(picture->format), m_width,
                                 m_height, m_writer.pixelFormat(), SWS_BILINEAR, nullptr, nullptr, nullptr);
    AVFrame* frame = av_frame_alloc();
    frame->format = m_writer.pixelFormat();
    frame->width = m_width;
    frame->height = m_height;
    if (!m_sws || av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        ++m_dropped;
        return;
    }
    sws_scale(m_sws, picture->data, picture->linesize, 0, picture->height, frame->data, frame->linesize);
    frame->pts = index;
    if (!m_queue.tryPush(frame)) {
        av_frame_free(&frame);
        ++m_dropped;
        return;
    }
    m_lastIndex = index;
}

bool CameraRecording::drainAudio(AVFrame* frame)
{
    while (av_frame_make_writable(frame) >= 0
           && m_mixer->pull(frame->nb_samples, reinterpret_cast<float*>(frame->data[0]),
                            reinterpret_cast<float*>(frame->data[1]))) {
        frame->pts = m_audioSamples;
        m_audioSamples += frame->nb_samples;
        if (const int error = m_writer.writeAudio(frame)) {
            m_writeError = error;
            return false;
        }
    }
    return true;
}

void CameraRecording::encodeLoop()
{
    AVFrame* audio = nullptr;
    if (m_mixer) {
        audio = av_frame_alloc();
        audio->format = AV_SAMPLE_FMT_FLTP;
        audio->sample_rate = recorder::AudioSource::kSampleRate;
        av_channel_layout_default(&audio->ch_layout, recorder::AudioSource::kChannels);
        audio->nb_samples = m_writer.audioFrameSize();
        if (av_frame_get_buffer(audio, 0) < 0)
            av_frame_free(&audio);
    }
    for (;;) {
        AVFrame* frame = nullptr;
        const bool got = m_queue.pop(frame, kEncodeWait);
        if (got && !m_writeError) {
            if (const int error = m_writer.writeVideo(frame))
                m_writeError = error;
        }
        av_frame_free(&frame);
        if (audio && !m_writeError)
            drainAudio(audio);
        if (m_writeError && !m_ending) // the file cannot grow: end with what it holds
            end(m_writeError);
        if (!got && m_queue.finished())
            break;
    }
    av_frame_free(&audio);
    const int error = m_writer.finish();
    if (error && !m_writeError)
        m_writeError = error;
}

void CameraRecording::end(int error, bool report)
{
    {
        std::lock_guard<std::mutex> lock(m_endMutex);
        if (!report)
            m_report = false;
        if (!m_ending) {
            m_ending = true;
            if (!m_startMicros) { // never started: nothing to finish or report
                m_ended = true;
                return;
            }
            m_finalDuration = duration();
            m_clock.resume(av_gettime());
            m_stopMicros = av_gettime();
            m_finishThread = std::thread(&CameraRecording::finish, this, error);
        }
    }
    if (!report && m_finishThread.joinable() && m_finishThread.get_id() != std::this_thread::get_id())
        m_finishThread.join();
}

void CameraRecording::finish(int error)
{
    if (error) {
        Log("Screencast", 2, "camera recording error %d", error);
        if (m_report && m_callback)
            m_callback->OnRecordError(error);
    }
    m_queue.close();
    if (m_microphone)
        m_microphone->stop(m_stopMicros, recorder::AudioSource::kDrainMs);
    if (m_encodeThread.joinable())
        m_encodeThread.join();
    // Whatever broke off, what reached the file in progress is kept: it becomes the final
    // file when it can, and otherwise stays where it is.
    const bool finished = recorder::Finisher::remux(m_progressPath, m_path, "mov");
    if (finished)
        std::remove(m_progressPath.c_str());
    else
        Log("Screencast", 2, "camera recording: the file in progress stays: %s", m_progressPath.c_str());
    Log("Screencast", 1, "camera recording ended: %s, %.2f s, %lld frames, %lld dropped", finished ? "written" : "failed",
        double(m_finalDuration), static_cast<long long>(m_writer.framesWritten()), static_cast<long long>(m_dropped));
    if (m_report && m_callback)
        m_callback->OnRecordFinished(!finished);
    m_ended = true;
}

} // namespace camera
