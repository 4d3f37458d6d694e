#pragma once
// The recorder facade: prepares a screen or audio recording from the settings model,
// hands the watermark over, and starts, pauses, resumes and stops the engine's recorder.
// A process-wide singleton used on the GUI thread only; the getters may be polled from
// the control bar's timer. A stopped recording's file is finished on a worker thread of
// its own, which the facade joins before it releases the recorder or is deleted.

#include "RecorderCallback.h"
#include "ScImageCapture.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <atomic>
#include <thread>

class RecordBoundary;
class RecordParameter;

class ScreenRecorder {
public:
    static ScreenRecorder* instance();
    // Stops a running recording (its file is finished) and deletes the facade.
    static void release();

    // Prepares a screen recording: fills the engine's video, mouse and sound options from
    // the settings model (no click effects or highlight without the cursor; with "Follow the
    // mouse" a Ctrl key held moves a region with the mouse, and such a region has no canvas;
    // the control bar, its drawing tool bar and the float panel are blacked out wherever the
    // area meets them, in every mode), hands the watermark over for the recorded frame's size
    // and creates the engine's recorder. Returns false when the engine refused (the caller then shows
    // VideoRecCtlWdg::errorCode(SRE_CaptureOpen)).
    bool recordVideo();
    // Windows of our own that must never show in a screen recording (the control bar): their
    // areas are blacked out in every frame, wherever the recorded area meets them. Applies to
    // the next recordVideo(), in every mode.
    void setHiddenWindows(const QList<quint64>& windows) { m_hiddenWindows = windows; }
    // Prepares an audio-only recording of the enabled tracks into a recording folder of its own.
    bool recordAudio();
    // Starts the prepared recorder; with the option "Show recording boundary" a frame shows
    // just outside the recorded area until the recording stops (hidden while the area moves,
    // shown again where it rests; an area that moves with the mouse waits for it to be gone
    // and is never recorded with it). Returns false when it could not start.
    bool start();
    void pause();
    void resume();
    // Ends the recording, waits while its file is finished and releases the engine's
    // recorder. Returns false when no playable result was written.
    bool stop();
    // Ends the recording and returns at once: the file is finished on a worker, and the end
    // arrives as SignalsTransfer::recordFinished. False (and no signal) when nothing records.
    bool beginStop();
    // True from beginStop() until the file is finished.
    bool isFinishing() const { return m_finishing && !m_bFinishDone; }
    // The share of the file finished so far, 0 to 1 (the passes of a GIF, the remux).
    double finishProgress() const;
    // Waits for the finishing that beginStop() started (at once when its end was reported),
    // releases the engine's recorder and returns whether a playable result was written.
    // False when no finishing was pending.
    bool waitStopped();
    bool isRecording() const { return m_bStarted; }
    // The prepared recorder's sound sources deliver, or it records no sound; true when
    // nothing is prepared. A start held back until then has the sound from its first moment.
    bool isSoundFlowing() const { return !m_recorder || m_recorder->IsSoundFlowing(); }

    // The finished file of a screen recording (the file in progress when there was no space
    // to finish it), or the first track of an audio recording.
    QString outputPath() const { return m_strOutputPath; }
    double duration() const;
    qint64 fileSize() const;
    qint64 droppedFrames() const;

    // The size of the recorded frame as the settings model describes it: the capture
    // rectangle's size, or in single-window mode the engine's size of the first window.
    static QSize recordFrameSize(const RecordParameter& parameter);
    // The bytes `seconds` of an audio-only recording take in the audio format and quality of
    // the settings model, once converted (the recording itself is uncompressed).
    static qint64 audioFileSize(double seconds);

    // Drawing on the screen while a screen recording of a fixed area runs (not a followed
    // window, not around the mouse). The canvas window appears over the recorded area at the
    // first onStartCanvs and goes with the recording's stop; the recording shows it.
    bool hasCanvas() const;
    // Draws with tool `shape` (CanvasShapes; 0 is ignored) and the drawing tool bar's choices:
    // the size is `fontSize` for the text tool, else `penSize`; for tools other than the
    // callout `background` gets the alpha 0x64; the next callout shows `number` + 1. Callout
    // numbers placed are announced as SignalsTransfer::canvasNumChange. Nothing without a canvas.
    void onStartCanvs(int shape, int fontSize, int penSize, QColor colour, QColor background, const char* fontFamily,
                      int number);
    // Stops drawing; the drawings stay and clicks pass through the canvas again.
    void onStopCanvs();
    // Keeps `area` (desktop pixels; empty: nothing) free of the canvas, now and for a canvas
    // made later: the control bar's place, which stays clickable while a tool draws.
    void setCanvasClearArea(const QRect& area);
    void onCanvasUndo();
    void onCanvasRedo();
    void onCanvasClear();

private:
    ScreenRecorder() = default;
    ~ScreenRecorder();
    QString newOutputPath(const QString& suffix) const;

    // Passes the recording canvas's callout numbers to the signal hub.
    class CanvasEvent : public CScreenCanvasEvent {
    public:
        void OnScreenCanvasEvent(signed char canUndo, signed char canRedo) override {}
        void OnNumberChanged(int number) override;
    };
    // Takes away what covers the screen for the recording: the canvas, the boundary.
    void releaseOverlays();
    // The boundary's windows, made at the first call (hidden).
    RecordBoundary* boundary();
    void showBoundary();

    RecorderCallback m_callback;
    CanvasEvent m_canvasEvent;
    // The area of the running recording a canvas may cover; empty when it moves or is not a screen.
    QRect m_canvasArea;
    CBasePtr<CRecordCanvasObject> m_canvas;
    // The boundary of the prepared recording: shown or not, and around which area at first
    // (empty: where the engine first reports the area).
    bool m_bBoundary = false;
    QRect m_boundaryArea;
    QPointer<RecordBoundary> m_pBoundary;
    QRect m_canvasClearArea;
    QList<quint64> m_hiddenWindows;
    // Collects the end of a stopped recording and releases its recorder.
    bool collectStopped(bool written);

    CBasePtr<CScreenRecorderObject> m_recorder;
    // A stopped recorder while its file is finished on m_finishThread.
    CBasePtr<CScreenRecorderObject> m_finishing;
    std::thread m_finishThread;
    std::atomic<bool> m_bFinishDone{false};
    std::atomic<bool> m_bFinishWritten{false};
    QString m_strOutputPath;
    bool m_bStarted = false;
    // Figures of the last finished recording.
    double m_lastDuration = 0;
    qint64 m_lastSize = 0;
    qint64 m_lastDropped = 0;
};
