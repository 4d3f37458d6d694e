#pragma once
// What the engine and the system answer the module, in one place: the module creates its
// recorders, preview players, camera objects and screenshot captures here, hands the
// watermark to the engine here, and asks here for what only the machine knows: the codecs
// each container can hold, whether the machine is x86_64, the cameras there are, the free
// space of a volume, the state of the sound server, whether the screen and the microphone
// can be recorded; it opens addresses and starts detached programs here too. Each
// function's default is the real thing; a test installs a subclass for the time it runs, for
// answers this machine cannot give (a refused recorder, a full disk, a camera that will not
// open, a format the encoders cannot write, another processor).
//
// Tests replace four other things, each where it belongs:
// - the modal questions: answered through OvModalHook (the framework's message boxes and
//   dialogs ask it first);
// - the X11 key grabs of the global hotkeys: OvHotKeyBackend::setInstance, below the module;
// - the task daemon: the real program, found and started as SR_TASKD_PROGRAM,
//   SR_TASKD_ARGS and SR_TASKD_SOCKET say;
// - the camera device: the engine's synthetic camera (scSetSyntheticCamera, or
//   SR_SYNTHETIC_CAMERA for the whole process), a generated picture that goes through the
//   engine's real decoding and recording.
//
// Threads: install() is called by tests on the GUI thread while no other thread asks;
// current(), freeDiskSize() and supportedCodecs() may be called from any thread (the save
// worker asks for space, the settings model for the default format), the other functions
// on the GUI thread.

#include "AudioSourceStatus.h"
#include "ScCamera.h"
#include "ScImageCapture.h"
#include "ScPlayer.h"
#include "ScRecorder.h"
#include "ScreencastTypes.h"
#include "core/RecordTypes.h"

#include <QString>
#include <QStringList>

class QUrl;

class PlatformSeam {
public:
    virtual ~PlatformSeam() = default;

    // The installed seam, or the real one when none is.
    static PlatformSeam* current();
    // Makes `seam` (not owned; null: the real one) answer from now on and returns the one
    // installed before (null for the real one), for the caller to put back.
    static PlatformSeam* install(PlatformSeam* seam);

    // The engine's scVideoRecord: an empty handle when the engine refuses the options.
    virtual CBasePtr<CScreenRecorderObject> videoRecorder(CRecoderCallback* callback, const ScVideoOptions& video,
                                                          const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                                          const char* outputPath);
    // The engine's scAudioRecord: an empty handle when no track is enabled.
    virtual CBasePtr<CScreenRecorderObject> audioRecorder(CRecoderCallback* callback, const ScAudioOptions& audio,
                                                          const char* folder);
    // The engine's CreateAVPlayer: the player reports ready or failed through `callback`.
    virtual CBasePtr<CAVPlayerObject> videoPlayer(CAVPlayerCallback* callback, const char* path, NSView* host);
    // The engine's CreateAudioPlayer, over the last audio recording.
    virtual CBasePtr<CAudioPlayerObject> audioPlayer(CAVPlayerCallback* callback, NSView* host);
    // The engine's scGetSupportCodecs: how many codecs it can write into `container` (at most
    // `maxCount` of them stored in `codecs`, which may be null). Any thread.
    virtual int supportedCodecs(OutputVideoFileType container, int* codecs, int maxCount);
    // True on an x86_64 machine (some audio formats are encoded there only).
    virtual bool isX86_64();
    // The engine's scGetCameras: the names of the cameras there are now, the default first.
    virtual QStringList cameras();
    // The engine's scOpenCamera: an empty handle when the camera cannot be opened.
    virtual CBasePtr<CCameraObject> openCamera(CCameraCallback* callback, const char* name, NSView* host);
    // The engine's CreateImageCapture: freezes `display` under the selection overlay; an
    // empty handle when the display cannot be grabbed.
    virtual CBasePtr<CImageCaptureObject> imageCapture(CImageCaptureCallback* callback, int display);
    // The engine's SetWatermark: the picture and rectangle later recordings draw; a null path
    // clears it.
    virtual void setWatermark(const char* path, int x, int y, int width, int height);

    // Free bytes of the volume that holds the existing folder `folder`; `ok` is false (and
    // the answer 0) when the volume cannot be asked.
    virtual qint64 freeDiskSize(const QString& folder, bool& ok);
    // What the sound server says about the source of system sound (may wait a few seconds).
    virtual AudioSourceStatus audioSourceStatus();
    // True when what `kind` needs is there now: an X display that can be read for the
    // screen, a sound server for the microphone; the camera and accessibility need nothing.
    virtual bool canRecord(Privacy_Setting kind);
    // Hands the address to the desktop's browser; false when nothing took it.
    virtual bool openUrl(const QUrl& url);
    // Starts the program detached (never through a shell); false when it did not start.
    virtual bool startDetached(const QString& program, const QStringList& arguments);
};
