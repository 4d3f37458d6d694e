#pragma once
// Listens on the local socket and answers every request of the wire (TaskWire.h) from the
// task store and the power backend. The last connection whose "connect" was accepted gets
// the callbacks. Changes to the store are written before any answer goes out and before
// the next read. Only processes of this user are served; at most kMaxConnections at once
// (more are closed at once, and listening goes on). Watches its socket: signals socketLost
// when it stops listening or its socket file is gone. Lives on the daemon's thread.

#include <QJsonObject>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>

class PowerBackend;
class QLocalSocket;
class TaskSession;
class TaskStore;

class TaskServer : public QObject {
    Q_OBJECT
public:
    // Far more than one application, an uninstall and a few probes need.
    static constexpr int kMaxConnections = 64;

    TaskServer(TaskStore* store, PowerBackend* power, QObject* parent = nullptr);

    // Listens on `path` (the caller has removed a stale socket file); false when it cannot.
    bool listen(const QString& path);
    QString errorString() const { return m_server.errorString(); }
    // What "getWaitTaskStart" answers.
    void setWaitingCheck(const std::function<bool()>& check) { m_waiting = check; }
    // Sends a callback to the last accepted connection; false when there is none.
    bool sendCallback(const QJsonObject& message);

signals:
    // A "connect" was accepted and answered.
    void clientAccepted();
    // No client can reach this daemon any more (`reason` says why): it stopped listening, or
    // its socket file was removed.
    void socketLost(const QString& reason);

private:
    struct Answer {
        bool ok = true;
        QJsonValue result;
        QString error;
    };
    void onNewConnection();
    // Closes `socket` unless it may be served; true when it may.
    bool admit(QLocalSocket* socket);
    void onWatch();
    void onMessage(TaskSession* session, const QJsonObject& message);
    void answer(TaskSession* session, const QJsonObject& request, const Answer& answer);
    Answer taskInfo(const QJsonValue& index) const;
    // addTask, changeTask or removeTask; one with an id is written before it is answered.
    Answer changeList(const QString& op, const QJsonObject& request);
    Answer addTask(const QJsonObject& request);
    Answer changeTask(const QJsonObject& request);
    Answer removeTask(const QJsonObject& request);
    void powerRequest(TaskSession* session, const QJsonObject& request, int action);

    TaskStore* m_store;
    PowerBackend* m_power;
    QLocalServer m_server;
    QPointer<TaskSession> m_target;
    QSet<TaskSession*> m_sessions;
    bool m_bFull = false; // the last connection was refused for want of room
    QTimer m_watch;
    std::function<bool()> m_waiting;
};
