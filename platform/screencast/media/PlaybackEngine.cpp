#include "PlaybackEngine.h"
#include "AudioRing.h"

#include "Log.h"

#include <algorithm>

extern "C" {
#include <libavfilter/buffersink.h>
}

namespace media {

namespace {
const double kSoundLead = 0.25; // seconds of sound queued ahead of the clock
}

PlaybackEngine::PlaybackEngine(std::vector<InputFile> files, GraphMaker graph, Listener listener, AudioRing* sound)
    : m_files(std::move(files)), m_graphMaker(std::move(graph)), m_listener(std::move(listener)), m_sound(sound)
{
}

PlaybackEngine::~PlaybackEngine()
{
    stop();
}

void PlaybackEngine::start()
{
    m_clockStart = std::chrono::steady_clock::now();
    m_thread = std::thread([this] { run(); });
}

void PlaybackEngine::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_pipeline.abort();
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

double PlaybackEngine::clockNow() const
{
    if (m_paused || m_ended)
        return m_clockBase;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_clockStart;
    return m_clockBase + elapsed.count();
}

double PlaybackEngine::position() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const double d = m_duration.load();
    const double now = m_seekRequested ? m_seekTarget : clockNow();
    return d > 0 ? std::clamp(now, 0.0, d) : std::max(0.0, now);
}

QImage PlaybackEngine::frame() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frame;
}

void PlaybackEngine::pause()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_paused)
        return;
    m_clockBase = clockNow();
    m_paused = true;
}

void PlaybackEngine::resume()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_paused && !m_ended)
            return;
        if (m_ended) {
            m_seekRequested = true;
            m_seekTarget = 0;
        }
        m_clockStart = std::chrono::steady_clock::now();
        m_paused = false;
    }
    m_wake.notify_all();
}

void PlaybackEngine::seek(double seconds)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const double d = m_duration.load();
        m_seekTarget = std::max(0.0, d > 0 ? std::min(seconds, d) : seconds);
        m_seekRequested = true;
    }
    m_wake.notify_all();
}

void PlaybackEngine::sendCommand(const std::string& target, const std::string& command, const std::string& argument)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_commands.push_back({target, command, argument});
    }
    m_wake.notify_all();
}

bool PlaybackEngine::openMedia()
{
    std::string error;
    if (!m_pipeline.open(m_files, error)) {
        Log("Screencast", 2, "player: %s", error.c_str());
        return false;
    }
    bool video = false;
    bool audio = false;
    const std::string graph = m_graphMaker(m_pipeline, video, audio);
    std::vector<std::string> outputs;
    if (video)
        outputs.push_back("vout");
    if (audio)
        outputs.push_back("aout");
    if (outputs.empty() || !m_pipeline.buildGraph(graph, outputs, error)) {
        Log("Screencast", 2, "player: %s", error.empty() ? "nothing to play" : error.c_str());
        return false;
    }
    m_duration = m_pipeline.duration();
    m_hasVideo = video;
    return true;
}

// Handles stop, seek and filter commands; false when the thread should end.
bool PlaybackEngine::handleRequests()
{
    std::vector<std::array<std::string, 3>> commands;
    double target = -1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop)
            return false;
        commands.swap(m_commands);
        if (m_seekRequested)
            target = m_seekTarget;
    }
    for (const auto& c : commands)
        m_pipeline.sendCommand(c[0].c_str(), c[1].c_str(), c[2].c_str());
    if (target >= 0) {
        std::string error;
        if (!m_pipeline.seek(target, target, error))
            Log("Screencast", 2, "player: seek failed: %s", error.c_str());
        if (m_sound)
            m_sound->clear();
        std::lock_guard<std::mutex> lock(m_mutex);
        // A newer seek may have arrived meanwhile; it is handled on the next round.
        if (m_seekTarget == target)
            m_seekRequested = false;
        m_clockBase = target;
        m_clockStart = std::chrono::steady_clock::now();
        m_ended = false;
        m_showNext = true;
    }
    return true;
}

// Waits until the clock reaches `seconds`; false when a stop or seek cuts the wait short.
bool PlaybackEngine::waitUntil(double seconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_stop || m_seekRequested)
            return false;
        if (!m_commands.empty()) {
            // Volume changes take effect while waiting (the graph belongs to this thread).
            std::vector<std::array<std::string, 3>> commands;
            commands.swap(m_commands);
            lock.unlock();
            for (const auto& c : commands)
                m_pipeline.sendCommand(c[0].c_str(), c[1].c_str(), c[2].c_str());
            lock.lock();
            continue;
        }
        const double left = seconds - clockNow();
        if (!m_paused && left <= 0)
            return true;
        const double step = m_paused ? 0.1 : std::min(left, 0.02);
        m_wake.wait_for(lock, std::chrono::duration<double>(step));
    }
}

void PlaybackEngine::publish(AVFrame* frame)
{
    QImage image(frame->data[0], frame->width, frame->height, frame->linesize[0], QImage::Format_RGB32);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frame = image.copy();
    }
    if (m_listener.frameReady)
        m_listener.frameReady();
}

void PlaybackEngine::run()
{
    const bool ok = openMedia();
    m_open = ok;
    if (m_listener.opened)
        m_listener.opened(ok);
    if (!ok)
        return;
    AVFrame* frame = av_frame_alloc();
    while (handleRequests()) {
        bool idle;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            idle = m_ended || (m_paused && !m_showNext);
        }
        if (idle) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(100));
            continue;
        }
        const int index = m_pipeline.next(frame);
        if (index < 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_clockBase = m_duration;
            m_ended = true;
            m_paused = true;
            continue;
        }
        AVFilterContext* sink = m_pipeline.sink(index);
        const bool video = av_buffersink_get_type(sink) == AVMEDIA_TYPE_VIDEO;
        const double seconds = double(frame->pts) * av_q2d(av_buffersink_get_time_base(sink));
        if (video) {
            bool now;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                now = m_showNext;
                m_showNext = false;
            }
            if (now || waitUntil(seconds))
                publish(frame);
        } else {
            bool drop = false;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                // While paused after a seek, sound is skipped until the picture is there.
                drop = m_hasVideo && m_showNext;
                if (!m_hasVideo)
                    m_showNext = false;
            }
            if (!drop && waitUntil(seconds - kSoundLead) && m_sound)
                m_sound->append(reinterpret_cast<const char*>(frame->data[0]),
                                qint64(frame->nb_samples) * kPlaybackFrameBytes);
        }
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
}

} // namespace media
