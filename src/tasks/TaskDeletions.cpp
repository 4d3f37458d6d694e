#include "TaskDeletions.h"

#include "OvSettings.h"
#include "core/SettingsKeys.h"

#include <QVariantMap>

TaskDeletions TaskDeletions::kept()
{
    TaskDeletions deletions;
    const QVariantMap stored
        = OvSettings::instance()->applicationParam(QLatin1String(SettingsKeys::kTaskDeletionsPending), QVariantMap()).toMap();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        deletions.m_tasks.insert(it.key(), it.value().toString());
    return deletions;
}

void TaskDeletions::insert(const QString& name, const QString& recInfo)
{
    if (m_tasks.contains(name) && m_tasks.value(name) == recInfo)
        return;
    m_tasks.insert(name, recInfo);
    store();
}

void TaskDeletions::remove(const QString& name)
{
    if (m_tasks.remove(name) > 0)
        store();
}

void TaskDeletions::keepOnly(const QStringList& names)
{
    bool changed = false;
    for (auto it = m_tasks.begin(); it != m_tasks.end();) {
        const bool keep = names.contains(it.key());
        changed = changed || !keep;
        it = keep ? std::next(it) : m_tasks.erase(it);
    }
    if (changed)
        store();
}

void TaskDeletions::restore(const TaskDeletions& other)
{
    if (m_tasks == other.m_tasks)
        return;
    m_tasks = other.m_tasks;
    store();
}

QStringList TaskDeletions::recording(const QString& recInfo) const
{
    QStringList names;
    for (auto it = m_tasks.cbegin(); it != m_tasks.cend(); ++it) {
        if (it.value() == recInfo)
            names << it.key();
    }
    return names;
}

void TaskDeletions::store() const
{
    const QString key = QLatin1String(SettingsKeys::kTaskDeletionsPending);
    if (m_tasks.isEmpty()) {
        OvSettings::instance()->removeApplicationParam(key);
        return;
    }
    QVariantMap stored;
    for (auto it = m_tasks.cbegin(); it != m_tasks.cend(); ++it)
        stored.insert(it.key(), it.value());
    OvSettings::instance()->setApplicationParam(key, stored);
}
