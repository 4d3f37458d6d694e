#pragma once
// Cameras: the list of cameras, a live camera shown in a host widget, its recording into a
// QuickTime file (H.264 and AAC) with pause and resume, and photos of its latest picture.
//
// Cameras are the V4L2 capture devices (/dev/video*) and, when one is configured, a
// synthetic camera: a generated moving test picture that goes through the same decoding,
// preview, recording and photo path as a device. It is configured by scSetSyntheticCamera
// or, when that was never called, by the environment variable SR_SYNTHETIC_CAMERA ("1": the
// standard picture; otherwise a libavfilter source description, e.g.
// "testsrc2=size=1280x720:rate=30:duration=5" for a camera that goes away after 5 s).
//
// Threads: the factory and every object operation are called on the GUI thread (the thread
// that owns the host widget), except the getters that say "any thread". Callbacks arrive on
// the engine's own threads; none arrives after the object's Release() has returned.

#include "CBasePtr.h"
#include "ScRecorder.h"
#include "ScreencastTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// The name under which the synthetic camera is listed.
#define SC_SYNTHETIC_CAMERA_NAME "Synthetic Camera"

// The cameras present now: the capture devices in device order, then the synthetic camera
// when one is configured. Names are unique (a second device of the same name is listed as
// "<name> (2)") and stable while the devices stay plugged in. Any thread; asks each device.
std::vector<std::string> scGetCameras();

// Configures the synthetic camera: a libavfilter source description, "1" for the standard
// 1280x720 picture at 30 frames a second, empty for none. A null `source` goes back to the
// environment variable. Any thread.
void scSetSyntheticCamera(const char* source);

// Reports of a camera. The engine calls these on its own threads; implementations only
// store values or post signals.
class CCameraCallback {
public:
    // Something broke off the recording: the camera went away (SRE_CaptureLost), the file in
    // progress could not be written (SRE_Write) or the encoder failed (SRE_Encoder). The
    // recording then ends by itself, keeping what was recorded: OnRecordFinished follows.
    virtual void OnRecordError(int code) = 0;
    // A recording ended and its file is final: sent exactly once for every recording that
    // StartRecord started (after StopRecord, or after an OnRecordError). `failed` is false
    // when the file at the recording's path is complete and playable, true when no playable
    // file could be written there (the file in progress, if any, is then kept beside it).
    virtual void OnRecordFinished(bool failed) = 0;
    virtual ~CCameraCallback() = default;
};

// One open camera: its picture is shown in the host (if any) from the factory on.
class CCameraObject : public CBaseObject {
public:
    // True while the camera delivers pictures; false once it went away. Any thread.
    virtual bool IsRunning() = 0;
    // The size of the camera's pictures (and of a recording and a photo). Any thread.
    virtual void GetVideoSize(int* width, int* height) = 0;

    // Starts recording into `path` (a QuickTime file; its folder must exist) with the
    // microphone `microphone` (a sound server source name, "" for the default source, null
    // for no sound). Returns false, leaving nothing behind, when the camera is not running,
    // a recording runs or is still being finished, a file is already at `path`, or the
    // encoder, the file or the microphone cannot be opened.
    virtual bool StartRecord(const char* path, const char* microphone) = 0;
    // Stops adding to the recording until ResumeRecord; the paused time leaves no gap.
    virtual void PauseRecord() = 0;
    virtual void ResumeRecord() = 0;
    // Ends the recording and returns at once: the file is finished on an engine thread and
    // OnRecordFinished reports the end. Returns false when no recording runs.
    virtual bool StopRecord() = 0;
    // Recorded seconds of the current or last recording, pauses excluded. Any thread.
    virtual double GetRecordDuration() = 0;
    // Bytes written so far by the current or last recording. Any thread.
    virtual int64_t GetRecordFileSize() = 0;
    // Pictures of the current or last recording not written because the encoder was behind.
    // Any thread.
    virtual int64_t GetDroppedFrames() = 0;

    // Writes the latest picture as a JPEG file at `path`, creating its folder when missing.
    // Returns false (and leaves no file) when there is no picture yet, a file is already at
    // `path`, or the file cannot be written.
    virtual bool Capture(const char* path) = 0;
};

// Opens the camera `name` (as scGetCameras lists it) and shows its picture in `host` (may
// be null: no preview), scaled with its aspect kept. Waits until the device has opened
// (typically a few tens of milliseconds). An empty handle when there is no such camera or it
// cannot be opened. `callback` may be null and must outlive the object. Releasing the object
// while a recording runs finishes its file first (without a report).
CBasePtr<CCameraObject> scOpenCamera(CCameraCallback* callback, const char* name, NSView* host);
