#pragma once
// The tasks the user deleted (or renamed away) whose removal the task daemon has not
// confirmed: each name with what the task records, as the daemon's recinfo text. A value
// type on the GUI thread: every change is written to the settings at once (a write the disk
// refuses goes with the settings' next one), so that a deletion outlives the application as
// it outlives a client of the daemon.

#include <QHash>
#include <QString>
#include <QStringList>

class TaskDeletions {
public:
    // The deletions an earlier run kept.
    static TaskDeletions kept();

    bool contains(const QString& name) const { return m_tasks.contains(name); }
    void insert(const QString& name, const QString& recInfo);
    void remove(const QString& name);
    // Forgets every deletion but those of `names` (the tasks the daemon still lists).
    void keepOnly(const QStringList& names);
    // Becomes `other` (a copy taken before a change that did not hold).
    void restore(const TaskDeletions& other);
    // The deleted tasks whose recinfo text is `recInfo`.
    QStringList recording(const QString& recInfo) const;

private:
    void store() const;

    QHash<QString, QString> m_tasks;
};
