#pragma once
// A scheduled task and its recording part, as the scheduler window edits them and the
// task daemon stores them. Plain values; any thread.

#include <QDateTime>
#include <QString>

// What is recorded and how the recording ends.
struct RecordInfo {
    enum StopWay { StopManually = 0, StopAtDate = 1, StopAfterLength = 2, StopAtSize = 3 };
    static constexpr qint64 kDefaultLength = 180; // seconds
    static constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

    int recwhat = 1;                                // 1 screen, 2 audio only, 4 webcam
    int stop = StopAtDate;                          // a StopWay
    QDateTime date = QDateTime::currentDateTime(); // stop date (StopAtDate)
    qint64 length = kDefaultLength;                 // seconds (StopAfterLength)
    bool loop = false;
    int nloop = 1;
    int completedtask = 0; // RecStopEvent: 0 nothing, 1 shut down, 2 sleep, 3 exit

    // The length as a time of day (whole days left out), as the length fields show it.
    QTime lengthTime() const { return QTime(0, 0).addSecs(int(length % kSecondsPerDay)); }
};

struct TaskInfo {
    QString name; // unique among the tasks
    bool enable = false;
    bool repeat = false;
    short week = 0; // bit 0 Sunday ... bit 6 Saturday
    QString date;   // start, "MM-dd-yyyy hh:mm:ss", local time
    RecordInfo recinfo;

    // Every member equal (the stop date as a date-time).
    bool operator==(const TaskInfo& other) const;
    bool operator!=(const TaskInfo& other) const { return !(*this == other); }
};

// The week text: seven "0"/"1" fields, Sunday first. The reader reads the fields in the
// order the writer wrote them; fewer than seven fields mean every day (127).
QString week2Str(short week);
short str2week(const QString& text);

// A task's name (or other text from the daemon) as a message shows it: control characters
// and line breaks become spaces, format characters (direction marks and overrides, zero
// widths) are dropped, and it is cut to kMaxShownName characters with an ellipsis, so that
// it can neither reorder nor stretch the message around it.
constexpr int kMaxShownName = 80;
QString shownTaskName(const QString& name);
