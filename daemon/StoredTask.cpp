#include "StoredTask.h"

QJsonObject taskFields(const StoredTask& task)
{
    return QJsonObject{{"name", task.name}, {"enable", task.enable}, {"repeat", task.repeat},
                       {"week", task.week}, {"date", task.date},     {"recinfo", task.recinfo}};
}

StoredTask taskFromFields(const QJsonObject& fields)
{
    StoredTask task;
    task.name = fields.value("name").toString();
    task.enable = fields.value("enable").toBool();
    task.repeat = fields.value("repeat").toBool();
    task.week = fields.value("week").toString();
    task.date = fields.value("date").toString();
    task.recinfo = fields.value("recinfo").toString();
    return task;
}
