#pragma once
// The webcam window. In camera-only mode it is the webcam recorder: it chooses the camera
// and the microphone, records, pauses, resumes and stops a webcam recording (showing its
// length and size), hands the finished recording to the preview, and takes photos. In
// overlay mode it only shows the camera's picture and stays on top while a screen recording
// runs (counting down, recording or paused), so that the recording has it, and is an
// ordinary window otherwise, under the preview that follows; it never touches a screen
// recording's state. The recorder tells
// each step of its recording (start, pause, resume, finish) to RecordState.
// A recording is never dropped: closing the window while one runs asks first and then
// finishes it through the preview; a failed start leaves the window idle with a message; a
// failed end tells the user and still offers what was written.
// A planned end (timed stop, task) comes when the camera has recorded that long, pauses
// excluded, not at the next tick.
// GUI thread; the engine's reports arrive queued through the signal hub. Owns its form,
// its timers and the combo delegate; releases the camera facade when destroyed.

#include "CameraTickRules.h"
#include "OvDialogBase.h"

#include <QColor>
#include <QPointer>
#include <memory>

namespace Ui {
class CameraDlg;
}
class MainWindowBase;
class OvComboboxViewItemDelegate;
class QTimer;

class CameraDlg : public OvDialogBase {
    Q_OBJECT
    Q_PROPERTY(QColor ColorHover READ colorHover WRITE setColorHover)
    Q_PROPERTY(QColor ColorNormal READ colorNormal WRITE setColorNormal)
    Q_PROPERTY(QColor ColorBacHover READ colorBacHover WRITE setColorBacHover)
    Q_PROPERTY(QColor ColorBacNormal READ colorBacNormal WRITE setColorBacNormal)
public:
    // The window's size when nothing is stored, and the smallest it may get.
    static constexpr int kDefaultWidth = 1047;
    static constexpr int kDefaultHeight = 745;
    static constexpr int kMinWidth = 113;
    static constexpr int kMinHeight = 64;

    CameraDlg(bool onlyCamera, QWidget* parent = nullptr);
    ~CameraDlg() override;

    bool isOnlyCamera() const { return m_bOnlyCamera; }
    // The parent of the preview dialog.
    void setMainWindowBase(MainWindowBase* mainWindow);
    // Overlay mode: the stored size, at least the minimum.
    void resizeView();
    // True while a webcam recording of this window runs or is being finished.
    bool isBusy() const { return m_eState != Idle; }
    // True while a photo is being taken.
    bool isSanping() const { return m_bTakingPhoto; }
    // The path the running (or last) recording is written to.
    QString tempFile() const { return m_strTempFile; }

    QColor colorHover() const { return m_colorHover; }
    void setColorHover(const QColor& color) { m_colorHover = color; }
    QColor colorNormal() const { return m_colorNormal; }
    void setColorNormal(const QColor& color) { m_colorNormal = color; }
    QColor colorBacHover() const { return m_colorBacHover; }
    void setColorBacHover(const QColor& color) { m_colorBacHover = color; }
    QColor colorBacNormal() const { return m_colorBacNormal; }
    void setColorBacNormal(const QColor& color) { m_colorBacNormal = color; }

signals:
    // Sent with false when the window closes.
    void closes(bool open);

public slots:
    void on_btnRec_clicked();
    void on_btnStop_clicked();
    void onPause();
    void onResume();
    // Records when nothing records, else stops (hotkeys and the status item).
    void startOrStop();
    void pauseOrResume();
    // Takes a photo into the screenshot folder (one at a time).
    void snapshot();
    void onRecordingError();
    void onRecordingFinish(bool failed);
    void onUpdateInfo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum State { Idle, Recording, Finishing };

    // Overlay mode: stays on top while RecordState's `state` records the screen.
    void followScreenRecording(int state);

    void initFrmSetting();
    void fillDevices();
    void applyDelegateColors();
    void onCameraItemChanged(int index);
    void changeMicState();
    void showMicState();
    void showRecordingControls();
    void showIdleControls();
    // Times the stop for the next planned end (task, timed stop) from `recorded` seconds, so
    // that it comes when the recorder has recorded that long, not at the next tick; nothing
    // when none is near. Each tick times it again.
    void armPlannedStop(double recorded);
    void onPlannedStop();
    // Stops the tick and the planned stop.
    void stopTicks();
    // Ends the recording; `forced` also before Stop is offered (low space, closing).
    void stopRecording(bool forced);
    void finishRecording(bool failed);
    // Runs the preview of `file` modally, the window hidden meanwhile.
    void runPreview(const QString& file);
    void afterPreview();
    // Shows an error box with the feedback offer; true when the user chose OK.
    void showFeedbackBox(const QString& text);
    void closeWhenDone();

    std::unique_ptr<Ui::CameraDlg> ui;
    const bool m_bOnlyCamera;
    QPointer<MainWindowBase> m_pMainWnd;
    QString m_strTempFile;
    bool m_bMicOn = false;
    QTimer* m_pUpdateTimer = nullptr;
    QTimer* m_pStopTimer = nullptr; // single shot: the next planned end
    std::unique_ptr<CameraTickRules> m_pRules;
    State m_eState = Idle;
    bool m_bErrorShown = false;    // the 1001 message was shown for this recording
    bool m_bShowingError = false;  // the 1001 message is on the screen
    int m_nPendingEnd = -1;        // an end that arrived meanwhile: 0 written, 1 failed
    bool m_bCloseWhenDone = false; // the window closes once the recording has ended
    bool m_bTakingPhoto = false;
    OvComboboxViewItemDelegate* m_pDelegate = nullptr;
    QColor m_colorHover;
    QColor m_colorNormal;
    QColor m_colorBacHover;
    QColor m_colorBacNormal;
};
