#include "PlatformSeam.h"

#include "OvWindowList.h"
#include "ScEngine.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStorageInfo>
#include <QUrl>
#include <atomic>

namespace {
std::atomic<PlatformSeam*> g_installed{nullptr};
} // namespace

PlatformSeam* PlatformSeam::current()
{
    static PlatformSeam s_real;
    PlatformSeam* seam = g_installed.load();
    return seam ? seam : &s_real;
}

PlatformSeam* PlatformSeam::install(PlatformSeam* seam) { return g_installed.exchange(seam); }

CBasePtr<CScreenRecorderObject> PlatformSeam::videoRecorder(CRecoderCallback* callback, const ScVideoOptions& video,
                                                            const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                                            const char* outputPath)
{
    return scVideoRecord(callback, video, mouse, audio, outputPath);
}

CBasePtr<CScreenRecorderObject> PlatformSeam::audioRecorder(CRecoderCallback* callback, const ScAudioOptions& audio,
                                                            const char* folder)
{
    return scAudioRecord(callback, audio, folder);
}

CBasePtr<CAVPlayerObject> PlatformSeam::videoPlayer(CAVPlayerCallback* callback, const char* path, NSView* host)
{
    return CreateAVPlayer(callback, path, host);
}

CBasePtr<CAudioPlayerObject> PlatformSeam::audioPlayer(CAVPlayerCallback* callback, NSView* host)
{
    return CreateAudioPlayer(callback, host);
}

int PlatformSeam::supportedCodecs(OutputVideoFileType container, int* codecs, int maxCount)
{
    return scGetSupportCodecs(container, codecs, maxCount);
}

bool PlatformSeam::isX86_64()
{
#if defined(__x86_64__)
    return true;
#else
    return false;
#endif
}

QStringList PlatformSeam::cameras()
{
    QStringList names;
    for (const std::string& name : scGetCameras())
        names << QString::fromStdString(name);
    return names;
}

CBasePtr<CCameraObject> PlatformSeam::openCamera(CCameraCallback* callback, const char* name, NSView* host)
{
    return scOpenCamera(callback, name, host);
}

CBasePtr<CImageCaptureObject> PlatformSeam::imageCapture(CImageCaptureCallback* callback, int display)
{
    return CreateImageCapture(callback, display);
}

void PlatformSeam::setWatermark(const char* path, int x, int y, int width, int height)
{
    SetWatermark(path, x, y, width, height);
}

qint64 PlatformSeam::freeDiskSize(const QString& folder, bool& ok)
{
    const QStorageInfo storage(folder);
    ok = storage.isValid();
    return ok ? storage.bytesAvailable() : 0;
}

AudioSourceStatus PlatformSeam::audioSourceStatus() { return AudioSourceStatus::query(); }

bool PlatformSeam::canRecord(Privacy_Setting kind)
{
    switch (kind) {
    case PS_SCREEN:
        return QGuiApplication::platformName() == QLatin1String("xcb") && OvWindowList::canCaptureDisplay();
    case PS_MICROPHONE:
        return audioSourceStatus().serverRunning;
    default:
        return true;
    }
}

bool PlatformSeam::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool PlatformSeam::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
