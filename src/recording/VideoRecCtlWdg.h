#pragma once
// The recording control bar: prepares and starts the recorder, shows the elapsed time on a
// one-second tick, pauses, resumes and stops, ends the recording by itself when a stop
// rule fires or the engine reports an error, and at the end runs the preview dialog (or
// saves directly). A planned end (record length, timed stop, task) comes when the recorder
// has recorded that long, pauses excluded, not at the next tick. It is placed beside the
// recorded region; where there is no room beside it, it sits on the region. The recorder
// blacks its area out wherever the recorded area meets it (also an area that moves with the
// mouse), so that it is never captured.
// A stop returns at once: the bar shows "Finishing" (with the share done
// for a GIF) while the recorder facade finishes the file on its worker, and goes on when
// the hub reports the end. Destroyed meanwhile, it waits for the file. While the screen is
// recorded, its edit button opens the drawing tool bar, which draws on the recorded area, and
// its snapshot button saves a picture of the area. It places and stacks itself, outside any
// window manager; wherever it is, the drawing canvas leaves its place clear, so that its
// buttons take clicks while a tool draws; its size does not change when Pause turns into
// Resume and back. Each step of the recording is told to RecordState. GUI thread only.

#include "RecordStopRules.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <memory>

namespace Ui {
class VideoRecCtlWdg;
}
class FfColor;
class QImage;
class QTimer;

class VideoRecCtlWdg : public QWidget {
    Q_OBJECT
public:
    explicit VideoRecCtlWdg(QWidget* parent = nullptr);
    ~VideoRecCtlWdg() override;

    // Creates the engine's recorder for the settings model (screen or audio only).
    // False when the engine refused; the caller then shows errorCode(SRE_CaptureOpen).
    bool prepareRecord();
    // Starts the prepared recorder, starts the tick and shows the bar beside the region
    // unless the settings hide it. A recorder that does not start ends in an error
    // message and sigRecordFinished(false).
    void startRecord();

    bool isRecording() const { return m_bRunning; }
    // The recording stopped and its file is being finished.
    bool isFinishing() const { return m_bFinishing; }
    // The recorded seconds shown on the bar.
    qint64 elapsedSeconds() const { return m_nElapsed; }
    // The size shown on the bar: the bytes written, or for an audio-only recording the size
    // it takes in the chosen audio format.
    qint64 shownFileSize() const { return m_nFileSize; }
    // The rule that ended the recording (NoStop for a stop by the user or an error).
    RecordStopRules::StopReason stopReason() const { return m_eStopReason; }

    // The code the user is shown for an engine error (an ScRecordError): kErrorCodeBase plus
    // the engine's code. A recorder that cannot be prepared or started is shown as
    // errorCode(SRE_CaptureOpen), 4001.
    static constexpr int kErrorCodeBase = 4000;
    static constexpr int errorCode(int engineError) { return kErrorCodeBase + engineError; }
    // The message of an error code (errorCode()), with the offer to give feedback; opens the
    // feedback form when the user answers OK. A full disk (errorCode(SRE_Write)) is told as
    // such, without the offer. The one place the recording's error messages come from.
    static void showErrorMessage(QWidget* parent, int code);
    // "hh:mm:ss" of a number of seconds.
    static QString elapsedText(qint64 seconds);
    // Where a bar of `bar` size goes so that it touches `region` but lies outside it and
    // on one of `screens`: below, above, right of or left of the region, or on another
    // screen. `ok` is false when every place overlaps the region.
    static QPoint placeOutside(const QRect& region, const QSize& bar, const QList<QRect>& screens, bool* ok);
    // The preview is skipped for GIF output, automatic saving, timed and scheduled recordings.
    static bool needSaveDirectly(bool timedStop);

    // The drawing tool bar under the bar; shown by the edit button.
    FfColor* drawingBar() const;
    // A drawing tool runs on the recording canvas.
    bool isDrawing() const { return m_bDrawing; }

public slots:
    void onPause();
    void onResume();
    void onStop();
    // The drawing tool bar's choice: tool `shape` draws on the recording canvas over the
    // recorded area (nothing for CS_None, or where the recording has no canvas).
    void onStartCanvs(int shape);
    // Drawing pauses (the drawings stay); `exit` also closes the drawing tool bar.
    void onStopCanvs(bool exit);
    // Writes a picture of the recorded area (with the drawings) into the screenshot folder,
    // off the GUI thread, lists it in the history and lets a thumbnail of it fly into the
    // bar. A picture that cannot be taken or written is told to the user.
    void onSnapshot();

signals:
    void sigRecordStarted();
    void sigRecordPaused(bool paused);
    // The recording's road ended: after the preview dialog closed or the direct save ended
    // (or at once when no file was written).
    // `saved` is true when the file entered the history. Receivers delete the bar with
    // deleteLater: the bar is still on the stack when this is emitted.
    void sigRecordFinished(bool saved);

protected:
    bool event(QEvent* event) override;

private:
    // Tells the recording canvas where the bar is (nowhere while hidden).
    void keepCanvasClear();
    void onTick();
    // Times the stop for the next planned end from `recorded` seconds (nothing when none is
    // near); the tick times it again, so that a late tick does not delay the end.
    void armPlannedStop(double recorded);
    void onPlannedStop();
    void stopByRule(RecordStopRules::StopReason reason, double recorded);
    void onRecordError(int code);
    // Stops the recorder; the error `code` (0: none) is shown once the file is finished.
    void finishRecording(int code);
    // The hub's report that the stopped recording's file is finished.
    void onRecordFinished();
    // Messages, then the preview dialog (or the direct save) on the finished file.
    void endRecording(bool written);
    void showFinishing();
    void placeBar();
    void updatePauseButtons();
    void showRecordInfo();
    void onEditToggled(bool open);
    void onHideBar();
    // A thumbnail of `image` flies from the bar into its snapshot button.
    void flyOut(const QImage& image);
    void onSnapshotWritten(const QString& path, bool written);

    std::unique_ptr<Ui::VideoRecCtlWdg> ui;
    QTimer* m_pTimer = nullptr;
    QTimer* m_pStopTimer = nullptr; // single shot: the next planned end
    std::unique_ptr<RecordStopRules> m_pRules;
    RecordStopRules::StopReason m_eStopReason = RecordStopRules::NoStop;
    bool m_bAudioOnly = false;
    bool m_bPrepared = false;
    bool m_bRunning = false;
    bool m_bPaused = false;
    bool m_bStopping = false;
    bool m_bFinishing = false;
    bool m_bGif = false;
    int m_nErrorCode = 0; // shown once the file is finished
    qint64 m_nElapsed = 0;
    qint64 m_nFileSize = 0;
    bool m_bDrawing = false;
};
