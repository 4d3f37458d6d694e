#pragma once
// The engine library's table of entry points. The application links a small loader that
// defines every engine function and calls through this table; the engine library itself
// (with FFmpeg and everything it pulls in) is loaded on a worker after start-up.

#include "Screencast.h"

#include <cstddef>

// Every entry point: the table's member and the engine function it holds.
#define SC_ENGINE_ENTRIES(X) \
    X(initialize, scInitialize) \
    X(uninitialize, scUninitialize) \
    X(setLogFile, scSetLogFile) \
    X(getLogFile, scGetLogFile) \
    X(getMediaInfo, scGetMediaInfo) \
    X(getSupportCodecs, scGetSupportCodecs) \
    X(createAVPlayer, CreateAVPlayer) \
    X(createAudioPlayer, CreateAudioPlayer) \
    X(getCameras, scGetCameras) \
    X(setSyntheticCamera, scSetSyntheticCamera) \
    X(openCamera, scOpenCamera) \
    X(createImageCapture, CreateImageCapture) \
    X(setZoomTipsFormat, SetZoomTipsFormat) \
    X(convertCurrentDisplayRectToScreen, ConvertCurrentDisplayRectToScreen) \
    X(createRecordCanvas, CreateRecordCanvas) \
    X(setLastAudioRecording, scSetLastAudioRecording) \
    X(getLastAudioDuration, scGetLastAudioDuration) \
    X(deleteAudioRecordTempFiles, DeleteAudioRecordTempFiles) \
    X(audioConvert, scAudioConvert) \
    X(videoRecord, scVideoRecord) \
    X(audioRecord, scAudioRecord) \
    X(estimateAudioFileSize, scEstimateAudioFileSize) \
    X(setWatermark, SetWatermark) \
    X(getRecordWindowRect, scGetRecordWindowRect) \
    X(recoverRecording, scRecoverRecording)

struct ScEngineEntries {
    size_t size; // sizeof(ScEngineEntries) of the engine that filled it
#define SC_ENGINE_FIELD(member, function) decltype(&function) member;
    SC_ENGINE_ENTRIES(SC_ENGINE_FIELD)
#undef SC_ENGINE_FIELD
};

// The engine library's one exported lookup.
#define SC_ENGINE_ENTRIES_SYMBOL "scEngineEntries"
extern "C" const ScEngineEntries* scEngineEntries();
