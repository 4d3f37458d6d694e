#pragma once
// Performs the global hotkeys' actions for the main window: start/stop, pause/resume,
// screenshot, the webcam (open and close) and the float panel, which it owns. The webcam
// recorder, while open, takes the record, pause and snapshot chords. A question awaiting an
// answer (a record click's checks, the reminder, a message box) holds back what would start
// something new; an open History does not: it steps aside, as for a click. GUI thread.

#include "core/RecordTypes.h"

#include <QObject>
#include <QPointer>

class FfFloatWindow;
class MainWindow;
class WebcamHost;

class HotKeyDispatcher : public QObject {
    Q_OBJECT
public:
    HotKeyDispatcher(MainWindow* mainWindow, WebcamHost* webcam);
    // Deletes the float panel.
    ~HotKeyDispatcher() override;

    // The float panel, null until its hotkey first shows it.
    FfFloatWindow* floatWindow() const;

    // A hotkey's action (RP_HotKey); nothing while the main window does not serve hotkeys.
    void dispatch(int hotkey);

private:
    // True while a question of ours waits for its answer.
    bool questionOpen() const;
    // The History gives way to what a chord opens.
    void closeHistory();
    void toggleFloatWindow();

    MainWindow* m_pMain = nullptr;
    WebcamHost* m_pWebcam = nullptr;
    QPointer<FfFloatWindow> m_pFloat;
};
