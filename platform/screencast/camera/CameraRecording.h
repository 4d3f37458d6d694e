#pragma once
// One recording of a camera: pictures handed in by the capture thread are converted and
// queued for the encoding thread, which writes them with the microphone's sound (mixed on
// the recording's timeline) into a fragmented file in progress beside the final path. Its
// end (a stop, a lost camera, a write failure) runs once, on a thread of its own: the
// encoders are flushed, the file in progress becomes the final QuickTime file, and the
// callback hears OnRecordFinished. A pause drops pictures and sound and leaves no gap.
//
// Threads: start, pause and resume on the controlling thread; addPicture on the capture
// thread; end on any thread; the getters on any thread. The destructor waits for the end.

#include "ScCamera.h"
#include "recorder/AudioMixer.h"
#include "recorder/AudioSource.h"
#include "recorder/BoundedQueue.h"
#include "recorder/PauseClock.h"
#include "recorder/ProgressWriter.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct AVFrame;
struct SwsContext;

namespace camera {

class CameraRecording {
public:
    CameraRecording(CCameraCallback* callback, std::string path, int width, int height, int frameRate);
    ~CameraRecording();
    CameraRecording(const CameraRecording&) = delete;
    CameraRecording& operator=(const CameraRecording&) = delete;

    // Opens the encoders, the file in progress and the microphone (null: none, "": the
    // default source) and starts recording. Returns 0, or an ScRecordError code with nothing
    // left behind.
    int start(const char* microphone);
    // A camera picture that arrived at `wallMicros` (av_gettime terms). Capture thread.
    void addPicture(const AVFrame* picture, int64_t wallMicros);
    void pause();
    void resume();
    // Ends the recording; with `error`, OnRecordError(error) is told first. Only the first
    // call counts. `report` false: OnRecordFinished is not sent, and end() waits until the
    // file is final.
    void end(int error = 0, bool report = true);
    // The end has begun: no more pictures are taken.
    bool ending() const { return m_ending; }
    // The file is final (or could not be made) and the end was reported.
    bool ended() const { return m_ended; }

    double duration() const;
    int64_t fileSize() const { return m_writer.bytesWritten(); }
    int64_t droppedFrames() const { return m_dropped; }

private:
    void encodeLoop();
    bool drainAudio(AVFrame* frame);
    void finish(int error);

    CCameraCallback* m_callback;
    const std::string m_path;
    const std::string m_progressPath;
    const int m_width;
    const int m_height;
    const int m_frameRate;

    recorder::ProgressWriter m_writer;
    std::unique_ptr<recorder::AudioSource> m_microphone;
    std::unique_ptr<recorder::AudioMixer> m_mixer;
    recorder::BoundedQueue<AVFrame*> m_queue;
    recorder::PauseClock m_clock;
    std::atomic<int64_t> m_startMicros{0};
    std::atomic<int64_t> m_stopMicros{0};
    std::atomic<double> m_finalDuration{-1};
    std::atomic<int64_t> m_dropped{0};
    std::atomic<int> m_writeError{0};
    int64_t m_lastIndex = -1;       // capture thread
    SwsContext* m_sws = nullptr;    // capture thread
    int64_t m_audioSamples = 0;     // encoding thread

    std::thread m_encodeThread;
    std::thread m_finishThread;
    std::mutex m_endMutex;
    std::atomic<bool> m_ending{false};
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_report{true};
};

} // namespace camera
