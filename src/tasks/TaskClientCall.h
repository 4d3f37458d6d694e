#pragma once
// The application's end of the task daemon's socket: sends the requests of the wire as plain
// methods and hands the daemon's "a task is due" on as a signal. GUI thread; owns one local
// socket and its own connected flag. A call that waits for an answer waits at most
// kReplyTimeoutMs in a local event loop that keeps painting and running timers but takes no
// user input, so another call may run inside it; a timeout, a lost connection or an error
// reply is logged, clears the connected flag and gives the empty result. Every number read
// from the socket is bounded before it is used; an impossible answer is refused
// (sigDaemonBroken). A change of the task list refused by the daemon (not written, or not
// allowed) is reported as such and leaves the connection as it is. A connection lost, or
// one that could not be created because no daemon answered (unless the user uninstalled
// it), is sought from a back-off timer that never waits; its pause grows until a connection
// has stayed up kStableConnectionMs. From the third attempt on (at once after a creation
// that failed), every attempt that finds no daemon starts one (unless the user uninstalled
// it); when that does not bring it back, sigDaemonNotStarted says why, once until a
// connection is made. Each change of the connected flag is told (sigConnectedChanged). Only
// a daemon that runs as this user is spoken to: anything else at the socket is refused
// (sigDaemonBroken).

#include "TaskInfo.h"

#include "TaskWire.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocalSocket>
#include <QObject>
#include <QStringList>

class QEventLoop;
class QTimer;

class TaskClientCall : public QObject {
    Q_OBJECT
public:
    // The longest wait for one answer of the daemon.
    static constexpr int kReplyTimeoutMs = 2000;
    // How long a daemon just started is given to open its socket.
    static constexpr int kDaemonStartTimeoutMs = 2000;
    // A connection that stayed up this long lets the reconnection start over at its shortest pause.
    static constexpr int kStableConnectionMs = 10000;

    // More tasks than this is an answer of a broken daemon.
    static constexpr int kMaxTasks = 10000;
    // At most this many dropped starts are named to the user (then "and N more").
    static constexpr int kMaxMissedShown = 5;

    // The answer to a change of the daemon's task list.
    enum ChangeResult {
        ChangeSaved,      // the daemon has written it
        ChangeRefused,    // the daemon answered that it did not take it (`error` says why)
        ChangeUnanswered, // no answer: not connected, lost or timed out (the replay sends it again)
    };

    // `connected` is the flag the client starts with (the last client's, when it replaces one).
    explicit TaskClientCall(QObject* parent = nullptr, bool connected = false);
    // Disconnects quietly; waits in progress end with their empty results.
    ~TaskClientCall() override;

    // Opens the socket; when nothing answers there, starts the daemon detached and retries
    // for a bounded time. False when no daemon could be reached (the back-off seeks it then).
    bool createConnection();
    // The same without waiting for a daemon it starts: retries from timers and ends with
    // sigConnectionCreated (at once when a daemon answers the first attempt). Deleting the
    // client cancels it.
    void createConnectionLater();
    // Introduces the application; the daemon's answer becomes the connected flag.
    bool doConnecting();
    // The connected flag: the last answer, callback or failure seen.
    bool isConnecting() const;
    // True only when the daemon answers the expected version (a round trip).
    bool checkVersion();
    // The daemon's number of tasks; `ok` (when given) is false on failure, with 0.
    quint64 getTaskArrayCount(bool* ok = nullptr);
    // The task at `index`; `ok` is false on failure (a default task then).
    TaskInfo getTaskInfo(quint64 index, bool* ok);
    // The tasks at 0 to count - 1, asked all at once; on a failure `ok` is false and the
    // list ends before the first task that was not answered.
    QList<TaskInfo> getTaskInfos(quint64 count, bool* ok);
    // Each waits for the daemon's answer like the queries; `error` (when given) says why it
    // was not saved.
    ChangeResult removeTask(const QString& name, QString* error = nullptr);
    ChangeResult addTask(const TaskInfo& task, QString* error = nullptr);
    // `oldName` is the name under which the daemon knows the task.
    ChangeResult changeTask(const QString& oldName, const TaskInfo& task, QString* error = nullptr);
    QString getbundleid();
    bool getWaitTaskStart();
    // True when the daemon accepted the request; else `error` says why.
    bool systemShutdown(QString* error = nullptr);
    bool systemSleep(QString* error = nullptr);

    // The daemon's program: $SR_TASKD_PROGRAM, else "screenrecorder-taskd" beside the
    // application's executable.
    static QString daemonProgram();

signals:
    // A task is due: its recinfo text. Delivered once, after the socket's bytes are read.
    void sigPerformTaskRecInfo(const QString& recInfo);
    // The end of createConnectionLater: `created` is false when no daemon could be reached.
    void sigConnectionCreated(bool created);
    // A lost connection was found again by the back-off timer (not yet introduced: the
    // listener sends "connect" and lists the tasks). Delivered from the event loop.
    void sigReconnected();
    // The daemon reported starts it dropped while no client was connected: one line per start.
    // Delivered from the event loop.
    void sigMissedStarts(const QStringList& starts);
    // The daemon found its task file damaged when it started and kept it at `keptAs`; its
    // list started empty. Delivered from the event loop.
    void sigTaskFileDamaged(const QString& keptAs);
    // The connected flag changed to `connected`. Delivered from the event loop.
    void sigConnectedChanged(bool connected);
    // The daemon answered something impossible, or what listens at the socket is not this
    // user's daemon, or there is no safe socket (`reason` can be shown to the user).
    void sigDaemonBroken(const QString& reason);
    // The daemon sought by the back-off could not be started (`reason` can be shown to the
    // user); the attempts go on. Delivered from the event loop.
    void sigDaemonNotStarted(const QString& reason);

private:
    struct Pending {
        bool done = false;
        bool ok = false;
        bool answered = false; // the daemon's own answer (not a failure of the connection)
        QJsonValue result;
        QString error;
    };

    // Sends `op` with `args` and waits for its answer; false (with `error`) on failure. A
    // refusal by the daemon sets `refused` (when given) and then keeps the connected flag.
    bool request(const char* op, QJsonObject args, QJsonValue* result, QString* error, bool* refused = nullptr);
    // A change of the task list (request without a result).
    ChangeResult change(const char* op, const QJsonObject& args, QString* error);
    enum class Attempt { Connected, NoDaemon, Refused };
    // The end of a createConnectionLater: logs it, hands a daemon not found to the back-off
    // and tells the listeners.
    void finishConnecting(Attempt attempt);
    // A shutdown or sleep request: true when the daemon answered true, else `error` says why.
    bool powerRequest(const char* op, QString* error);
    // Writes one request whose answer lands in `pending` (registered under the returned id
    // until answered or failed; the caller removes it when it stops waiting).
    qint64 send(const char* op, QJsonObject args, Pending* pending);
    // A task from the answer to "getTaskInfo"; `ok` false when it is none.
    static TaskInfo taskFromAnswer(const QJsonValue& answer, bool* ok);
    // One connection attempt that waits; Refused (told through sigDaemonBroken) when the
    // socket has no safe place or another user's program serves it.
    Attempt connectOnce();
    // The socket, or empty with `error` (when given) saying why; logs once why the temporary
    // folder was passed over.
    QString socketPath(QString* error = nullptr);
    // Closes the new connection unless this user's daemon is at its other end (told through
    // sigDaemonBroken); true when it is. Nothing is read from a connection before.
    bool acceptPeer();
    // A connection of the back-off timer is up: checked from the event loop (the socket is
    // not finished yet while it tells its state).
    void onFoundAgain();
    // Starts the daemon detached; false when it was not (`error`, when given, says why unless
    // the user uninstalled it).
    bool startDaemon(QString* error = nullptr);
    // startDaemon counted among the starts that have not brought it back yet, with why it
    // failed kept; true when it was started.
    bool startCounted();
    // One retry of createConnectionLater while the daemon it started opens its socket.
    void onDaemonRetry();
    // Processes events (no user input) until `done` or `timeoutMs`.
    void waitUntil(const std::function<bool()>& done, int timeoutMs);
    void setConnected(bool connected);
    void wakeWaits();
    void onReadyRead();
    void onDisconnected();
    void onStateChanged(QLocalSocket::LocalSocketState state);
    // The next attempt after the back-off pause; the attempt itself never waits.
    void scheduleReconnect();
    void onReconnectTimer();
    // An attempt of the back-off timer found no daemon: from the third on, starts it.
    void onNoDaemonFound();
    // The lines to show for a "missedStarts" callback's list (bounded).
    static QStringList missedStarts(const QJsonValue& starts);
    void handleMessage(const QJsonObject& message);
    void failPending(const QString& error);
    static QJsonObject taskFields(const TaskInfo& task);

    QLocalSocket* m_pSocket = nullptr;
    bool m_bConnected = false;
    // The local event loops of this client's waits in progress (nested waits stack up), woken
    // whenever an answer, a callback or a change of the socket's state arrives.
    QList<QEventLoop*> m_waitLoops;
    QTimer* m_pDaemonRetry = nullptr; // createConnectionLater's retries, created on first use
    QTimer* m_pReconnect = nullptr;   // the back-off after a lost connection
    int m_nReconnectAttempts = 0; // since the last connection that stayed up
    QElapsedTimer m_connectedSince;
    bool m_bReconnecting = false; // an attempt of the back-off timer is under way
    bool m_bClosing = false;      // the client itself ends the connection: no loss
    bool m_bPeerPending = false;  // connected, but who listens there is not known yet
    QElapsedTimer m_daemonStarted;
    // Since the last connection made: the starts that did not bring the daemon back, why the
    // last one failed (empty when it ran), and whether the user was told.
    int m_nStartsInVain = 0;
    QString m_strStartFailure;
    bool m_bToldNotStarted = false;
    QString m_strPassedOver; // why the temporary folder was passed over, as last logged
    taskwire::LineReader m_reader;
    QHash<qint64, Pending*> m_pending;
    qint64 m_nNextId = 0;
    quint64 m_nAnswers = 0; // answers matched to a request so far
};
