#include "TaskSchedule.h"

#include "TaskWire.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {
constexpr int kDaysPerWeek = 7;
constexpr int kMinutesPerDay = 24 * 60;
constexpr char kRecinfoDateFormat[] = "yyyy-MM-ddThh:mm:ss";

// The start date and time of day of a task's date text; both invalid when unreadable.
void readStart(const QString& text, QDate* date, QTime* time)
{
    const QString format = QLatin1String(taskwire::kDateFormat);
    const int split = format.indexOf(QLatin1Char(' '));
    *date = QLocale::c().toDate(text.left(split), format.left(split));
    *time = QLocale::c().toTime(text.mid(split + 1), format.mid(split + 1));
}

bool onWeekDay(short week, const QDate& day)
{
    return (week >> (day.dayOfWeek() % kDaysPerWeek)) & 1;
}
} // namespace

QDateTime TaskSchedule::localAt(const QDate& date, const QTime& time)
{
    QDateTime moment(date, time, Qt::LocalTime);
    if (moment.isValid() && moment.time() == time) {
        // A time the clock passes twice: the first time.
        const int shift = QDateTime(date, QTime(0, 0), Qt::LocalTime).offsetFromUtc() - moment.offsetFromUtc();
        const QDateTime earlier = moment.addSecs(-shift);
        return shift > 0 && earlier.date() == date && earlier.time() == time ? earlier : moment;
    }
    // Skipped by the clock: the first whole minute after it that exists.
    const QTime minute(time.hour(), time.minute());
    for (int step = 1; step < kMinutesPerDay; ++step) {
        const QDateTime later(date, minute.addSecs(step * 60), Qt::LocalTime);
        if (later.time() < minute)
            break;
        if (later.isValid() && later.time() == minute.addSecs(step * 60))
            return later;
    }
    return QDateTime();
}

QVector<QDateTime> TaskSchedule::starts(const StoredTask& task, const QDateTime& after, const QDateTime& until)
{
    QVector<QDateTime> result;
    QDate startDate;
    QTime startTime;
    readStart(task.date, &startDate, &startTime);
    if (!task.enable || !startDate.isValid() || !startTime.isValid() || !(after < until))
        return result;
    if (!task.repeat) {
        const QDateTime start = localAt(startDate, startTime);
        if (start.isValid() && after < start && start <= until)
            result.append(start);
        return result;
    }
    const short week = taskwire::weekFromText(task.week);
    for (QDate day = qMax(after.date(), startDate); day <= until.date(); day = day.addDays(1)) {
        if (!onWeekDay(week, day))
            continue;
        const QDateTime start = localAt(day, startTime);
        if (start.isValid() && after < start && start <= until)
            result.append(start);
    }
    return result;
}

QVector<TaskSchedule::Due> TaskSchedule::due(const QVector<StoredTask>& tasks, const QDateTime& lastChecked,
                                             const QDateTime& now, int graceSeconds)
{
    QVector<Due> result;
    QDateTime from = now.addSecs(-graceSeconds);
    if (lastChecked.isValid() && lastChecked > from)
        from = lastChecked;
    for (int i = 0; i < tasks.size(); ++i) {
        const QDateTime start = latestUnfired(tasks.at(i), from, now);
        if (start.isValid())
            result.append({i, start});
    }
    return result;
}

bool TaskSchedule::startsWithin(const QVector<StoredTask>& tasks, const QDateTime& now, int seconds)
{
    for (const StoredTask& task : tasks)
        if (latestUnfired(task, now, now.addSecs(seconds)).isValid())
            return true;
    return false;
}

QDateTime TaskSchedule::latestUnfired(const StoredTask& task, const QDateTime& from, const QDateTime& until)
{
    const QVector<QDateTime> found = starts(task, from, until);
    if (found.isEmpty() || (task.lastFired.isValid() && found.last() <= task.lastFired))
        return QDateTime();
    return found.last();
}

QString TaskSchedule::recinfoFor(const StoredTask& task, const QDateTime& start)
{
    if (!task.repeat)
        return task.recinfo;
    QJsonObject info = QJsonDocument::fromJson(task.recinfo.toLocal8Bit()).object();
    const QDateTime stop = QDateTime::fromString(info.value("date").toString(), Qt::ISODate);
    if (!stop.isValid())
        return task.recinfo;
    QDateTime moved = localAt(start.date(), stop.time());
    if (moved <= start)
        moved = localAt(start.date().addDays(1), stop.time());
    info.insert("date", QLocale::c().toString(moved, QLatin1String(kRecinfoDateFormat)));
    return QString::fromLocal8Bit(QJsonDocument(info).toJson(QJsonDocument::Indented));
}
