#pragma once
// Listens on the local socket and answers every request of the wire (TaskWire.h) from the
// task store and the power backend. The last connection whose "connect" was accepted gets
// the callbacks. Changes to the store are written before any answer goes out and before
// the next read. Lives on the daemon's thread.

#include <QJsonObject>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <functional>

class PowerBackend;
class TaskSession;
class TaskStore;

class TaskServer : public QObject {
    Q_OBJECT
public:
    TaskServer(TaskStore* store, PowerBackend* power, QObject* parent = nullptr);

    // Listens on `path` (the caller has removed a stale socket file); false when it cannot.
    bool listen(const QString& path);
    QString errorString() const { return m_server.errorString(); }
    // The socket file still exists (a removed file means no client can find this daemon).
    bool socketExists() const;
    // What "getWaitTaskStart" answers.
    void setWaitingCheck(const std::function<bool()>& check) { m_waiting = check; }
    // Sends a callback to the last accepted connection; false when there is none.
    bool sendCallback(const QJsonObject& message);

signals:
    // A "connect" was accepted and answered.
    void clientAccepted();

private:
    struct Answer {
        bool ok = true;
        QJsonValue result;
        QString error;
    };
    void onNewConnection();
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
    std::function<bool()> m_waiting;
};
