#pragma once
// Fires due tasks: checks the wall clock once a second (so clock jumps and resume are
// seen), sends each due start to the connected client, holds a start that finds no client
// for the grace time and delivers it when a client is accepted, else drops and logs it; the
// dropped starts are kept (in memory) and told once to the next client accepted, as is a
// damaged task file that the store set aside when the daemon started.
// Pings the client every 30 s. Lives on the daemon's thread.

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QVector>

class DaemonClock;
class TaskServer;
class TaskStore;

class TaskFiring : public QObject {
    Q_OBJECT
public:
    TaskFiring(TaskStore* store, TaskServer* server, const DaemonClock* clock, int graceSeconds,
               QObject* parent = nullptr);

    void start();
    // A held start waits for a client, or a task starts within the next minute.
    bool waiting() const;

private:
    struct Held {
        QString name;
        QDateTime start;
        QString recinfo;
    };
    void onTick();
    void onClientAccepted();
    bool deliver(const Held& held);
    void markFired(const Held& held);

    TaskStore* m_store;
    TaskServer* m_server;
    const DaemonClock* m_clock;
    int m_graceSeconds;
    QTimer m_tick;
    QTimer m_ping;
    QDateTime m_lastChecked;
    QVector<Held> m_held;
    QVector<Held> m_missed; // dropped for want of a client, not yet told
    bool m_bDamageTold = false;
};
