#pragma once
// The engine library's table of entry points. The application links a small loader that
// defines every engine function and calls through this table; the engine library itself
// (with FFmpeg and everything it pulls in) is loaded on a worker after start-up.

#include "Screencast.h"

#include <cstddef>

struct ScEngineEntries {
    size_t size; // sizeof(ScEngineEntries) of the engine that filled it
    decltype(&scInitialize) initialize;
    decltype(&scUninitialize) uninitialize;
    decltype(&scSetLogFile) setLogFile;
    decltype(&scGetLogFile) getLogFile;
    decltype(&scGetMediaInfo) getMediaInfo;
    decltype(&scGetSupportCodecs) getSupportCodecs;
    decltype(&CreateAVPlayer) createAVPlayer;
    decltype(&CreateAudioPlayer) createAudioPlayer;
    decltype(&scGetCameras) getCameras;
    decltype(&scSetSyntheticCamera) setSyntheticCamera;
    decltype(&scOpenCamera) openCamera;
    decltype(&CreateImageCapture) createImageCapture;
    decltype(&SetZoomTipsFormat) setZoomTipsFormat;
    decltype(&ConvertCurrentDisplayRectToScreen) convertCurrentDisplayRectToScreen;
    decltype(&CreateRecordCanvas) createRecordCanvas;
    decltype(&scSetLastAudioRecording) setLastAudioRecording;
    decltype(&scGetLastAudioDuration) getLastAudioDuration;
    decltype(&DeleteAudioRecordTempFiles) deleteAudioRecordTempFiles;
    decltype(&scAudioConvert) audioConvert;
    decltype(&scVideoRecord) videoRecord;
    decltype(&scAudioRecord) audioRecord;
    decltype(&scEstimateAudioFileSize) estimateAudioFileSize;
    decltype(&SetWatermark) setWatermark;
    decltype(&scGetRecordWindowRect) getRecordWindowRect;
    decltype(&scRecoverRecording) recoverRecording;
};

// The engine library's one exported lookup.
#define SC_ENGINE_ENTRIES_SYMBOL "scEngineEntries"
extern "C" const ScEngineEntries* scEngineEntries();
