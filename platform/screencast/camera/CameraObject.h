#pragma once
// An open camera: the capture thread reads and decodes its pictures, keeps the latest for a
// photo, offers pictures to the preview and hands them to the recording that runs. A camera
// that goes away ends the running recording with what it holds.
// Threads as CCameraObject says; the capture thread is its own.

#include "CameraInput.h"
#include "CameraRecording.h"
#include "ScCamera.h"

#include <QImage>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

struct AVFrame;
struct SwsContext;

namespace camera {

class CameraView;

class CameraObject : public CCameraObject {
public:
    CameraObject(CCameraCallback* callback, NSView* host);

    // Opens the camera and starts showing it. False when it cannot be opened. GUI thread.
    bool open(const CameraEntry& camera);

    void Release() override;
    bool IsRunning() override { return m_running; }
    void GetVideoSize(int* width, int* height) override;
    bool StartRecord(const char* path, const char* microphone) override;
    void PauseRecord() override;
    void ResumeRecord() override;
    bool StopRecord() override;
    double GetRecordDuration() override;
    int64_t GetRecordFileSize() override;
    int64_t GetDroppedFrames() override;
    bool Capture(const char* path) override;

private:
    ~CameraObject() override;
    void captureLoop();
    void offerPreview(const AVFrame* picture);
    // `picture` as a 32-bit RGB image of `size`; null when it cannot be converted.
    static QImage imageOf(const AVFrame* picture, const QSize& size, SwsContext** sws);
    // The running (not ending) recording, under m_recordingMutex.
    bool recordingRuns() const;

    CCameraCallback* m_callback;
    NSView* m_host;
    CameraInput m_input;
    std::thread m_captureThread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};

    std::mutex m_viewMutex;
    CameraView* m_view = nullptr;  // owned; used by the capture thread under m_viewMutex
    SwsContext* m_previewSws = nullptr; // capture thread

    std::mutex m_latestMutex;
    AVFrame* m_latest = nullptr;

    mutable std::mutex m_recordingMutex;
    std::unique_ptr<CameraRecording> m_recording; // the current or last recording
};

} // namespace camera
