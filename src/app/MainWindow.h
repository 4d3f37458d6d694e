#pragma once
// The main window: chooses what to record (full screen, region, window, around the mouse,
// audio only, the webcam alone) and with which sound and cursor, and starts the recording:
// it checks that the recording can run (RecordChecks), hides itself and the region box, has
// the control bar prepare the recorder, counts down (or, without a countdown, waits for the
// recorder's sound to flow) and lets the control bar start; a stop before then ends it; each
// step is told to RecordState, which the status item and the float panel follow. The webcam
// alone is recorded in the webcam recorder, which stands in for the main window while open
// and then takes the record, stop, pause and snapshot requests (hotkeys, status item, float
// panel). Its webcam host owns the webcam window; its webcam switch follows the window shown
// over the screen. Its snapshot flow runs screenshots; its hotkey dispatcher serves the
// global hotkeys (and owns the float panel); its hotkey reminder keeps the reminder (whose
// rows hold the hot keys); a scheduled task starts through TaskRecordStart.
// A hidden QMainWindow of its own; its central widget is shown inside the framework main
// window. GUI thread.

#include "RecordTarget.h"

#include "core/RecordTypes.h"
#include "recording/CountdownWidget.h"

#include <QMainWindow>
#include <QPointer>

class CameraDlg;
class DlgHotKeyMessage;
class DlgSnapshot;
class FfFloatWindow;
class HotKeyDispatcher;
class HotKeyReminder;
class MainWindowBase;
class QAbstractButton;
class QImage;
class RecordHistoryTool;
class RecordStartGate;
class SnapshotFlow;
class VideoRecCtlWdg;
class WebcamHost;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Initialises the capture engine, selects the display and fills the device lists.
    explicit MainWindow(MainWindowBase* base);
    // Releases, in this order, the device facade, the settings model, the window list and the
    // signal hub; then the region box, the recorder facade and, last, the engine.
    ~MainWindow() override;

    MainWindowBase* mainWindowBase() const { return m_pBase; }
    Ui::MainWindow* ui() const { return m_pUi; }
    RecordHistoryTool* historyTool() const;

    RecordTarget::Mode recordMode() const { return m_mode; }
    void setRecordMode(RecordTarget::Mode mode);
    // Writes the choices of the window into the settings model (the road's first step).
    void refreshRecordParameter();
    // The control bar of the running recording, null when none.
    VideoRecCtlWdg* controlBar() const;
    // The countdown before the recording, null until the first one.
    CountdownWidget* countdown() const { return m_pCountdown; }
    // Milliseconds each countdown picture stays (tests shorten it).
    void setCountdownStep(int ms) { m_nCountdownStepMs = ms; }
    // True from the record click until the recording has ended.
    bool isRecordBusy() const { return m_bRecordBusy; }
    // True while a record click asks its questions (checks, reminder).
    bool isRecordAsking() const;
    // The screenshot that runs, null when none.
    DlgSnapshot* snapshotDialog() const;
    // The webcam window, null when none.
    CameraDlg* cameraDialog() const;
    // Global hotkeys are served (RecordState holds the answer).
    bool isHotKeyEnabled() const;
    // The hotkey reminder, kept hidden while no reminder shows: its rows keep the global hot
    // keys installed. Null only while the Preferences dialog has its own rows.
    DlgHotKeyMessage* hotKeyMessage() const;
    // The float panel, null until its hotkey first shows it.
    FfFloatWindow* floatWindow() const;

public slots:
    void onBtnRecClicked();
    // A hotkey's action (HotKeyDispatcher). While a question of ours awaits its answer
    // nothing new starts (no recording, screenshot or webcam); a running recording is still
    // paused, resumed or stopped. An open History steps aside.
    void onHotKeyPressed(int hotkey);
    void onHotKeyEnable(bool enable);
    void onTaskStartRec(int recWhat);
    void onRecordStarted();
    void onRecordPaused(bool paused);
    void onRecordFinished(bool saved);
    void onStopRecord();
    void onPauseResume();
    void showMainWindow();
    // The framework main window was asked to close: quit (after the quit prompt) or keep
    // running in the status area.
    void onCloseRequest();
    // Quits the application unless a recording runs.
    void onQuit();

    // Starts a screenshot (none while one runs): the main window and the region box step
    // aside while the screen is captured.
    void onBtnSnapshot();
    // The screenshot at `filePath` (its format's file filter `fileFmt`) is saved where the
    // user chooses, into the screenshot folder by default, and enters the history. Nothing is
    // ever replaced: a name that is taken, or a folder that cannot be written, is asked again.
    void onSaveSnapPic(const QString& filePath, const QString& fileFmt);
    // Pins the picture on the screen, where the screenshot's area was.
    void onPaintToScreen(const QImage& image);
    // The screenshot ended: the main window and the region box come back.
    void releaseSnapshot();

    // Opens the webcam window (none while one is open): the webcam recorder when the
    // settings model records the camera alone, else the overlay shown over the screen.
    void openCamera();
    // Closes the webcam window once no preview runs; a window whose recording runs or is
    // being finished is asked to close, which it does once the recording is saved.
    void closeCamera();
    // The webcam switch: on shows the webcam window over the screen, off closes it.
    void onWebcamSwitch(bool on);
    // The webcam window has closed (or opened): the switch follows.
    void onCameraCloses(bool open);
    // The webcam options, modal; the window over the screen reopens with the new choices.
    void onWebcamOptions();
    // The Preferences, modal, on the Recording page (nothing in camera-only mode), or on
    // `page`; none while they are open. Meanwhile the hotkey reminder is gone and hotkeys are
    // not served; once the dialog has gone, hotkeys are served again and the reminder
    // (holding the hot keys) is made anew if none exists.
    void onShowOption();
    void onOptionDlgShow(int page);
    void onOptionDlgHide();
    // Closes the hotkey reminder when it shows, and the Preferences without saving.
    void hidePopupDialog();

    // Region box reports (queued).
    void onHideForRegionSelect();
    void onEndSelectRegion(const QRect& rect);
    void onRegionDragEnd(const QRect& rect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initEngine();
    // Loads the engine (on its worker) and initialises it; once.
    void startEngine();
    void initModeButtons();
    void initOptions();
    void initSwitches();
    void initConnections();
    void fillDisplays();
    void onDisplaysChanged();
    void updateModeView();
    void updateWindowLabel();
    void showRegionBox();
    void onRegionSizeChanged(int index);
    void onSelectRegion();
    void onSelectWindow();
    QRect selectedDisplayRect() const;
    // The mode records the screen (not sound alone, not the webcam alone).
    bool recordsScreen() const;
    // The webcam window in camera-only mode, null when none.
    CameraDlg* webcamRecorder() const;
    // Opens the webcam recorder, closing a webcam window over the screen first.
    void openWebcamRecorder();
    // The webcam hotkey and the status item's webcam action: the recorder in Webcam mode,
    // else the window over the screen.
    void openWebcamForMode();

    void startRoad();
    // Ends the task recording mark when its recording could not start.
    void abandonTask();
    void startRecordNow();
    void endRoad();
    // After a saved timed recording: a timed stop that does not repeat ends, and its
    // finishing action runs (after its countdown) a moment later.
    void finishTimedRecording();

    Ui::MainWindow* m_pUi = nullptr;
    MainWindowBase* m_pBase = nullptr;
    RecordTarget::Mode m_mode = RecordTarget::FullScreen;
    QPointer<QWidget> m_pCtlWdg;
    QPointer<CountdownWidget> m_pCountdown;
    // Holds a start without a countdown back until the recorder's sound flows.
    RecordStartGate* m_pStartGate = nullptr;
    int m_nCountdownStepMs = 1000;
    bool m_bRecordBusy = false;
    WebcamHost* m_pWebcam = nullptr;
    HotKeyDispatcher* m_pHotKeys = nullptr;
    HotKeyReminder* m_pReminder = nullptr;
    SnapshotFlow* m_pSnapshots = nullptr;
    bool m_engineStarted = false;
};
