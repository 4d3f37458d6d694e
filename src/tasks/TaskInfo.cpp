#include "TaskInfo.h"

#include "TaskWire.h"

bool TaskInfo::operator==(const TaskInfo& other) const
{
    return name == other.name && enable == other.enable && repeat == other.repeat && week == other.week
           && date == other.date && recinfo.recwhat == other.recinfo.recwhat && recinfo.stop == other.recinfo.stop
           && recinfo.date == other.recinfo.date && recinfo.length == other.recinfo.length
           && recinfo.loop == other.recinfo.loop && recinfo.nloop == other.recinfo.nloop
           && recinfo.completedtask == other.recinfo.completedtask;
}

QString week2Str(short week) { return taskwire::weekToText(week); }

short str2week(const QString& text) { return taskwire::weekFromText(text); }
