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

QString shownTaskName(const QString& name)
{
    QString shown;
    shown.reserve(qMin(name.size(), kMaxShownName + 1));
    for (const QChar c : name) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Format)
            continue;
        const bool breaking = category == QChar::Other_Control || category == QChar::Separator_Line
                              || category == QChar::Separator_Paragraph;
        shown.append(breaking ? QChar(QLatin1Char(' ')) : c);
        if (shown.size() > kMaxShownName) {
            shown.truncate(kMaxShownName - 1);
            if (shown.at(shown.size() - 1).isHighSurrogate())
                shown.chop(1);
            shown.append(QChar(0x2026));
            break;
        }
    }
    return shown;
}
