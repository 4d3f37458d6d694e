#include "FakeEngine.h"

#include <QFile>
#include <QObject>
#include <QTimer>
#include <thread>

class FakeRecorder : public CScreenRecorderObject {
public:
    FakeRecorder(FakeRecording& recording, const QString& path)
        : m_recording(recording)
        , m_path(QFile::encodeName(path).toStdString())
    {
    }

    bool Start() override
    {
        ++m_recording.starts;
        return m_recording.startOk;
    }
    void Pause() override { m_recording.paused = true; }
    void Resume() override { m_recording.paused = false; }
    bool Stop() override
    {
        m_recording.waitWhileHeld();
        bool written = m_recording.stopOk;
        if (written) {
            QFile file(QFile::decodeName(m_path.c_str()));
            written = file.open(QIODevice::WriteOnly) && file.write("fake recording") > 0;
        }
        m_recording.finishProgress = 1.0;
        m_recording.stopped = true;
        return written;
    }
    double GetFinishProgress() override { return m_recording.finishProgress; }
    double GetDuration() override { return m_recording.duration; }
    int64_t GetFileSize() override { return m_recording.fileSize; }
    int64_t GetDroppedFrames() override { return 0; }
    int64_t GetWrittenFrames() override { return 0; }
    const char* GetOutputPath() override { return m_path.c_str(); }
    bool IsSoundFlowing() override { return m_recording.soundFlowing; }
    void Release() override
    {
        m_recording.released = true;
        delete this;
    }

private:
    FakeRecording& m_recording;
    const std::string m_path;
};

void FakeRecording::holdStop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void FakeRecording::releaseStop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_released.notify_all();
}

void FakeRecording::waitWhileHeld()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait(lock, [this] { return !m_held; });
}

void FakeRecording::reportError(int code)
{
    CRecoderCallback* callback = m_callback;
    std::thread([callback, code] { callback->OnRecordError(code); }).join();
}

namespace {
// A player that plays nothing. It reports ready or failed once, from the event loop, as the
// engine does after opening; nothing arrives after Release().
template <class Player>
class FakePlayer : public Player {
public:
    FakePlayer(CAVPlayerCallback* callback, bool fails)
    {
        QTimer::singleShot(0, &m_context, [callback, fails] {
            callback->OnStatueChanged(fails ? AVPlayerItemStatusFailed : AVPlayerItemStatusReadyToPlay);
        });
    }
    int BeginTrimming() override { return 0; }
    int SetTrimBegin(double) override { return 0; }
    int SetTrimEnd(double) override { return 0; }
    int Seek(double) override { return 0; }
    void Pause() override {}
    void Resume() override {}
    void Release() override { delete this; }

private:
    QObject m_context;
};

// It exports nothing: Export() refuses, so no report follows.
class FakeVideoPlayer : public FakePlayer<CAVPlayerObject> {
public:
    using FakePlayer::FakePlayer;
    int Export(const char*, OutputVideoFileType, CAVPlayerExportCallback*) override { return -1; }
    double GetExportProgress() override { return 0; }
    long long GetExportedSize() override { return 0; }
    int CancelExport() override { return 0; }
    void SetControlsStyle(contralsStyle) override {}
};

class FakeAudioPlayer : public FakePlayer<CAudioPlayerObject> {
public:
    using FakePlayer::FakePlayer;
    int SetVolume(int, float) override { return 0; }
};
} // namespace

FakeSeam::FakeSeam()
{
    audio.serverRunning = audio.available = true;
    audio.defaultSink = QStringLiteral("fake");
    audio.monitorSource = QStringLiteral("fake.monitor");
    m_previous = PlatformSeam::install(this);
}

FakeSeam::~FakeSeam() { PlatformSeam::install(m_previous); }

CBasePtr<CScreenRecorderObject> FakeSeam::makeRecorder(CRecoderCallback* callback, const QString& path)
{
    if (recording.refuse)
        return {};
    recording.m_callback = callback;
    recording.outputPath = path;
    recording.stopped = recording.released = recording.paused = false;
    return CBasePtr<CScreenRecorderObject>(new FakeRecorder(recording, path));
}

CBasePtr<CScreenRecorderObject> FakeSeam::videoRecorder(CRecoderCallback* callback, const ScVideoOptions&,
                                                        const ScMouseOptions&, const ScAudioOptions&,
                                                        const char* outputPath)
{
    recording.audioOnly = false;
    return makeRecorder(callback, QFile::decodeName(outputPath));
}

CBasePtr<CScreenRecorderObject> FakeSeam::audioRecorder(CRecoderCallback* callback, const ScAudioOptions&,
                                                        const char* folder)
{
    recording.audioOnly = true;
    return makeRecorder(callback, QFile::decodeName(folder) + QStringLiteral("/AudioTrack0.mka"));
}

CBasePtr<CAVPlayerObject> FakeSeam::videoPlayer(CAVPlayerCallback* callback, const char*, NSView*)
{
    return CBasePtr<CAVPlayerObject>(new FakeVideoPlayer(callback, playerFails));
}

CBasePtr<CAudioPlayerObject> FakeSeam::audioPlayer(CAVPlayerCallback* callback, NSView*)
{
    return CBasePtr<CAudioPlayerObject>(new FakeAudioPlayer(callback, playerFails));
}

qint64 FakeSeam::freeDiskSize(const QString&, bool& ok)
{
    ok = true;
    return freeBytes;
}

int FakeSeam::supportedCodecs(OutputVideoFileType container, int* codecs, int maxCount)
{
    return unwritable.contains(container) ? 0 : PlatformSeam::supportedCodecs(container, codecs, maxCount);
}

CBasePtr<CCameraObject> FakeSeam::openCamera(CCameraCallback* callback, const char* name, NSView* host)
{
    if (busyCameras.contains(QString::fromUtf8(name)))
        return {};
    return PlatformSeam::openCamera(callback, name, host);
}

CBasePtr<CImageCaptureObject> FakeSeam::imageCapture(CImageCaptureCallback* callback, int display)
{
    return captureRefused ? CBasePtr<CImageCaptureObject>() : PlatformSeam::imageCapture(callback, display);
}

bool FakeSeam::openUrl(const QUrl& url)
{
    openedUrls << url;
    return true;
}

bool FakeSeam::startDetached(const QString& program, const QStringList& arguments)
{
    started << (QStringList{program} + arguments);
    return true;
}
