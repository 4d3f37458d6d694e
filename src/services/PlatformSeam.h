#pragma once
// The one place where tests replace what the engine and the system answer (the modal
// questions are answered through OvModalHook). The module creates its recorders and preview
// players here, hands the watermark to the engine here, and asks here for what only the
// machine knows: the free space of a volume, the state of the sound server, whether the
// screen and the microphone can be recorded; it opens addresses and starts detached programs
// here too. Each function's default is the real thing; a test installs a subclass for the
// time it runs.
//
// Threads: install() is called by tests on the GUI thread while no other thread asks;
// current() and freeDiskSize() may be called from any thread (the save worker asks for
// space), the other functions on the GUI thread.

#include "ScPlayer.h"
#include "ScRecorder.h"
#include "core/RecordTypes.h"
#include "AudioSourceStatus.h"

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
