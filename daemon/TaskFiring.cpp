#include "TaskFiring.h"

#include "DaemonClock.h"
#include "Log.h"
#include "TaskSchedule.h"
#include "TaskServer.h"
#include "TaskStore.h"
#include "TaskWire.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
constexpr int kTickMs = 1000;
constexpr int kPingMs = 30 * 1000;
// How far ahead "getWaitTaskStart" looks.
constexpr int kSoonSeconds = 60;
// Dropped starts kept for the next client; older ones beyond this are forgotten.
constexpr int kMaxMissed = 1000;
} // namespace

TaskFiring::TaskFiring(TaskStore* store, TaskServer* server, const DaemonClock* clock, int graceSeconds,
                       QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_server(server)
    , m_clock(clock)
    , m_graceSeconds(graceSeconds)
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kTickMs);
    m_ping.setInterval(kPingMs);
    connect(&m_tick, &QTimer::timeout, this, &TaskFiring::onTick);
    connect(&m_ping, &QTimer::timeout, this, [this] { m_server->sendCallback({{"cb", "checkActive"}}); });
    connect(m_server, &TaskServer::clientAccepted, this, &TaskFiring::onClientAccepted);
}

void TaskFiring::start()
{
    m_tick.start();
    m_ping.start();
    onTick();
}

bool TaskFiring::waiting() const
{
    return !m_held.isEmpty() || TaskSchedule::startsWithin(m_store->tasks(), m_clock->now(), kSoonSeconds);
}

void TaskFiring::onTick()
{
    const QDateTime now = m_clock->now();
    const QVector<TaskSchedule::Due> due = TaskSchedule::due(m_store->tasks(), m_lastChecked, now, m_graceSeconds);
    m_lastChecked = now;
    for (const TaskSchedule::Due& item : due) {
        const StoredTask& task = m_store->tasks().at(item.index);
        const Held held{task.name, item.start, TaskSchedule::recinfoFor(task, item.start)};
        if (deliver(held))
            continue;
        Log("TaskDaemon", 2, "task \"%s\" is due at %s with no client connected; held for %d s",
            qUtf8Printable(held.name), qUtf8Printable(taskwire::dateText(held.start)), m_graceSeconds);
        m_held.append(held);
    }
    for (int i = m_held.size() - 1; i >= 0; --i) {
        if (m_held.at(i).start.secsTo(now) <= m_graceSeconds)
            continue;
        Log("TaskDaemon", 2, "task \"%s\" due at %s dropped: no client connected within %d s",
            qUtf8Printable(m_held.at(i).name), qUtf8Printable(taskwire::dateText(m_held.at(i).start)),
            m_graceSeconds);
        const Held dropped = m_held.takeAt(i);
        markFired(dropped);
        if (m_missed.size() == kMaxMissed)
            m_missed.removeFirst();
        m_missed.append(dropped);
    }
    m_store->flush();
}

void TaskFiring::onClientAccepted()
{
    const QVector<Held> held = m_held;
    m_held.clear();
    for (const Held& item : held)
        deliver(item);
    m_store->flush();
    if (!m_bDamageTold && !m_store->keptCopy().isEmpty()
        && m_server->sendCallback({{"cb", "taskFileDamaged"}, {"keptAs", m_store->keptCopy()}})) {
        Log("TaskDaemon", 2, "told the client that the damaged task file was kept as %s",
            qUtf8Printable(m_store->keptCopy()));
        m_bDamageTold = true;
    }
    if (m_missed.isEmpty())
        return;
    QJsonArray starts;
    for (const Held& item : qAsConst(m_missed))
        starts.append(QJsonObject{{"name", item.name}, {"date", taskwire::dateText(item.start)}});
    if (m_server->sendCallback({{"cb", "missedStarts"}, {"starts", starts}})) {
        Log("TaskDaemon", 2, "told the client of %lld dropped starts", qint64(m_missed.size()));
        m_missed.clear();
    }
}

bool TaskFiring::deliver(const Held& held)
{
    if (!m_server->sendCallback({{"cb", "sendPerformTaskRecInfo"}, {"recinfo", held.recinfo}}))
        return false;
    Log("TaskDaemon", 2, "task \"%s\" fired (start %s)", qUtf8Printable(held.name),
        qUtf8Printable(taskwire::dateText(held.start)));
    markFired(held);
    return true;
}

void TaskFiring::markFired(const Held& held)
{
    const int index = m_store->indexOf(held.name);
    if (index >= 0)
        m_store->markFired(index, held.start);
}
