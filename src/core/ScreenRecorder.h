#pragma once
// The recorder facade: prepares a screen or audio recording from the settings model,
// hands the watermark over, and starts, pauses, resumes and stops the engine's recorder.
// A process-wide singleton used on the GUI thread only; the getters may be polled from
// the control bar's timer.

#include "RecorderCallback.h"

#include <QList>
#include <QSize>
#include <QString>

class RecordParameter;

class ScreenRecorder {
public:
    static ScreenRecorder* instance();
    // Stops a running recording (its file is finished) and deletes the facade.
    static void release();

    // Prepares a screen recording: fills the engine's video, mouse and sound options from
    // the settings model, hands the watermark over for the recorded frame's size and creates
    // the engine's recorder. Returns false when the engine refused (the caller shows 4001).
    bool recordVideo();
    // Windows of our own that must never show in a screen recording (the control bar when it
    // has to sit on the recorded area): their areas are blacked out in every frame. Applies to
    // the next recordVideo(); full-display, region and around-the-mouse recordings only.
    void setHiddenWindows(const QList<quint64>& windows) { m_hiddenWindows = windows; }
    // Prepares an audio-only recording of the enabled tracks into the temporary root.
    bool recordAudio();
    // Starts the prepared recorder. Returns false when it could not start.
    bool start();
    void pause();
    void resume();
    // Ends the recording and releases the engine's recorder. Returns false when no
    // playable result was written.
    bool stop();
    bool isRecording() const { return m_bStarted; }

    // The finished file of a screen recording, or the first track of an audio recording.
    QString outputPath() const { return m_strOutputPath; }
    double duration() const;
    qint64 fileSize() const;
    qint64 droppedFrames() const;

    // The size of the recorded frame as the settings model describes it: the capture
    // rectangle's size, or in single-window mode the engine's size of the first window.
    static QSize recordFrameSize(const RecordParameter& parameter);

private:
    ScreenRecorder() = default;
    ~ScreenRecorder();
    QString newOutputPath(const QString& suffix) const;

    RecorderCallback m_callback;
    QList<quint64> m_hiddenWindows;
    CBasePtr<CScreenRecorderObject> m_recorder;
    QString m_strOutputPath;
    bool m_bStarted = false;
    // Figures of the last finished recording.
    double m_lastDuration = 0;
    qint64 m_lastSize = 0;
    qint64 m_lastDropped = 0;
};
