#pragma once
// The task coordinator: owns the client of the task daemon, keeps a copy of the daemon's
// task list, forwards every add, change and delete, turns a due task into a start request
// for the main window, tells the recording windows when a task recording must stop and runs
// the finishing action after its countdown. GUI thread. Every call that waits on the daemon
// waits a bounded time with the interface painting; a daemon that does not answer counts as
// not connected. When the client finds a lost daemon again, the coordinator lists its tasks
// and sends it what it lost. A deletion is kept until the daemon confirms it or lists the
// task no more, across every client and the application's next runs: no listing shows the
// task, each asks its removal again, and a start of it is never handed on. Starts the daemon
// dropped, a task file the daemon found damaged, a daemon that answers the impossible or
// cannot be started, are told to the user in a message. A change the daemon refuses (it could not write it) is not kept: the
// list becomes the daemon's again, without the deleted tasks (or stays as it was when the
// daemon's cannot be read), and the caller is told why. A deleted task is known in the
// daemon's start by what it records, unless a listed task records the very same.

#include "TaskDeletions.h"
#include "TaskInfo.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class TaskClientCall;

class TaskManage : public QObject {
    Q_OBJECT
public:
    // What a task records (sigStartRecord).
    enum RecordWhat { RecordVideo = 1, RecordAudio = 2, RecordWebcam = 4 };
    // The last list operation, replayed after a reconnect.
    enum LastOperate { OperateNone = 0, OperateAdd = 1, OperateDelete = 2, OperateChange = 3 };

    static TaskManage* instance();
    static void release();

    // Connects to the daemon (starting it when none answers) and lists its tasks.
    void connectXPCServer();
    // The same without waiting for a daemon it starts (the application's start-up): the
    // connection and the task list follow from the event loop.
    void connectXPCServerLater();
    // Drops the client and connects again.
    void reConnectXPCServer();
    // Appends the daemon's tasks but those deleted, whose removals it asks again; false when
    // the list could not be read whole.
    bool initTaskInfoList();
    // The client is connected and the daemon answers the expected version (a round trip).
    bool isConnected();
    // Connected, and at least one task is switched on.
    bool isOpenTask();

    QList<TaskInfo> getLstTaskInfo() const { return m_lstTaskInfo; }
    // The first task of that name, else a default task.
    TaskInfo getTaskInfo(const QString& name) const;
    // Each changes the list and sends the change, waiting for the daemon's answer. False
    // when the daemon refused it: the list is then what the daemon holds (as before the call
    // when it cannot be read), the change is not replayed, and `error` says why. A change
    // the daemon did not answer stays in the list and is sent again after a reconnect.
    bool addTaskInfo(const TaskInfo& task, QString* error = nullptr);
    bool deleteTaskInfo(const QString& name, QString* error = nullptr);
    bool changeTaskInfo(const TaskInfo& task, const QString& oldName, QString* error = nullptr);
    // Repeats the last operation once (an add only when the task is not listed already; a
    // change of a task not listed adds it).
    void reReportInfo();

    // The daemon says a task is due (its recinfo text). Dropped while recording, previewing
    // or running a task, and for a deleted task (see deletedRecording); otherwise emits
    // sigStartRecord.
    void sendPerformTaskRecInfo(const QString& recInfo);
    // More than 4 s since the last accepted start request (true before any).
    bool isOutOfDate() const;
    // A task start is due or imminent (asks the daemon).
    bool isWaitTaskStart();
    // The running task recording must stop after `duration` seconds.
    bool needStopRecord(qint64 duration) const;
    // A task or timed recording was saved: runs the finishing action (the task's own while
    // a task runs, else `event`) after the 30-second countdown.
    void taskCompleted(QWidget* parent, int event);
    // A timed recording was saved (no task running): the timed stop switches itself off
    // unless it repeats (then true), and its finishing action, if any, runs `delayMs` later
    // through taskCompleted with `parent`.
    bool finishTimedRecording(QWidget* parent, int delayMs);

    void setMainWidBase(QWidget* mainWindowBase) { m_pMainWid = mainWindowBase; }
    QWidget* mainWidBase() const { return m_pMainWid; }

    bool existRepeatName(const QString& name) const;
    // `base`, else "base(n)" for the first n that no task has.
    QString getNoRepeatName(const QString& base, int n) const;
    // The recinfo JSON text and back (defaults for a text that is no JSON object).
    static QString convertRecInfo(const RecordInfo& info);
    static RecordInfo parseRecInfo(const QString& text);

    // A task recording runs.
    bool m_bTasking = false;

signals:
    // A task asks for a recording of `recWhat` (a RecordWhat).
    void sigStartRecord(int recWhat);
    // The client's connected flag changed (delivered from the event loop).
    void sigConnectionChanged(bool connected);

private:
    // Where the task named `name` is in the list; -1 when none is.
    int indexOf(const QString& name) const;
    static int indexIn(const QList<TaskInfo>& tasks, const QString& name);
    // The client found the daemon again: introduce, list, and replay what it lost.
    void onClientReconnected();
    void onMissedStarts(const QStringList& starts);
    void onTaskFileDamaged(const QString& keptAs);
    // After a change was sent: on a refusal the daemon's list replaces this one (else the
    // list and deleted names before the change come back) and `error` gets `why`.
    bool settleChange(int result, const QString& why, const QList<TaskInfo>& before,
                      const TaskDeletions& deletedBefore, QString* error);
    // Asks the daemon to remove each of `names` still deleted; a removal it confirms is
    // forgotten. Stops when the client is replaced.
    void removeDeleted(const QStringList& names);
    // The deleted tasks that record `recInfo` (the daemon's start names no task). None when a
    // listed task records the very same: the start may be that one's.
    QStringList deletedRecording(const QString& recInfo) const;
    // The daemon's list is not taken (left empty); the user is told once.
    void onDaemonBroken(const QString& reason);
    // A message to the user, shown from the event loop.
    void tellUser(const QString& text);
    TaskManage();
    ~TaskManage() override;
    // Replaces the client by a new, unconnected one and empties the list.
    TaskClientCall* newClient();
    // Sleep, shut down (through the daemon; the user is told when it cannot) or exit.
    void runFinishingAction(QWidget* parent, int action);

    static TaskManage* m_pInstance;
    QList<TaskInfo> m_lstTaskInfo;
    QPointer<QWidget> m_pMainWid; // null once that window is gone
    int m_nLastOperate = OperateNone;
    TaskInfo m_lastTaskInfo;
    QString m_strLastOldName;
    RecordInfo m_curRecInfo;
    QDateTime m_performTime;
    TaskClientCall* m_pClient = nullptr;
    // Deleted or renamed away and not yet confirmed by the daemon (kept across runs too).
    TaskDeletions m_deleted;
    bool m_bToldBroken = false;
};
