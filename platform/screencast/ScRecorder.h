#pragma once
// Screen and sound recording: the recorder objects, their callback, and the watermark
// drawn into every recorded frame.
//
// A screen recording captures an area of the X display named by DISPLAY, draws the mouse
// effects and the watermark into each frame, encodes and writes it. While it runs, the
// file in progress (fragmented MP4 or QuickTime, playable at any moment) lies beside the
// final path; a clean Stop() turns it into the final file of the chosen container.

#include "CBasePtr.h"
#include "ScreencastTypes.h"

#include <cstdint>

// Error codes reported through CRecoderCallback::OnRecordError.
enum ScRecordError {
    SRE_CaptureOpen = 1,  // the screen could not be captured at all
    SRE_CaptureLost = 2,  // the screen capture broke off while recording
    SRE_Encoder = 3,      // the encoder failed
    SRE_Write = 4,        // the file in progress could not be written (disk full, folder gone)
    SRE_AudioDevice = 5,  // a sound source could not be opened or broke off
    SRE_Finish = 6,       // the final file could not be made from the file in progress
    SRE_WindowLost = 7,   // a recorded window closed; the area stays where it was
};

// How the window list of a screen recording is used (numbered as the settings model does).
// SWM_Exclude blacks out each listed window as it shows on the screen: a window the window
// manager manages with its frame and title bar.
enum ScWindowMode { SWM_None = 0, SWM_Single = 1, SWM_Exclude = 2, SWM_Multiple = 3 };

struct ScVideoOptions {
    // The captured area in desktop pixels. Ignored for SWM_Single and SWM_Multiple, where
    // the windows give the area; for SWM_Exclude and a full display, the display's area.
    CRect rect;
    ScWindowMode windowMode = SWM_None;
    const uint64_t* windows = nullptr; // X window ids
    int windowCount = 0;
    // The area keeps the size of `rect` and is centred on the mouse (around-the-mouse).
    bool followMouse = false;
    // While a Ctrl key is held the area moves with the mouse, kept on the screen (an area
    // given by `rect` that does not follow the mouse). Each move is reported through
    // CRecoderCallback::OnRecordRectChanged.
    bool ctrlMovesArea = false;
    int frameRate = 30;
    VideoCodec codec = VC_H264;
    CodecQuality quality = CQ_Medium;
    OutputVideoFileType container = OVFT_MP4;
    bool drawCursor = true;
    // Windows of the recording program itself (its controls), X window ids: blacked out in
    // every frame wherever they show on the recorded area, in every window mode and while
    // the area moves. A window that is not shown (unmapped) leaves nothing black.
    const uint64_t* ownWindows = nullptr;
    int ownWindowCount = 0;
    // Windows of the recording program that frame the area from just outside it, X window
    // ids. An area that moves with the mouse (followMouse, ctrlMovesArea) never takes them
    // in: it stays where it is while it would meet one that shows (or showed a moment ago),
    // and a frame taken where one of them came up is not kept. Where the area is to go is
    // reported at once (CRecoderCallback::OnRecordRectChanged), so that the program can take
    // them away; the area goes there once they are gone.
    const uint64_t* frameWindows = nullptr;
    int frameWindowCount = 0;
};

// How mouse clicks show in a screen recording (numbered as the settings model does).
enum ScClickMode { SCM_None = 0, SCM_Highlight = 1, SCM_Blink = 2 };

struct ScMouseOptions {
    int clickMode = SCM_None;   // an ScClickMode: SCM_Highlight while a button is down, SCM_Blink on a click
    ColorRef clickColor = 0;    // the click highlight
    ColorRef normalColor = 0;   // the halo drawn around the cursor when `indicate` is on
    bool indicate = false;
};

struct ScAudioOptions {
    bool systemSound = false;             // the monitor of the default sink
    bool microphone = false;
    const char* microphoneDevice = nullptr; // a source name; null or empty: the default source
};

// Reports of a recorder object. Implementations only store values or post signals.
class CRecoderCallback {
public:
    // An error hit the recording; `code` is an ScRecordError. Called on an engine thread.
    virtual void OnRecordError(int code) = 0;
    // The recorded area moved on the desktop (a followed window moved, the area follows the
    // mouse or was moved with it); also reported once at the start of an area that follows
    // the mouse. An area that moves with the mouse is reported where it is to go, which it
    // reaches once ScVideoOptions::frameWindows are out of its way. Called on an engine thread.
    virtual void OnRecordRectChanged(const CRect& rect) = 0;
    virtual ~CRecoderCallback() = default;
};

// One screen or audio recording. Start, Pause and Resume are called from one controlling
// thread (the GUI thread). Stop may run on a worker thread of the caller while the
// controlling thread polls the getters; nothing else is called until Stop returned, and
// Release comes after it. The getters may be called from any thread.
class CScreenRecorderObject : public CBaseObject {
public:
    // Opens the sources and starts recording. Returns false when nothing could be started.
    virtual bool Start() = 0;
    // Stops adding to the timeline until Resume(); the paused time leaves no gap.
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Ends the recording and writes the final file(s) from what was recorded, also after an
    // error; takes as long as making the final file (a remux, or the two passes of a GIF).
    // When the final file cannot be written for want of space, the file in progress, which
    // plays as it is, becomes the result (see GetOutputPath). Returns false when no
    // playable result could be written (the file in progress, if any, is then kept).
    virtual bool Stop() = 0;
    // The share of the final file made so far while Stop() runs, 0 to 1; 1 once it returned.
    virtual double GetFinishProgress() = 0;
    // Recorded seconds so far, pauses excluded.
    virtual double GetDuration() = 0;
    // Bytes written so far (all files of the recording).
    virtual int64_t GetFileSize() = 0;
    // Frames captured but not written because a later stage was behind.
    virtual int64_t GetDroppedFrames() = 0;
    // Frames written to the file.
    virtual int64_t GetWrittenFrames() = 0;
    // The final file (screen recording) or the first track written (audio recording). After
    // a Stop() that handed the file in progress over, that file: for a GIF it keeps its own
    // container and the suffix ".mp4".
    virtual const char* GetOutputPath() = 0;
    // True once every sound source of the recording delivers (its first sound has arrived)
    // or will deliver nothing (it could not be opened, or broke off); true at once for a
    // recording without sound. The sources open when the object is made, and the sound
    // server delivers a new capture only after a while: a Start() held back until this is
    // true has the sound that plays at the start from its first moment.
    virtual bool IsSoundFlowing() = 0;
};

// Creates a screen recording into `outputPath` (its suffix need not match; the container
// comes from the options). Returns an empty handle when the options cannot be recorded
// (no area, a codec the container cannot hold) or when a file is already at the path.
// `callback` may be null and must outlive the object.
CBasePtr<CScreenRecorderObject> scVideoRecord(CRecoderCallback* callback, const ScVideoOptions& video,
                                              const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                              const char* outputPath);

// Creates an audio-only recording: one file per track in `folder` (track 0 system sound,
// track 1 microphone). A clean Stop() hands the tracks over as the last audio recording
// (scSetLastAudioRecording). Returns an empty handle when no track is enabled.
CBasePtr<CScreenRecorderObject> scAudioRecord(CRecoderCallback* callback, const ScAudioOptions& audio,
                                              const char* folder);

// The bytes `seconds` of an audio recording take once converted into `type` at `quality`
// (1 to 6) by scAudioConvert: the bit rate times the length for the lossy formats, the
// uncompressed 16-bit stereo size (about their largest) for the lossless ones. Any thread.
int64_t scEstimateAudioFileSize(OutputAudioFileType type, CodecQuality quality, double seconds);

// Keeps the picture at `path` and its rectangle in frame pixels; later screen recordings draw
// it into every frame with its alpha. A null path (and zeros) clears it. Any thread.
void SetWatermark(const char* path, int x, int y, int width, int height);

// The rectangle a recording of window `window` records: left and top 0, right and bottom
// the window's width and height. Returns false when the window does not exist.
bool scGetRecordWindowRect(uint64_t window, CRect* rect);

// Finishes what a recording left behind when its process died before the end: `leftover`,
// the file in progress of a screen recording or a track of an audio recording, is read as far
// as it is readable and written to `outputPath` in the container its suffix names ("mp4",
// "mov", "m4v", "gif"; "mka" for a sound track). `leftover` is never changed. Returns false,
// with no partial output left, when nothing playable could be read or written; never replaces
// a file at `outputPath`. `outputPath` is written by name, so it belongs in a folder nobody
// else can write (the recording's own scratch folder); the caller moves the result from there.
// Any thread; takes as long as copying the recording.
bool scRecoverRecording(const char* leftover, const char* outputPath);
