#pragma once
// The recording control bar: prepares and starts the recorder, shows the elapsed time on a
// one-second tick, pauses, resumes and stops, ends the recording by itself when a stop
// rule fires or the engine reports an error, and at the end runs the preview dialog (or
// saves directly). It is placed beside the recorded region, never inside it, so that it is
// never captured. A stop returns at once: the bar shows "Finishing" (with the share done
// for a GIF) while the recorder facade finishes the file on its worker, and goes on when
// the hub reports the end. Destroyed meanwhile, it waits for the file. GUI thread only.

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
class QTimer;

class VideoRecCtlWdg : public QWidget {
    Q_OBJECT
public:
    explicit VideoRecCtlWdg(QWidget* parent = nullptr);
    ~VideoRecCtlWdg() override;

    // Creates the engine's recorder for the settings model (screen or audio only).
    // False when the engine refused; the caller then shows error code 4001.
    bool prepareRecord();
    // Starts the prepared recorder, starts the tick and shows the bar beside the region
    // unless the settings hide it. A recorder that does not start ends in an error
    // message and sigRecordFinished(false).
    void startRecord();

    bool isRecording() const { return m_bRecording; }
    // The recording stopped and its file is being finished.
    bool isFinishing() const { return m_bFinishing; }
    // The recorded seconds shown on the bar.
    qint64 elapsedSeconds() const { return m_nElapsed; }
    // The size shown on the bar: the bytes written, or for an audio-only recording the size
    // it takes in the chosen audio format.
    qint64 shownFileSize() const { return m_nFileSize; }
    // The rule that ended the recording (NoStop for a stop by the user or an error).
    RecordStopRules::StopReason stopReason() const { return m_eStopReason; }

    // The message of an engine error code (4001 and up), with the offer to give feedback;
    // opens the feedback form when the user answers OK. A full disk (4004) is told as such,
    // without the offer. Shared with the main window.
    static void showErrorMessage(QWidget* parent, int code);
    // "hh:mm:ss" of a number of seconds.
    static QString elapsedText(qint64 seconds);
    // Where a bar of `bar` size goes so that it touches `region` but lies outside it and
    // on one of `screens`: below, above, right of or left of the region, or on another
    // screen. `ok` is false when every place overlaps the region.
    static QPoint placeOutside(const QRect& region, const QSize& bar, const QList<QRect>& screens, bool* ok);
    // The preview is skipped for GIF output, automatic saving, timed and scheduled recordings.
    static bool needSaveDirectly(bool timedStop);

public slots:
    void onPause();
    void onResume();
    void onStop();

signals:
    void sigRecordStarted();
    void sigRecordPaused(bool paused);
    // The recording's road ended: after the preview dialog closed or the direct save ended
    // (or at once when no file was written).
    // `saved` is true when the file entered the history. Receivers delete the bar with
    // deleteLater: the bar is still on the stack when this is emitted.
    void sigRecordFinished(bool saved);

private:
    void onTick();
    void onRecordError(int code);
    // Stops the recorder; `errorCode` (0: none) is shown once the file is finished.
    void finishRecording(int errorCode);
    // The hub's report that the stopped recording's file is finished.
    void onRecordFinished();
    // Messages, then the preview dialog (or the direct save) on the finished file.
    void endRecording(bool written);
    void showFinishing();
    void placeBar();
    // True when the bar has a place beside the recorded area on some screen.
    bool fitsOutsideRegion();
    void updatePauseButtons();
    void showRecordInfo();

    std::unique_ptr<Ui::VideoRecCtlWdg> ui;
    QTimer* m_pTimer = nullptr;
    std::unique_ptr<RecordStopRules> m_pRules;
    RecordStopRules::StopReason m_eStopReason = RecordStopRules::NoStop;
    bool m_bAudioOnly = false;
    bool m_bOnRegion = false; // the bar sits on the recorded area, blacked out of it
    bool m_bPrepared = false;
    bool m_bRecording = false;
    bool m_bPaused = false;
    bool m_bStopping = false;
    bool m_bFinishing = false;
    bool m_bGif = false;
    int m_nErrorCode = 0; // shown once the file is finished
    qint64 m_nElapsed = 0;
    qint64 m_nFileSize = 0;
    // The drawing tool bar (frameEdit) takes its place in the form's wdgEditPlace.
};
