// The engine's functions as the application links them: each waits for the engine library
// and calls its entry, or answers as the engine answers a failure when it cannot be loaded.

#include "EngineLibrary.h"

#include <utility>

namespace {
template <class T>
struct Same {
    using type = T;
};

// The engine's `entry` called with `args`, or `failed` when there is no engine.
template <class R, class... Params, class... Args>
R call(R (*ScEngineEntries::*entry)(Params...), typename Same<R>::type failed, Args&&... args)
{
    if (const ScEngineEntries* e = EngineLibrary::instance().entries())
        return (e->*entry)(std::forward<Args>(args)...);
    return failed;
}

template <class... Params, class... Args>
void call(void (*ScEngineEntries::*entry)(Params...), Args&&... args)
{
    if (const ScEngineEntries* e = EngineLibrary::instance().entries())
        (e->*entry)(std::forward<Args>(args)...);
}
} // namespace

int scInitialize()
{
    // The load runs on a worker and initialises the engine.
    EngineLibrary::instance().startLoading();
    return 0;
}

void scUninitialize()
{
    if (const ScEngineEntries* e = EngineLibrary::instance().entriesIfLoaded())
        e->uninitialize();
}

void scSetLogFile(const char* path) { EngineLibrary::instance().setLogFile(path); }

const char* scGetLogFile() { return EngineLibrary::instance().logFile(); }

bool scGetMediaInfo(const char* path, double* durationSeconds, int* width, int* height)
{
    if (const ScEngineEntries* e = EngineLibrary::instance().entries())
        return e->getMediaInfo(path, durationSeconds, width, height);
    // As the engine leaves them when a file cannot be read.
    if (durationSeconds)
        *durationSeconds = 0;
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    return false;
}

int scGetSupportCodecs(OutputVideoFileType container, int* codecs, int maxCount)
{
    return call(&ScEngineEntries::getSupportCodecs, 0, container, codecs, maxCount);
}

CBasePtr<CAVPlayerObject> CreateAVPlayer(CAVPlayerCallback* callback, const char* path, NSView* host)
{
    return call(&ScEngineEntries::createAVPlayer, {}, callback, path, host);
}

CBasePtr<CAudioPlayerObject> CreateAudioPlayer(CAVPlayerCallback* callback, NSView* host)
{
    return call(&ScEngineEntries::createAudioPlayer, {}, callback, host);
}

std::vector<std::string> scGetCameras() { return call(&ScEngineEntries::getCameras, {}); }

void scSetSyntheticCamera(const char* source) { call(&ScEngineEntries::setSyntheticCamera, source); }

CBasePtr<CCameraObject> scOpenCamera(CCameraCallback* callback, const char* name, NSView* host)
{
    return call(&ScEngineEntries::openCamera, {}, callback, name, host);
}

CBasePtr<CImageCaptureObject> CreateImageCapture(CImageCaptureCallback* callback, int display)
{
    return call(&ScEngineEntries::createImageCapture, {}, callback, display);
}

void SetZoomTipsFormat(const char* format) { call(&ScEngineEntries::setZoomTipsFormat, format); }

CRect ConvertCurrentDisplayRectToScreen(CRect rect)
{
    return call(&ScEngineEntries::convertCurrentDisplayRectToScreen, rect, rect);
}

CBasePtr<CRecordCanvasObject> CreateRecordCanvas(CScreenCanvasEvent* event, CRect area)
{
    return call(&ScEngineEntries::createRecordCanvas, {}, event, area);
}

void scSetLastAudioRecording(const char* systemSoundTrack, const char* microphoneTrack)
{
    call(&ScEngineEntries::setLastAudioRecording, systemSoundTrack, microphoneTrack);
}

double scGetLastAudioDuration() { return call(&ScEngineEntries::getLastAudioDuration, 0.0); }

void DeleteAudioRecordTempFiles() { call(&ScEngineEntries::deleteAudioRecordTempFiles); }

CBasePtr<CAudioConvertObject> scAudioConvert(CAudioConvertCallback* callback, const char* path,
                                             OutputAudioFileType type, CodecQuality quality)
{
    return call(&ScEngineEntries::audioConvert, {}, callback, path, type, quality);
}

CBasePtr<CScreenRecorderObject> scVideoRecord(CRecoderCallback* callback, const ScVideoOptions& video,
                                              const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                              const char* outputPath)
{
    return call(&ScEngineEntries::videoRecord, {}, callback, video, mouse, audio, outputPath);
}

CBasePtr<CScreenRecorderObject> scAudioRecord(CRecoderCallback* callback, const ScAudioOptions& audio,
                                              const char* folder)
{
    return call(&ScEngineEntries::audioRecord, {}, callback, audio, folder);
}

int64_t scEstimateAudioFileSize(OutputAudioFileType type, CodecQuality quality, double seconds)
{
    return call(&ScEngineEntries::estimateAudioFileSize, 0, type, quality, seconds);
}

void SetWatermark(const char* path, int x, int y, int width, int height)
{
    call(&ScEngineEntries::setWatermark, path, x, y, width, height);
}

bool scGetRecordWindowRect(uint64_t window, CRect* rect)
{
    return call(&ScEngineEntries::getRecordWindowRect, false, window, rect);
}

bool scRecoverRecording(const char* leftover, const char* outputPath)
{
    return call(&ScEngineEntries::recoverRecording, false, leftover, outputPath);
}
