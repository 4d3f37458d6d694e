#include "TaskStore.h"

#include "Log.h"
#include "OvSafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int kFormatVersion = 1;

QJsonObject toJson(const StoredTask& task)
{
    QJsonObject object = taskFields(task);
    if (task.lastFired.isValid())
        object.insert("lastFired", task.lastFired.toUTC().toString(Qt::ISODate));
    return object;
}

bool fromJson(const QJsonValue& value, StoredTask* task)
{
    const QJsonObject object = value.toObject();
    if (!value.isObject() || !object.value("name").isString() || !object.value("recinfo").isString())
        return false;
    *task = taskFromFields(object);
    task->lastFired = QDateTime::fromString(object.value("lastFired").toString(), Qt::ISODate).toLocalTime();
    return true;
}
} // namespace

TaskStore::TaskStore(const QString& path)
    : m_path(path)
{
}

bool TaskStore::load()
{
    m_tasks.clear();
    m_dirty = false;
    m_keptCopy.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    bool good = file.open(QIODevice::ReadOnly);
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    file.close();
    const QJsonValue list = document.object().value("tasks");
    good = good && document.isObject() && list.isArray();
    for (const QJsonValue& value : list.toArray()) {
        StoredTask task;
        good = good && fromJson(value, &task);
        m_tasks.append(task);
    }
    if (good)
        return true;
    m_tasks.clear();
    QString why;
    m_keptCopy = OvSafeFile::setAside(m_path, &why);
    Log("TaskDaemon", 2, "task file %s is damaged: %s; starting with no tasks", qUtf8Printable(m_path),
        !m_keptCopy.isEmpty() ? qUtf8Printable("kept as " + m_keptCopy)
                              : qUtf8Printable("it could not be set aside (" + why + ") and stays as it is"));
    return false;
}

bool TaskStore::flush()
{
    if (!m_dirty)
        return true;
    QJsonArray list;
    for (const StoredTask& task : qAsConst(m_tasks))
        list.append(toJson(task));
    const QJsonObject document{{"version", kFormatVersion}, {"tasks", list}};
    const QByteArray bytes = QJsonDocument(document).toJson();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_error.clear();
    if (!OvSafeFile::write(m_path, bytes, &m_error)) {
        Log("TaskDaemon", 2, "cannot write the task file %s: %s; it stays as it was", qUtf8Printable(m_path),
            qUtf8Printable(m_error));
        return false;
    }
    m_dirty = false;
    return true;
}

int TaskStore::indexOf(const QString& name) const
{
    for (int i = 0; i < m_tasks.size(); ++i)
        if (m_tasks.at(i).name == name)
            return i;
    return -1;
}

void TaskStore::put(const StoredTask& task)
{
    const int index = indexOf(task.name);
    if (index >= 0) {
        replace(index, task);
        return;
    }
    m_tasks.append(task);
    m_dirty = true;
}

void TaskStore::replace(int index, const StoredTask& task)
{
    m_tasks[index] = merged(m_tasks.at(index), task);
    m_dirty = true;
}

bool TaskStore::remove(const QString& name)
{
    const int index = indexOf(name);
    if (index < 0)
        return false;
    m_tasks.remove(index);
    m_dirty = true;
    return true;
}

void TaskStore::markFired(int index, const QDateTime& start)
{
    m_tasks[index].lastFired = start;
    m_dirty = true;
}

void TaskStore::takeBack(const QVector<StoredTask>& before)
{
    m_tasks = before;
    m_dirty = true;
}

StoredTask TaskStore::merged(const StoredTask& old, const StoredTask& task) const
{
    StoredTask result = task;
    if (old.date == task.date && old.repeat == task.repeat)
        result.lastFired = old.lastFired;
    return result;
}
