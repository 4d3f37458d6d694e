#include "ScEngineEntries.h"

// The library is linked with -Bsymbolic-functions: these addresses are the engine's own
// functions, not the loader's functions of the same names.
extern "C" __attribute__((visibility("default"))) const ScEngineEntries* scEngineEntries()
{
    static const ScEngineEntries entries = {
        sizeof(ScEngineEntries),
        &scInitialize,
        &scUninitialize,
        &scSetLogFile,
        &scGetLogFile,
        &scGetMediaInfo,
        &scGetSupportCodecs,
        &CreateAVPlayer,
        &CreateAudioPlayer,
        &scGetCameras,
        &scSetSyntheticCamera,
        &scOpenCamera,
        &CreateImageCapture,
        &SetZoomTipsFormat,
        &ConvertCurrentDisplayRectToScreen,
        &CreateRecordCanvas,
        &scSetLastAudioRecording,
        &scGetLastAudioDuration,
        &DeleteAudioRecordTempFiles,
        &scAudioConvert,
        &scVideoRecord,
        &scAudioRecord,
        &scEstimateAudioFileSize,
        &SetWatermark,
        &scGetRecordWindowRect,
        &scRecoverRecording,
    };
    return &entries;
}
