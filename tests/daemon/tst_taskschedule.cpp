#include "TaskSchedule.h"
#include "TaskWire.h"
#include "TestMain.h"

#include <QTest>
#include <ctime>

Q_DECLARE_METATYPE(StoredTask)

namespace {
StoredTask task(bool repeat, const QString& week, const QString& date)
{
    return {QString(), true, repeat, week, date, QString(), QDateTime()};
}

QDateTime at(const QString& text) { return QDateTime::fromString(text, Qt::ISODate); }
} // namespace

class TaskScheduleTest : public QObject {
    Q_OBJECT
private slots:
    // Berlin's clocks spring forward on 29 March 2026 and fall back on 25 October 2026.
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    void cleanupTestCase()
    {
        qunsetenv("TZ");
        tzset();
    }

    void startsFollowDaysStartDateAndClockChanges_data()
    {
        QTest::addColumn<StoredTask>("task");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("until");
        QTest::addColumn<QStringList>("starts"); // UTC
        const QString monday = "0,1,0,0,0,0,0";
        QTest::newRow("on its day") << task(true, monday, "03-02-2026 09:00:00") << "2026-03-09T00:00:00"
                                    << "2026-03-10T23:00:00" << QStringList{"2026-03-09T08:00:00Z"};
        QTest::newRow("not before its date") << task(true, monday, "03-09-2026 09:00:00") << "2026-03-01T00:00:00"
                                             << "2026-03-08T23:00:00" << QStringList{};
        QTest::newRow("skipped time, repeating") << task(true, "1,0,0,0,0,0,0", "03-01-2026 02:30:00")
                                                 << "2026-03-29T00:00:00" << "2026-03-29T12:00:00"
                                                 << QStringList{"2026-03-29T01:00:00Z"};
        QTest::newRow("skipped time, once") << task(false, "", "03-29-2026 02:30:00") << "2026-03-28T00:00:00"
                                            << "2026-03-30T00:00:00" << QStringList{"2026-03-29T01:00:00Z"};
        QTest::newRow("doubled time fires once") << task(true, "1,1,1,1,1,1,1", "10-01-2026 02:30:00")
                                                 << "2026-10-25T00:00:00" << "2026-10-25T12:00:00"
                                                 << QStringList{"2026-10-25T00:30:00Z"};
    }
    void startsFollowDaysStartDateAndClockChanges()
    {
        QFETCH(StoredTask, task);
        QFETCH(QString, after);
        QFETCH(QString, until);
        QFETCH(QStringList, starts);
        QStringList found;
        for (const QDateTime& start : TaskSchedule::starts(task, at(after), at(until)))
            found << start.toUTC().toString(Qt::ISODate);
        QCOMPARE(found, starts);
    }

    void dueSkipsFiredAndStaleStarts()
    {
        const QDateTime now = at("2026-05-04T12:00:00");
        StoredTask fired = task(false, "", taskwire::dateText(now.addSecs(-5)));
        fired.lastFired = now.addSecs(-5);
        const StoredTask stale = task(false, "", taskwire::dateText(now.addSecs(-120)));
        const StoredTask fresh = task(false, "", taskwire::dateText(now.addSecs(-30)));
        const QVector<TaskSchedule::Due> due = TaskSchedule::due({fired, stale, fresh}, QDateTime(), now, 60);
        QCOMPARE(due.size(), 1);
        QCOMPARE(due.first().index, 2);
    }
};
SR_TEST(TaskScheduleTest)

#include "tst_taskschedule.moc"
