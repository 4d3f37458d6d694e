#pragma once
// When tasks start: pure rules over stored tasks and times, no state; any thread.
//
// A one-off task starts once, at its start date-time. A repeating task starts at the start's
// time of day on every day whose week bit is set (bit 0 Sunday), from the start's date on.
// Only enabled tasks start. A time of day that does not exist on a day (the clock springs
// forward over it) starts at the next valid time; one that occurs twice starts once.

#include "StoredTask.h"

#include <QDateTime>
#include <QVector>

class TaskSchedule {
public:
    struct Due {
        int index;       // into the task list
        QDateTime start; // the start that fell due
    };

    // The starts of `task` in (after, until], earliest first.
    static QVector<QDateTime> starts(const StoredTask& task, const QDateTime& after, const QDateTime& until);
    // Every task with a start in (lastChecked, now] that is not older than `graceSeconds` and
    // later than its fired mark; its latest such start. An invalid lastChecked reaches back
    // the whole grace time.
    static QVector<Due> due(const QVector<StoredTask>& tasks, const QDateTime& lastChecked, const QDateTime& now,
                            int graceSeconds);
    // Whether a task starts in (now, now + seconds].
    static bool startsWithin(const QVector<StoredTask>& tasks, const QDateTime& now, int seconds);
    // The recording text sent for a start. A repeating task's recording stops at the stop's
    // time of day on the day it runs (the next day when that is not after the start), so its
    // "date" is moved there; anything else goes out verbatim.
    static QString recinfoFor(const StoredTask& task, const QDateTime& start);
    // `time` on `date` in local time, or the next valid time when the clock skips it.
    static QDateTime localAt(const QDate& date, const QTime& time);

private:
    // The latest start of `task` in (from, until] that is later than its fired mark; invalid
    // when there is none.
    static QDateTime latestUnfired(const StoredTask& task, const QDateTime& from, const QDateTime& until);
};
