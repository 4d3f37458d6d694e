#pragma once
// The ordered task list and its file. Used on the daemon's thread only. Changes mark the
// list dirty; flush() writes the whole file or nothing (OvSafeFile), so a crash leaves the
// previous or the new file, never a mix, and a write that does not write every byte (a full
// disk, a file-size limit) fails and leaves the previous file as it was. A file that cannot
// be read is set aside ("<file>.damaged-<yyyyMMdd-hhmmss>", never over an earlier copy) and
// the list starts empty; nothing is deleted.

#include "StoredTask.h"

#include <QString>
#include <QVector>

class TaskStore {
public:
    explicit TaskStore(const QString& path);

    // Reads the file; false when it was damaged (and set aside: keptCopy()). A missing file
    // is an empty list.
    bool load();
    // Where the damaged file found by load() was kept; empty when none was found, or when
    // it could not be moved and stays where it is.
    QString keptCopy() const { return m_keptCopy; }
    // Writes the file when the list changed since the last write; false (and logged, with
    // errorString()) when it could not be written, the file then being as it was before; the
    // list stays as it is and the next flush retries.
    bool flush();
    QString errorString() const { return m_error; }

    const QVector<StoredTask>& tasks() const { return m_tasks; }
    int indexOf(const QString& name) const;

    // Replaces the task of that name in place, or appends it.
    void put(const StoredTask& task);
    // Replaces the task at `index`.
    void replace(int index, const StoredTask& task);
    // Removes the task of that name; false when there is none.
    bool remove(const QString& name);
    void markFired(int index, const QDateTime& start);
    // Takes the list back to `before` (a copy of tasks() taken earlier), for a change that
    // could not be written.
    void takeBack(const QVector<StoredTask>& before);

private:
    // The replacement keeps the fired mark only while the start stays the same.
    StoredTask merged(const StoredTask& old, const StoredTask& task) const;

    QString m_path;
    QVector<StoredTask> m_tasks;
    bool m_dirty = false;
    QString m_keptCopy;
    QString m_error;
};
