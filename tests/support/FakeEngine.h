#pragma once
// The fake engine of the logic tests: a recorder and preview players that need no display,
// sound server or encoder, handed out by a seam that also answers the system's questions
// (free space, sound server, what can be recorded, opened addresses, started programs) as
// the test sets them. The codecs, the processor, screenshot captures and cameras are the
// real engine's and machine's unless the test says otherwise. A FakeSeam is installed while
// it lives; nest them like scopes.

#include "services/PlatformSeam.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <condition_variable>
#include <mutex>

// The one recording of the fake engine: what its recorder answers, set by the test, and
// what the module did to it. The figures are read from the facade's finishing thread too.
class FakeRecording {
public:
    bool refuse = false;   // the factory hands out no recorder
    bool startOk = true;   // Start() succeeds
    std::atomic<bool> stopOk{true}; // Stop() writes the file at the output path
    std::atomic<double> duration{0};
    std::atomic<qint64> fileSize{0};
    std::atomic<double> finishProgress{0};
    std::atomic<bool> soundFlowing{true}; // the recorder's sound sources deliver

    // Observed: the last recorder made, and its life.
    bool audioOnly = false;
    QString outputPath;
    std::atomic<bool> paused{false};
    std::atomic<bool> stopped{false}; // Stop() has returned
    std::atomic<bool> released{false};
    std::atomic<int> starts{0}; // Start() calls

    // Makes Stop() wait until releaseStop(), as a long finishing does.
    void holdStop();
    void releaseStop();
    // Reports an engine error from a thread of its own, as the engine does.
    void reportError(int code);

private:
    friend class FakeRecorder;
    friend class FakeSeam;
    void waitWhileHeld();

    CRecoderCallback* m_callback = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
};

class FakeSeam : public PlatformSeam {
public:
    FakeSeam();
    // Puts back the seam that was installed before this one.
    ~FakeSeam() override;
    FakeSeam(const FakeSeam&) = delete;
    FakeSeam& operator=(const FakeSeam&) = delete;

    FakeRecording recording;
    bool playerFails = false; // the player reports "failed" instead of "ready"
    std::atomic<qint64> freeBytes{qint64(1) << 40};
    AudioSourceStatus audio;  // by default a monitor source that can be recorded
    QList<Privacy_Setting> unavailable;
    QList<QUrl> openedUrls;
    QList<QStringList> started; // program and arguments of each detached start
    QList<OutputVideoFileType> unwritable; // containers the encoders cannot write
    bool otherProcessor = false;           // the machine is not x86_64
    bool captureRefused = false; // no display can be grabbed for a screenshot
    QStringList busyCameras;     // listed, but held by another program: they do not open

    CBasePtr<CScreenRecorderObject> videoRecorder(CRecoderCallback* callback, const ScVideoOptions& video,
                                                  const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                                  const char* outputPath) override;
    CBasePtr<CScreenRecorderObject> audioRecorder(CRecoderCallback* callback, const ScAudioOptions& audio,
                                                  const char* folder) override;
    CBasePtr<CAVPlayerObject> videoPlayer(CAVPlayerCallback* callback, const char* path, NSView* host) override;
    CBasePtr<CAudioPlayerObject> audioPlayer(CAVPlayerCallback* callback, NSView* host) override;
    qint64 freeDiskSize(const QString& folder, bool& ok) override;
    AudioSourceStatus audioSourceStatus() override { return audio; }
    bool canRecord(Privacy_Setting kind) override { return !unavailable.contains(kind); }
    int supportedCodecs(OutputVideoFileType container, int* codecs, int maxCount) override;
    bool isX86_64() override { return !otherProcessor && PlatformSeam::isX86_64(); }
    CBasePtr<CCameraObject> openCamera(CCameraCallback* callback, const char* name, NSView* host) override;
    CBasePtr<CImageCaptureObject> imageCapture(CImageCaptureCallback* callback, int display) override;
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;

private:
    CBasePtr<CScreenRecorderObject> makeRecorder(CRecoderCallback* callback, const QString& path);

    PlatformSeam* m_previous = nullptr;
};
