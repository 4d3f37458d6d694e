#pragma once
// The status item: an icon in the system tray with a menu that starts, pauses and stops a
// recording, shows the main window, the preview, the webcam, the settings and the feedback
// form, and quits.
// While recording its icon blinks once a second; its state follows RecordState. Never
// released. GUI thread.

#include "core/RecordTypes.h"

#include <QIcon>
#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

class SystemStatusBar : public QObject {
    Q_OBJECT
public:
    static SystemStatusBar* instance();

    // Shows the icon in the desktop's tray, now or whenever a tray appears (also one that
    // starts later or restarts).
    void showIcon();
    void setSysBarState(SysBarState state);
    SysBarState sysBarState() const { return m_state; }
    // Enables or disables the menu actions (off while a modal dialog of the main window runs).
    void setActionEnable(bool enable);
    void setStopEnable(bool enable);
    // The elapsed time and size of the running recording, shown in the menu and the tip.
    void setRecordInfo(const QString& time, const QString& size);

    QSystemTrayIcon* trayIcon() const { return m_pTray; }
    QMenu* menu() const { return m_pMenu; }
    // The menu's actions by object name ("actRecord", "actPause", "actStop", "actShowMain",
    // "actPreview", "actCamera", "actSettings", "actFeedback", "actQuit"), for the main
    // window and tests.
    QAction* action(const QString& name) const;
    // The icon as it is painted now (blinks while recording).
    QIcon currentIcon() const;
    bool isBlinkOn() const { return m_bBlinkOn; }

    // The icons of the states, drawn here.
    static QIcon stateIcon(SysBarState state, bool blinkOn);

signals:
    void sigStartRecord();
    void sigStopRecord();
    void sigPauseResume();
    void sigShowMainWindow();
    void sigShowPreview();
    void sigShowCamera();
    void sigShowOption();
    void sigShowFeedback();
    void sigQuit();

private:
    SystemStatusBar();
    QAction* addAction(const QString& name, const QString& text);
    void onBlink();
    void updateActions();

    QSystemTrayIcon* m_pTray = nullptr;
    QMenu* m_pMenu = nullptr;
    QTimer* m_pBlinkTimer = nullptr;
    QAction* m_pInfo = nullptr;
    SysBarState m_state = SBS_NORMAL;
    bool m_bBlinkOn = true;
    bool m_bActionsEnabled = true;
    bool m_bStopEnabled = true;
};
