#pragma once
// The task coordinator: connects to the task daemon and starts and stops scheduled
// recordings. This build has no daemon client yet: it reports "not connected", never runs a
// task and asks nothing to stop. GUI thread.

#include <QObject>

class QWidget;

class TaskManage : public QObject {
    Q_OBJECT
public:
    static TaskManage* instance();

    // Connects to the task daemon; false (and logged) while no daemon client exists.
    bool connectXPCServer();
    bool isConnected() const { return false; }
    // The task recording is waiting to start (the about and update hooks hold back).
    bool isWaitTaskStart() const { return false; }
    // The task about to start lies in the past.
    bool isOutOfDate() const { return false; }
    // True when the running task recording must stop after `seconds`.
    bool needStopRecord(qint64 seconds) const { return false; }
    // A task or timed recording was saved: runs its finishing action (none here).
    void taskCompleted(QWidget* parent, int event);
    void setMainWidBase(QWidget* mainWindowBase) { m_pMainWidBase = mainWindowBase; }
    QWidget* mainWidBase() const { return m_pMainWidBase; }

    // A task recording runs.
    bool m_bTasking = false;

signals:
    // A task asks for a recording: 1 video, 2 audio, 4 webcam.
    void sigStartRecord(int recWhat);

private:
    TaskManage() = default;
    QWidget* m_pMainWidBase = nullptr;
};
