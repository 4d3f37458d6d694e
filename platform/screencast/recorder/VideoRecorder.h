#pragma once
// A screen recording: one thread per stage with bounded queues between them.
//   capture thread  -> x11grab frames (window following, the area around the mouse or moved
//                      with Ctrl held, kept clear of the program's frame around it)
//   convert thread  -> blackouts, mouse effects, watermark, colour conversion (in bands on
//                      a few threads of its own, into reused frame buffers)
//   encode thread   -> video and mixed sound encoding into the file in progress
//   sound threads   -> one per source, into the mixer; the sources open and flow from the
//                      recorder's making, so that they deliver at once when it starts
//                      (what they capture before the start is not recorded)
// A full queue (in frames or bytes) drops the frame and counts it; capture never waits for
// a later stage.

#include "PauseClock.h"
#include "AudioMixer.h"
#include "AudioSource.h"
#include "BoundedQueue.h"
#include "FrameDecorator.h"
#include "ProgressWriter.h"
#include "ScRecorder.h"
#include "ScreenCapture.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVFrame;
struct AVPacket;

namespace recorder {

class VideoRecorder : public CScreenRecorderObject {
public:
    VideoRecorder(CRecoderCallback* callback, const ScVideoOptions& video, const ScMouseOptions& mouse,
                  const ScAudioOptions& audio, const std::string& outputPath);

    // Controlling thread.
    void Release() override;
    bool Start() override;
    void Pause() override;
    void Resume() override;
    // Controlling thread or a worker of its own.
    bool Stop() override;
    // Any thread.
    double GetFinishProgress() override { return m_finishProgress; }
    double GetDuration() override;
    int64_t GetFileSize() override;
    int64_t GetDroppedFrames() override;
    int64_t GetWrittenFrames() override;
    const char* GetOutputPath() override;
    bool IsSoundFlowing() override;

    // The file in progress for a final path.
    static std::string progressPath(const std::string& outputPath, VideoCodec codec);

private:
    struct RawFrame {
        AVPacket* packet = nullptr;
        int originX = 0;
        int originY = 0;
        int64_t index = 0;   // frame number on the recording's timeline
        int64_t timeMs = 0;  // wall clock, for effects
    };

    ~VideoRecorder() override;
    // Opens the sound sources and starts reading them (into nothing until the start);
    // counts the ones that cannot be opened. Controlling thread, at the making.
    void openSources();
    bool prepareArea(XDisplayProbe& probe);
    void captureLoop();
    void convertLoop();
    void encodeLoop();
    void decorate(RawFrame& raw, XDisplayProbe& probe, MouseEffects& effects);
    // Reports the area at (x, y) when it is not where `reported` says, and remembers it. Capture thread.
    void reportArea(int x, int y, XRectI* reported);
    // The area of the grabbed size centred on (x, y), whole on the screen.
    XRectI centredOn(int x, int y) const;
    // Encodes every whole frame of mixed sound that is ready. Encoding thread.
    bool drainAudio(AVFrame* frame);
    bool canWrite() const;
    void report(int code);
    void stopThreads();
    // Makes the file in progress the result, renamed (no space needed). Finishing thread.
    bool handOverProgressFile();

    CRecoderCallback* m_callback;
    ScVideoOptions m_video;
    std::vector<uint64_t> m_windows;
    std::vector<uint64_t> m_ownWindows; // blacked out wherever they show
    std::vector<uint64_t> m_frameWindows; // a moving area keeps out of them
    MouseLook m_mouse;
    std::string m_outputPath;
    std::string m_progressPath;
    std::shared_ptr<const WatermarkPicture> m_watermark;

    XRectI m_area;        // grabbed area on the screen at start
    int m_screenW = 0;
    int m_screenH = 0;
    ScreenCapture m_capture;
    ProgressWriter m_writer;
    std::vector<std::unique_ptr<AudioSource>> m_sources;
    int m_unopenedSources = 0; // reported at the start
    std::unique_ptr<AudioMixer> m_mixer;
    BoundedQueue<RawFrame> m_rawQueue;
    BoundedQueue<AVFrame*> m_frameQueue;
    std::thread m_captureThread;
    std::thread m_convertThread;
    std::thread m_encodeThread;

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopping{false};
    PauseClock m_clock;
    std::atomic<int64_t> m_startMicros{0};
    std::atomic<int64_t> m_stopMicros{0}; // sound captured from then on is not recorded
    std::atomic<int64_t> m_dropped{0};
    std::atomic<int> m_firstError{0};
    bool m_stopped = false;
    std::atomic<double> m_finalDuration{-1};
    std::atomic<double> m_finishProgress{0};
    // The file in progress after it became the result; written before m_handedOver is set.
    std::string m_handedPath;
    std::atomic<bool> m_handedOver{false};
    int64_t m_audioSamples = 0;
    std::mutex m_reportMutex;
};

} // namespace recorder
