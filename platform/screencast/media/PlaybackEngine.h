#pragma once
// Plays media on its own thread: decodes through a MediaPipeline, paces pictures by a
// clock, hands pictures to the view and sound to an AudioRing.
//
// Threads: the owner (GUI thread) calls start, stop, pause, resume, seek, sendCommand;
// the getters may be called from any thread. The listener is called
// on the playback thread and never after stop() has returned.

#include "MediaPipeline.h"

#include <QImage>
#include <array>
#include <chrono>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace media {

class AudioRing;

class PlaybackEngine {
public:
    struct Listener {
        // The media opened (`ok`) or cannot be played.
        std::function<void(bool ok)> opened;
        // A new picture is ready in frame().
        std::function<void()> frameReady;
    };
    // Builds the filter graph once the files are open; "[vout]" (BGRA) and/or "[aout]"
    // (s16, 48 kHz, stereo) are the outputs it may name.
    using GraphMaker = std::function<std::string(const MediaPipeline& pipeline, bool& video, bool& audio)>;

    PlaybackEngine(std::vector<InputFile> files, GraphMaker graph, Listener listener, AudioRing* sound);
    ~PlaybackEngine();

    void start();
    void stop();
    void pause();
    // Continues; from the start when the end was reached.
    void resume();
    void seek(double seconds);
    // Sends a filter option change (e.g. a track volume) to the graph.
    void sendCommand(const std::string& target, const std::string& command, const std::string& argument);

    bool isPaused() const { return m_paused.load(); }
    bool isOpen() const { return m_open.load(); }
    double duration() const { return m_duration.load(); }
    double position() const;
    QImage frame() const;

private:
    void run();
    bool openMedia();
    bool handleRequests();
    bool waitUntil(double seconds);
    void publish(AVFrame* frame);
    double clockNow() const;

    std::vector<InputFile> m_files;
    GraphMaker m_graphMaker;
    Listener m_listener;
    AudioRing* m_sound;
    MediaPipeline m_pipeline;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_seekRequested = false;
    double m_seekTarget = 0;
    std::vector<std::array<std::string, 3>> m_commands;
    // Clock: position `m_clockBase` at `m_clockStart` when running.
    double m_clockBase = 0;
    std::chrono::steady_clock::time_point m_clockStart;
    bool m_showNext = true; // the next picture is shown at once (after open or seek)
    bool m_ended = false;
    bool m_hasVideo = false;
    QImage m_frame;

    std::atomic<bool> m_paused{true}; // opens paused on its first picture
    std::atomic<bool> m_open{false};
    std::atomic<double> m_duration{0};
};

} // namespace media
