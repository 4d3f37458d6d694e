#include "VideoRecorder.h"

#include "AreaDrag.h"
#include "KeepOut.h"
#include "AudioAlign.h"
#include "Finisher.h"
#include "FrameConverter.h"
#include "Log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/time.h>
}

namespace recorder {

namespace {
// Captured frames are BGRA, as the X server delivers them.
const int kBytesPerPixel = 4;
// What each queue may hold: a few frames of slack, fewer of a very large picture. Captured
// frames leave their queue within a conversion; converted ones (a third of the size) wait
// out the encoder's slow moments, so they get the larger share: at 3840x2160, two captured
// and five converted frames.
const size_t kQueueFrames = 8;
const size_t kRawQueueBytes = size_t(72) << 20;
const size_t kFrameQueueBytes = size_t(72) << 20;
// How long the screen's picture may still hold a window the server has hidden: until the
// compositor, or the windows that were beneath it, have painted the place again.
const int64_t kRepaintGraceMicros = 150000;

XRectI unite(const XRectI& a, const XRectI& b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    const int x = std::min(a.x, b.x);
    const int y = std::min(a.y, b.y);
    return XRectI{x, y, std::max(a.x + a.w, b.x + b.w) - x, std::max(a.y + a.h, b.y + b.h) - y};
}

XRectI intersect(const XRectI& a, const XRectI& b)
{
    const int x = std::max(a.x, b.x);
    const int y = std::max(a.y, b.y);
    return XRectI{x, y, std::min(a.x + a.w, b.x + b.w) - x, std::min(a.y + a.h, b.y + b.h) - y};
}
} // namespace

std::string VideoRecorder::progressPath(const std::string& outputPath, VideoCodec codec)
{
    return outputPath + ".recording." + EncoderSettingsFor::progressMuxer(codec);
}

VideoRecorder::VideoRecorder(CRecoderCallback* callback, const ScVideoOptions& video, const ScMouseOptions& mouse,
                             const ScAudioOptions& audio, const std::string& outputPath)
    : m_callback(callback)
    , m_video(video)
    , m_outputPath(outputPath)
    , m_watermark(WatermarkStore::current())
    , m_rawQueue(kQueueFrames, kRawQueueBytes)
    , m_frameQueue(kQueueFrames, kFrameQueueBytes)
{
    if (video.windows && video.windowCount > 0)
        m_windows.assign(video.windows, video.windows + video.windowCount);
    m_video.windows = nullptr;
    m_video.windowCount = 0;
    if (video.ownWindows && video.ownWindowCount > 0)
        m_ownWindows.assign(video.ownWindows, video.ownWindows + video.ownWindowCount);
    m_video.ownWindows = nullptr;
    m_video.ownWindowCount = 0;
    if (video.frameWindows && video.frameWindowCount > 0)
        m_frameWindows.assign(video.frameWindows, video.frameWindows + video.frameWindowCount);
    m_video.frameWindows = nullptr;
    m_video.frameWindowCount = 0;
    m_video.frameRate = std::clamp(video.frameRate, 1, 120);
    m_mouse.clickMode = mouse.clickMode;
    m_mouse.clickColor = mouse.clickColor;
    m_mouse.normalColor = mouse.normalColor;
    m_mouse.indicate = mouse.indicate;
    // A GIF carries no sound.
    if (video.container != OVFT_GIF) {
        if (audio.systemSound)
            m_sources.emplace_back(new AudioSource(AudioSource::systemSoundDevice()));
        if (audio.microphone)
            m_sources.emplace_back(new AudioSource(audio.microphoneDevice ? audio.microphoneDevice : ""));
    }
    m_progressPath = progressPath(outputPath, video.container == OVFT_GIF ? VC_GIF : video.codec);
    openSources();
}

void VideoRecorder::openSources()
{
    for (auto it = m_sources.begin(); it != m_sources.end();) {
        if ((*it)->open()) {
            ++it;
        } else {
            ++m_unopenedSources;
            it = m_sources.erase(it);
        }
    }
    for (size_t i = 0; i < m_sources.size(); ++i) {
        const int index = int(i);
        m_sources[i]->start(
            AudioAlign::timelineSink(
                m_clock, m_startMicros, m_stopMicros, [this, index](int count) { m_mixer->pushSilence(index, count); },
                [this, index](const int16_t* samples, int count) { m_mixer->push(index, samples, count); }),
            [this] { report(SRE_AudioDevice); });
    }
}

bool VideoRecorder::IsSoundFlowing()
{
    return std::all_of(m_sources.begin(), m_sources.end(), [](const auto& source) { return source->flowing(); });
}

VideoRecorder::~VideoRecorder() { stopThreads(); }

void VideoRecorder::Release()
{
    if (m_running)
        Stop();
    delete this;
}

bool VideoRecorder::prepareArea(XDisplayProbe& probe)
{
    m_screenW = probe.screenWidth();
    m_screenH = probe.screenHeight();
    XRectI area;
    if (m_video.windowMode == SWM_Single || m_video.windowMode == SWM_Multiple) {
        const std::vector<XRectI> rects = probe.windowRects(m_windows);
        for (const XRectI& r : rects) {
            area = unite(area, r);
            if (m_video.windowMode == SWM_Single)
                break;
        }
    } else {
        area = XRectI{int(std::floor(m_video.rect.left)), int(std::floor(m_video.rect.top)), int(m_video.rect.width()),
                      int(m_video.rect.height())};
        if (m_video.followMouse) // the area's size matters, the pointer gives its place
            area = XRectI{0, 0, std::min(area.w, m_screenW), std::min(area.h, m_screenH)};
    }
    area = intersect(area, XRectI{0, 0, m_screenW, m_screenH});
    if (EncoderSettingsFor::video(m_video.container == OVFT_GIF ? VC_GIF : m_video.codec, m_video.quality).evenSize) {
        area.w &= ~1;
        area.h &= ~1;
    }
    m_area = area;
    int x = 0;
    int y = 0;
    bool down = false;
    if (m_video.followMouse && probe.pointer(&x, &y, &down))
        m_area = centredOn(x, y);
    return area.w >= 2 && area.h >= 2;
}

XRectI VideoRecorder::centredOn(int x, int y) const
{
    return XRectI{std::clamp(x - m_area.w / 2, 0, std::max(0, m_screenW - m_area.w)),
                  std::clamp(y - m_area.h / 2, 0, std::max(0, m_screenH - m_area.h)), m_area.w, m_area.h};
}

bool VideoRecorder::Start()
{
    if (m_running || m_stopped)
        return false;
    XDisplayProbe probe;
    if (!probe.isOpen() || !prepareArea(probe)) {
        Log("Screencast", 2, "nothing to record: no display or an empty area");
        report(SRE_CaptureOpen);
        return false;
    }
    ScreenCapture::Settings settings;
    settings.x = m_area.x;
    settings.y = m_area.y;
    settings.width = m_area.w;
    settings.height = m_area.h;
    settings.frameRate = m_video.frameRate;
    settings.drawCursor = m_video.drawCursor;
    if (!m_capture.open(settings)) {
        report(SRE_CaptureOpen);
        return false;
    }
    for (int i = 0; i < m_unopenedSources; ++i)
        report(SRE_AudioDevice);
    const VideoCodec codec = m_video.container == OVFT_GIF ? VC_GIF : m_video.codec;
    const int opened = m_writer.open(m_progressPath, codec, m_video.quality, m_area.w, m_area.h, m_video.frameRate,
                                     !m_sources.empty());
    if (opened) {
        report(opened);
        std::remove(m_progressPath.c_str());
        return false;
    }
    m_mixer.reset(new AudioMixer(int(m_sources.size())));
    Log("Screencast", 1, "recording %dx%d at %d,%d, %d fps, codec %d into %s", m_area.w, m_area.h, m_area.x, m_area.y,
        m_video.frameRate, int(codec), m_progressPath.c_str());

    // The sound sources flow already: from here on what they capture goes into the mixer.
    m_startMicros = av_gettime();
    m_running = true;
    m_encodeThread = std::thread(&VideoRecorder::encodeLoop, this);
    m_convertThread = std::thread(&VideoRecorder::convertLoop, this);
    m_captureThread = std::thread(&VideoRecorder::captureLoop, this);
    return true;
}

void VideoRecorder::Pause()
{
    if (m_running)
        m_clock.pause(av_gettime());
}

void VideoRecorder::Resume()
{
    if (m_running)
        m_clock.resume(av_gettime());
}

double VideoRecorder::GetDuration()
{
    if (!m_startMicros)
        return 0;
    if (m_finalDuration >= 0)
        return m_finalDuration;
    return m_clock.recordedSeconds(m_startMicros, av_gettime());
}

int64_t VideoRecorder::GetFileSize() { return m_writer.bytesWritten(); }
int64_t VideoRecorder::GetDroppedFrames() { return m_dropped; }
int64_t VideoRecorder::GetWrittenFrames() { return m_writer.framesWritten(); }
const char* VideoRecorder::GetOutputPath() { return m_handedOver ? m_handedPath.c_str() : m_outputPath.c_str(); }

void VideoRecorder::report(int code)
{
    std::lock_guard<std::mutex> lock(m_reportMutex);
    int expected = 0;
    m_firstError.compare_exchange_strong(expected, code);
    Log("Screencast", 2, "recording error %d", code);
    if (m_callback)
        m_callback->OnRecordError(code);
}

void VideoRecorder::captureLoop()
{
    XDisplayProbe probe;
    const bool follow = m_video.windowMode == SWM_Single && !m_windows.empty();
    const bool byRect = m_video.windowMode != SWM_Single && m_video.windowMode != SWM_Multiple;
    const bool aroundMouse = m_video.followMouse && byRect;
    const bool draggable = m_video.ctrlMovesArea && byRect && !m_video.followMouse;
    // An area the mouse moves stays clear of the program's frame around it.
    const bool keepsOut = (aroundMouse || draggable) && !m_frameWindows.empty();
    KeepOut keepOut(kRepaintGraceMicros);
    const auto clearOfFrame = [&](const XRectI& area) {
        if (!keepsOut)
            return true;
        keepOut.see(probe.shownFrameRects(m_frameWindows), av_gettime());
        return keepOut.clear(area, av_gettime());
    };
    AreaDrag drag(m_area.x, m_area.y, m_area.w, m_area.h, m_screenW, m_screenH);
    XRectI followed = m_area;
    XRectI grabbed = m_area; // where the next frame is taken
    // Where the area was last reported; none yet for an area that follows the mouse.
    XRectI reported = m_video.followMouse ? XRectI{} : m_area;
    bool windowLost = false;
    int64_t lastIndex = -1;
    const double fps = m_video.frameRate;
    while (!m_stopping) {
        if (follow && !windowLost) {
            XRectI now;
            if (!probe.windowRect(m_windows.front(), &now)) {
                windowLost = true;
                report(SRE_WindowLost);
            } else if (now.x != followed.x || now.y != followed.y) {
                followed = now;
                m_capture.moveTo(now.x, now.y, m_screenW, m_screenH);
                reportArea(now.x, now.y, &reported);
            }
        }
        if (aroundMouse || draggable) {
            int px = 0;
            int py = 0;
            bool down = false;
            bool ctrl = false;
            if (probe.pointer(&px, &py, &down, &ctrl)) {
                if (aroundMouse)
                    followed = centredOn(px, py);
                else if (drag.step(px, py, ctrl))
                    followed = XRectI{drag.x(), drag.y(), m_area.w, m_area.h};
            }
            // Told where it goes before it gets there: the frame around it is taken away.
            reportArea(followed.x, followed.y, &reported);
            if ((followed.x != grabbed.x || followed.y != grabbed.y) && clearOfFrame(followed)) {
                grabbed = followed;
                m_capture.moveTo(grabbed.x, grabbed.y, m_screenW, m_screenH);
            }
        }
        RawFrame raw;
        raw.packet = av_packet_alloc();
        if (!m_capture.read(raw.packet, &raw.originX, &raw.originY)) {
            av_packet_free(&raw.packet);
            if (!m_stopping)
                report(SRE_CaptureLost);
            break;
        }
        if (!follow && !aroundMouse && !draggable)
            reportArea(raw.originX, raw.originY, &reported);
        // The frame came up while this one was taken: it may be in it.
        if (m_clock.paused || !clearOfFrame(XRectI{raw.originX, raw.originY, m_area.w, m_area.h})) {
            av_packet_free(&raw.packet);
            continue;
        }
        // x11grab stamps frames with the wall clock in microseconds.
        int64_t index = std::llround(m_clock.recordedMicros(m_startMicros, raw.packet->pts) * fps / 1e6);
        index = std::max(index, lastIndex + 1);
        lastIndex = index;
        raw.index = index;
        raw.timeMs = raw.packet->pts / 1000;
        if (!m_rawQueue.tryPush(raw, size_t(raw.packet->size))) {
            av_packet_free(&raw.packet);
            ++m_dropped;
        }
    }
    m_rawQueue.close();
}

void VideoRecorder::reportArea(int x, int y, XRectI* reported)
{
    if (!reported->empty() && reported->x == x && reported->y == y)
        return;
    *reported = XRectI{x, y, m_area.w, m_area.h};
    if (m_callback)
        m_callback->OnRecordRectChanged(CRect(x, y, x + m_area.w, y + m_area.h));
}

void VideoRecorder::decorate(RawFrame& raw, XDisplayProbe& probe, MouseEffects& effects)
{
    BgraFrame frame{raw.packet->data, m_area.w * kBytesPerPixel, m_area.w, m_area.h};
    // Window areas on the screen, moved into this frame, whose origin is where it was taken.
    const auto inFrame = [&raw](std::vector<XRectI> rects) {
        for (XRectI& r : rects) {
            r.x -= raw.originX;
            r.y -= raw.originY;
        }
        return rects;
    };
    if (m_video.windowMode == SWM_Multiple || m_video.windowMode == SWM_Exclude) {
        // An excluded window goes with its frame; the chosen windows are recorded without theirs.
        const std::vector<XRectI> rects
            = inFrame(m_video.windowMode == SWM_Exclude ? probe.frameRects(m_windows) : probe.windowRects(m_windows));
        if (m_video.windowMode == SWM_Multiple)
            FrameDecorator::blackOutside(frame, rects);
        else
            FrameDecorator::blackOut(frame, rects);
    }
    if (!m_ownWindows.empty())
        FrameDecorator::blackOut(frame, inFrame(probe.shownFrameRects(m_ownWindows)));
    if (m_mouse.indicate || m_mouse.clickMode) {
        int x = 0;
        int y = 0;
        bool down = false;
        if (probe.pointer(&x, &y, &down))
            effects.draw(frame, x - raw.originX, y - raw.originY, down, raw.timeMs);
    }
    if (m_watermark)
        FrameDecorator::drawWatermark(frame, *m_watermark);
}

void VideoRecorder::convertLoop()
{
    XDisplayProbe probe;
    MouseEffects effects(m_mouse);
    FrameConverter converter(m_area.w, m_area.h, m_writer.pixelFormat());
    const int stride = m_area.w * kBytesPerPixel;
    const int frameBytes = stride * m_area.h;
    RawFrame raw;
    for (;;) {
        if (!m_rawQueue.pop(raw, std::chrono::milliseconds(50))) {
            if (m_rawQueue.finished())
                break;
            continue;
        }
        AVFrame* frame = nullptr;
        if (raw.packet->size >= frameBytes && av_packet_make_writable(raw.packet) >= 0) {
            decorate(raw, probe, effects);
            frame = converter.convert(raw.packet->data, stride, raw.packet->buf);
            if (frame)
                frame->pts = raw.index;
        }
        av_packet_free(&raw.packet);
        if (!frame || !m_frameQueue.tryPush(frame, size_t(converter.frameBytes()))) {
            av_frame_free(&frame);
            ++m_dropped;
        }
    }
    m_frameQueue.close();
}

bool VideoRecorder::drainAudio(AVFrame* frame)
{
    if (!frame)
        return true;
    while (av_frame_make_writable(frame) >= 0
           && m_mixer->pull(frame->nb_samples, reinterpret_cast<float*>(frame->data[0]),
                            reinterpret_cast<float*>(frame->data[1]))) {
        frame->pts = m_audioSamples;
        m_audioSamples += frame->nb_samples;
        if (canWrite()) {
            const int error = m_writer.writeAudio(frame);
            if (error) {
                report(error);
                return false;
            }
        }
    }
    return true;
}

bool VideoRecorder::canWrite() const
{
    // A lost sound source or window leaves the file intact; any other error ends the writing.
    const int error = m_firstError;
    return error == 0 || error == SRE_AudioDevice || error == SRE_WindowLost;
}

void VideoRecorder::encodeLoop()
{
    AVFrame* audio = nullptr;
    if (!m_sources.empty()) {
        audio = av_frame_alloc();
        audio->format = AV_SAMPLE_FMT_FLTP;
        audio->sample_rate = AudioSource::kSampleRate;
        av_channel_layout_default(&audio->ch_layout, AudioSource::kChannels);
        audio->nb_samples = m_writer.audioFrameSize();
        if (av_frame_get_buffer(audio, 0) < 0)
            av_frame_free(&audio);
    }
    for (;;) {
        AVFrame* frame = nullptr;
        const bool got = m_frameQueue.pop(frame, std::chrono::milliseconds(20));
        if (got) {
            if (canWrite()) {
                const int error = m_writer.writeVideo(frame);
                if (error)
                    report(error);
            }
            av_frame_free(&frame);
        }
        if (canWrite())
            drainAudio(audio);
        if (!got && m_frameQueue.finished())
            break;
    }
    av_frame_free(&audio);
    const int error = m_writer.finish();
    if (error && canWrite())
        report(error);
}

void VideoRecorder::stopThreads()
{
    m_stopping = true;
    if (m_captureThread.joinable())
        m_captureThread.join();
    m_rawQueue.close();
    for (auto& source : m_sources)
        source->stop(m_stopMicros, AudioSource::kDrainMs);
    if (m_convertThread.joinable())
        m_convertThread.join();
    m_frameQueue.close();
    if (m_encodeThread.joinable())
        m_encodeThread.join();
}

bool VideoRecorder::Stop()
{
    if (!m_running)
        return false;
    m_finalDuration = GetDuration();
    if (m_clock.paused)
        Resume();
    m_stopMicros = av_gettime();
    stopThreads();
    m_running = false;
    m_stopped = true;
    // Whatever went wrong on the way (reported already), what reached the file in progress
    // is kept: it becomes the final file when it can, and otherwise stays where it is.
    Finisher::Report finishing;
    finishing.progress = [this](double share) { m_finishProgress = share; };
    bool finished = m_video.container == OVFT_GIF
        ? Finisher::toGif(m_progressPath, m_outputPath, EncoderSettingsFor::gifColours(m_video.quality), &finishing)
        : Finisher::remux(m_progressPath, m_outputPath, EncoderSettingsFor::finalMuxer(m_video.container),
                           EncoderSettingsFor::finalBrand(m_video.container), &finishing);
    if (!finished && finishing.noSpace)
        finished = handOverProgressFile();
    m_finishProgress = 1;
    if (!finished) {
        Log("Screencast", 2, "the file in progress stays: %s", m_progressPath.c_str());
        report(SRE_Finish);
        return false;
    }
    if (!m_handedOver)
        std::remove(m_progressPath.c_str());
    Log("Screencast", 1, "recording written: %s (%lld frames, %lld dropped)", GetOutputPath(),
        static_cast<long long>(GetWrittenFrames()), static_cast<long long>(GetDroppedFrames()));
    return true;
}

bool VideoRecorder::handOverProgressFile()
{
    // The file in progress plays as it is. A GIF's is a video of its own kind and keeps
    // that kind's suffix.
    std::string target = m_outputPath;
    if (m_video.container == OVFT_GIF) {
        const std::string::size_type dot = target.rfind('.');
        if (dot != std::string::npos && target.find('/', dot) == std::string::npos)
            target.erase(dot);
        target += ".mp4";
    }
    if (access(target.c_str(), F_OK) == 0 || std::rename(m_progressPath.c_str(), target.c_str()) != 0) {
        Log("Screencast", 2, "the file in progress could not take the place of the final file");
        return false;
    }
    m_handedPath = target;
    m_handedOver = true;
    Log("Screencast", 2, "no space for the final file: the file in progress is the result: %s", target.c_str());
    return true;
}

} // namespace recorder
