#pragma once
// The main window: chooses what to record (full screen, region, window, around the mouse,
// audio only) and with which sound and cursor, and starts the recording: it checks that the
// recording can run, hides itself and the region box, has the control bar prepare the
// recorder, counts down and lets the control bar start. It also runs screenshots (one at a
// time; it owns the running one) and pins them on the screen. A hidden QMainWindow of its
// own; its central widget is shown inside the framework main window. GUI thread.

#include "RecordTarget.h"

#include "core/RecordTypes.h"
#include "recording/CountdownWidget.h"

#include <QMainWindow>
#include <QPointer>

class DlgSnapshot;
class MainWindowBase;
class QAbstractButton;
class QImage;
class RecordHistoryTool;
class VideoRecCtlWdg;

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
    // The screenshot that runs, null when none.
    DlgSnapshot* snapshotDialog() const;
    bool isHotKeyEnabled() const { return m_bHotKeyEnable; }

public slots:
    void onBtnRecClicked();
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

    // Windows this build does not have: each slot logs the request and shows nothing.
    void openCamera();
    void closeCamera();
    void onShowOption();
    void onOptionDlgShow(int page);
    void onOptionDlgHide();
    void hidePopupDialog();

    // Region box reports (queued).
    void onHideForRegionSelect();
    void onEndSelectRegion(const QRect& rect);
    void onRegionDragEnd(const QRect& rect);

private:
    void initEngine();
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

    // The checks of a record click, in order; false (after telling the user) stops the road.
    bool checkBeforeRecord();
    // Shows the guide for a source that cannot be recorded; true when it is usable afterwards.
    bool guideToAccess(Privacy_Setting kind, QWidget* parent);
    void startRoad();
    // Ends the task recording mark when its recording could not start.
    void abandonTask();
    void startRecordNow();
    void endRoad();

    Ui::MainWindow* m_pUi = nullptr;
    MainWindowBase* m_pBase = nullptr;
    RecordTarget::Mode m_mode = RecordTarget::FullScreen;
    QPointer<QWidget> m_pCtlWdg;
    QPointer<CountdownWidget> m_pCountdown;
    int m_nCountdownStepMs = 1000;
    bool m_bRecordBusy = false;
    bool m_bHotKeyEnable = true;
    QPointer<DlgSnapshot> m_pSnapshot;
    bool m_bSnapshotHidMain = false; // the screenshot hid the framework main window
};
