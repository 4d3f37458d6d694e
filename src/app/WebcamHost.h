#pragma once
// The webcam window's host: opens the webcam window (the webcam recorder, which stands in
// for the main window while open, or the overlay shown over the screen), places it wholly
// on a screen, closes it, and keeps the main window's webcam switch in step with it. It owns
// the webcam window. GUI thread.

#include <QObject>
#include <QPointer>

class CameraDlg;
class FfSwitchButton;
class MainWindowBase;
class RecordHistoryTool;

class WebcamHost : public QObject {
    Q_OBJECT
public:
    WebcamHost(MainWindowBase* base, FfSwitchButton* webcamSwitch, RecordHistoryTool* history, QObject* parent);
    // Deletes the webcam window.
    ~WebcamHost() override;

    // The webcam window, null when none.
    CameraDlg* camera() const { return m_pCamera; }
    // The webcam window in camera-only mode, null when none.
    CameraDlg* recorder() const;

    // Opens the webcam window (brings it up when one is open): the webcam recorder when the
    // settings model records the camera alone, else the overlay. Nothing opens while the
    // camera may not be used.
    void open();
    // Opens the webcam recorder, closing an overlay first.
    void openRecorder();
    // The recorder in the Webcam mode (`webcamMode`), else the overlay.
    void openForMode(bool webcamMode);
    // Closes an open webcam window, else opens one as openForMode does.
    void toggleForMode(bool webcamMode);
    // Closes the webcam window once no preview runs and the history is not showing (tried
    // again a moment later meanwhile); a window whose recording runs or is being finished is
    // asked to close, which it does once the recording is saved.
    void close();
    // The webcam switch: on shows the overlay, off closes the webcam window.
    void onSwitch(bool on);
    // The webcam window has closed (or opened): the switch follows.
    void onCameraCloses(bool open);
    // The webcam options, modal; the overlay reopens with the new choices.
    void onOptions();
    // Where the webcam window opens: the overlay at the "Position:" chosen in the options
    // on the recorded display; the recorder at its stored place, else centred on the main
    // window. Wholly inside one screen either way.
    void place(CameraDlg* dlg);

private:
    void setSwitch(bool on);

    MainWindowBase* m_pBase = nullptr;
    FfSwitchButton* m_pSwitch = nullptr;
    RecordHistoryTool* m_pHistory = nullptr;
    QPointer<CameraDlg> m_pCamera;
};
