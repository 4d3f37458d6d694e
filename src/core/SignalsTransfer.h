#pragma once
// The application-wide signal hub. Objects that are not QObjects (engine callbacks, the
// hotkey callback) and dialogs that must not know the main window emit its signals;
// windows connect to them. Engine callbacks emit from engine threads: receivers that
// touch widgets connect queued.

#include "HistoryFileUtils.h"

#include <QObject>
#include <QRect>

class SignalsTransfer : public QObject {
    Q_OBJECT
public:
    static SignalsTransfer* instance();
    static void release();

    // Stores the entry in the history (newest first), then emits onAddHistoryFile. An entry
    // the settings file cannot take is told to the user (queued, on the GUI thread).
    void addHistoryFile(const QString& path, int type, const QString& resolution, const QString& duration,
                        const QString& size);

signals:
    // Player and converter reports (emitted on engine threads).
    void OnTrimCancel();
    void OnTrimOK(double trimBegin, double trimEnd);
    void OnExportCompleted(bool bSuccessed);
    void OnStatueChanged(int status);

    // History (GUI thread).
    void onAddHistoryFile(const HistoryFileUtils::HistoryFile& file);
    void showHistory();

    // Webcam.
    void cameraDlgClose();
    void cameraRecordError();
    void cameraRecordFinish(bool failed);

    // Recording canvas callout number.
    void canvasNumChange(int number);

    // Global hotkeys.
    void hotKeyPressed(int hotkey);
    void hotKeyEnable(bool enable);

    // Recorder reports (emitted on engine threads): an engine error code, and the
    // region the recording covers changed (window following).
    void recordError(int code);
    void recordRectChanged(const QRect& rect);
    // The recorder facade finished the file of a stopped recording on its worker (GUI
    // thread, posted): `written` is true when a playable result is there.
    void recordFinished(bool written);

private:
    SignalsTransfer();
};
