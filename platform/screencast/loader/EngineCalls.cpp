// The engine's functions as the application links them: each waits for the engine library
// and calls its entry, or answers as the engine answers a failure when it cannot be loaded.

#include "EngineLibrary.h"

namespace {
const ScEngineEntries* engine() { return EngineLibrary::instance().entries(); }
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
    if (const ScEngineEntries* e = engine())
        return e->getMediaInfo(path, durationSeconds, width, height);
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
    const ScEngineEntries* e = engine();
    return e ? e->getSupportCodecs(container, codecs, maxCount) : 0;
}

CBasePtr<CAVPlayerObject> CreateAVPlayer(CAVPlayerCallback* callback, const char* path, NSView* host)
{
    const ScEngineEntries* e = engine();
    return e ? e->createAVPlayer(callback, path, host) : CBasePtr<CAVPlayerObject>();
}

CBasePtr<CAudioPlayerObject> CreateAudioPlayer(CAVPlayerCallback* callback, NSView* host)
{
    const ScEngineEntries* e = engine();
    return e ? e->createAudioPlayer(callback, host) : CBasePtr<CAudioPlayerObject>();
}

std::vector<std::string> scGetCameras()
{
    const ScEngineEntries* e = engine();
    return e ? e->getCameras() : std::vector<std::string>();
}

void scSetSyntheticCamera(const char* source)
{
    if (const ScEngineEntries* e = engine())
        e->setSyntheticCamera(source);
}

CBasePtr<CCameraObject> scOpenCamera(CCameraCallback* callback, const char* name, NSView* host)
{
    const ScEngineEntries* e = engine();
    return e ? e->openCamera(callback, name, host) : CBasePtr<CCameraObject>();
}

CBasePtr<CImageCaptureObject> CreateImageCapture(CImageCaptureCallback* callback, int display)
{
    const ScEngineEntries* e = engine();
    return e ? e->createImageCapture(callback, display) : CBasePtr<CImageCaptureObject>();
}

void SetZoomTipsFormat(const char* format)
{
    if (const ScEngineEntries* e = engine())
        e->setZoomTipsFormat(format);
}

CRect ConvertCurrentDisplayRectToScreen(CRect rect)
{
    const ScEngineEntries* e = engine();
    return e ? e->convertCurrentDisplayRectToScreen(rect) : rect;
}

CBasePtr<CRecordCanvasObject> CreateRecordCanvas(CScreenCanvasEvent* event, CRect area)
{
    const ScEngineEntries* e = engine();
    return e ? e->createRecordCanvas(event, area) : CBasePtr<CRecordCanvasObject>();
}

void scSetLastAudioRecording(const char* systemSoundTrack, const char* microphoneTrack)
{
    if (const ScEngineEntries* e = engine())
        e->setLastAudioRecording(systemSoundTrack, microphoneTrack);
}

double scGetLastAudioDuration()
{
    const ScEngineEntries* e = engine();
    return e ? e->getLastAudioDuration() : 0;
}

void DeleteAudioRecordTempFiles()
{
    if (const ScEngineEntries* e = engine())
        e->deleteAudioRecordTempFiles();
}

CBasePtr<CAudioConvertObject> scAudioConvert(CAudioConvertCallback* callback, const char* path,
                                             OutputAudioFileType type, CodecQuality quality)
{
    const ScEngineEntries* e = engine();
    return e ? e->audioConvert(callback, path, type, quality) : CBasePtr<CAudioConvertObject>();
}

CBasePtr<CScreenRecorderObject> scVideoRecord(CRecoderCallback* callback, const ScVideoOptions& video,
                                              const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                              const char* outputPath)
{
    const ScEngineEntries* e = engine();
    return e ? e->videoRecord(callback, video, mouse, audio, outputPath) : CBasePtr<CScreenRecorderObject>();
}

CBasePtr<CScreenRecorderObject> scAudioRecord(CRecoderCallback* callback, const ScAudioOptions& audio,
                                              const char* folder)
{
    const ScEngineEntries* e = engine();
    return e ? e->audioRecord(callback, audio, folder) : CBasePtr<CScreenRecorderObject>();
}

int64_t scEstimateAudioFileSize(OutputAudioFileType type, CodecQuality quality, double seconds)
{
    const ScEngineEntries* e = engine();
    return e ? e->estimateAudioFileSize(type, quality, seconds) : 0;
}

void SetWatermark(const char* path, int x, int y, int width, int height)
{
    if (const ScEngineEntries* e = engine())
        e->setWatermark(path, x, y, width, height);
}

bool scGetRecordWindowRect(uint64_t window, CRect* rect)
{
    const ScEngineEntries* e = engine();
    return e && e->getRecordWindowRect(window, rect);
}

bool scRecoverRecording(const char* leftover, const char* outputPath)
{
    const ScEngineEntries* e = engine();
    return e && e->recoverRecording(leftover, outputPath);
}
