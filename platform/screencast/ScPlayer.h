#pragma once
// Preview players: a video player over a file and an audio player over the engine's last
// audio recording, both drawn into a host widget, with trimming and (video) export.
//
// Threads: the factories and every object operation are called on the GUI thread (the
// thread that owns the host widget). Callbacks may arrive on the engine's own threads;
// none arrives after the object's Release() has returned.

#include "CBasePtr.h"
#include "ScreencastTypes.h"

// Reports of a player. The engine may call these on any of its threads.
class CAVPlayerCallback {
public:
    // AVPlayerItemStatusReadyToPlay once the media opened, AVPlayerItemStatusFailed when it
    // cannot be played; sent once.
    virtual void OnStatueChanged(AVPlayerItemStatus status) = 0;
    // The user left the trim controls with Cancel.
    virtual void OnTrimCancel() = 0;
    // The user confirmed the range [begin, end] in seconds with OK.
    virtual void OnTrimOK(double begin, double end) = 0;
    virtual ~CAVPlayerCallback() = default;
};

// Report of a video export: sent exactly once per export that Export() started, never
// after CancelExport() or Release().
class CAVPlayerExportCallback {
public:
    // `ok` is 1 when the file was written completely, 0 when the export failed.
    virtual void OnExportCompleted(signed char ok) = 0;
    virtual ~CAVPlayerExportCallback() = default;
};

// What both players do: trimming, seeking, pausing and resuming.
class CPlayerObject : public CBaseObject {
public:
    // Shows the trim controls in the host. Returns 0, or non-zero when there is no host or
    // the media is not ready.
    virtual int BeginTrimming() = 0;
    // Moves the trim begin to `seconds`. Returns 0, or non-zero when outside [0, end).
    virtual int SetTrimBegin(double seconds) = 0;
    // Moves the trim end to `seconds`. Returns 0, or non-zero when outside (begin, duration].
    virtual int SetTrimEnd(double seconds) = 0;
    // Jumps to `seconds` (clamped to the media). Returns 0.
    virtual int Seek(double seconds) = 0;
    // Holds playback at the current picture.
    virtual void Pause() = 0;
    // Continues playback (from the start when it had reached the end).
    virtual void Resume() = 0;
};

class CAVPlayerObject : public CPlayerObject {
public:
    // Writes the trimmed range to `path` (local 8-bit encoding) on a worker thread.
    // Returns 0 when the export started (one OnExportCompleted follows), non-zero when an
    // export already runs or the arguments are unusable (nothing follows).
    virtual int Export(const char* path, OutputVideoFileType type, CAVPlayerExportCallback* callback) = 0;
    // Share of the running or last export done, 0 to 1. Any thread.
    virtual double GetExportProgress() = 0;
    // Bytes written by the running or last export. Any thread.
    virtual long long GetExportedSize() = 0;
    // Stops a running export without a report and removes its partial output; does
    // nothing when none runs. Returns 0.
    virtual int CancelExport() = 0;
    // Look of the control bar; ControlsStyleNone hides it.
    virtual void SetControlsStyle(contralsStyle style) = 0;
};

// The audio player: a range confirmed in its trim controls or set with SetTrimBegin and
// SetTrimEnd becomes the range the audio converter writes.
class CAudioPlayerObject : public CPlayerObject {
public:
    // Gain of a track (0 system sound, 1 microphone), 1.0 unchanged, clamped to [0, 4];
    // heard at once and applied by the audio converter. Returns 0, non-zero for a bad track.
    virtual int SetVolume(int track, float volume) = 0;
};

// Opens the file `path` (local 8-bit encoding) for playback in `host` (may be null: no
// picture, no sound, export only). Status arrives through `callback`. An empty handle
// when `callback` or `path` is null.
CBasePtr<CAVPlayerObject> CreateAVPlayer(CAVPlayerCallback* callback, const char* path, NSView* host);

// Plays the engine's last audio recording (both tracks mixed) in `host`.
// AVPlayerItemStatusFailed arrives when there is no recording. An empty handle when
// `callback` is null.
CBasePtr<CAudioPlayerObject> CreateAudioPlayer(CAVPlayerCallback* callback, NSView* host);
