#pragma once
// The task coordinator: connects to the task daemon and starts and stops scheduled
// recordings. This build has no daemon client: it reports "not connected", never runs a
// task and asks nothing to stop. GUI thread.

#include <QObject>
#include <QPointer>
#include <QWidget>

class TaskManage : public QObject {
    Q_OBJECT
public:
    // What a task records (sigStartRecord).
    enum RecordWhat { RecordVideo = 1, RecordAudio = 2, RecordWebcam = 4 };

    static TaskManage* instance();

    // Connects to the task daemon; false (and logged): this build has no daemon client.
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
    // A task asks for a recording of `recWhat` (a RecordWhat).
    void sigStartRecord(int recWhat);

private:
    TaskManage() = default;
    QPointer<QWidget> m_pMainWidBase; // null once that window is gone
};
