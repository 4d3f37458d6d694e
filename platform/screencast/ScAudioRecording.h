#pragma once
// The engine's last audio recording and its conversion into an audio file.
//
// The recording is one file per track: track 0 system sound, track 1 microphone. The
// audio recorder hands its files over with scSetLastAudioRecording; the audio player,
// the converter and DeleteAudioRecordTempFiles work on that state. The state also keeps
// the per-track volumes and the last confirmed trim range. All functions here are
// thread-safe.

#include "CBasePtr.h"
#include "ScreencastTypes.h"

// Makes the given files the last audio recording. Either path may be null or empty when
// that track was not recorded. Resets the volumes to 1.0 and the trim range to the whole
// recording. The engine owns the files from now on: DeleteAudioRecordTempFiles removes
// them. Stable interface of the audio recorder; any thread.
void scSetLastAudioRecording(const char* systemSoundTrack, const char* microphoneTrack);

// Length in seconds of the last audio recording (the longer track); 0 when there is none.
double scGetLastAudioDuration();

// Removes the track files of the last audio recording and forgets it.
void DeleteAudioRecordTempFiles();

// Report of a conversion, sent exactly once on the converter's thread unless the converter is
// released first.
class CAudioConvertCallback {
public:
    // `code` is 0 when the file was written, non-zero when the conversion failed.
    virtual void OnComplete(int code) = 0;
    virtual ~CAudioConvertCallback() = default;
};

class CAudioConvertObject : public CBaseObject {
public:
    // Share of the conversion done, 0 to 1. Any thread.
    virtual double GetProgress() = 0;
};

// Mixes the tracks of the last audio recording with their volumes, cuts the last confirmed
// trim range and writes `path` (local 8-bit encoding) in `type` at `quality` (1 to 6) on
// a worker thread. A failure (also: no recording) arrives as OnComplete(non-zero). An
// empty handle when `callback` or `path` is null. Releasing the object stops the
// conversion, removes its partial output and sends no report.
CBasePtr<CAudioConvertObject> scAudioConvert(CAudioConvertCallback* callback, const char* path,
                                             OutputAudioFileType type, CodecQuality quality);
