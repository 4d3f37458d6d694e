#pragma once
// One task as the daemon keeps it: the texts the application gave, kept verbatim, and the
// last start that was fired for it. A plain value; any thread.

#include <QDateTime>
#include <QJsonObject>
#include <QString>

struct StoredTask {
    QString name;
    bool enable = false;
    bool repeat = false;
    QString week;    // week text, Sunday first
    QString date;    // start, "MM-dd-yyyy hh:mm:ss", local time
    QString recinfo; // opaque to the daemon but for its stop "date"
    QDateTime lastFired; // the start last fired (invalid: never); reset when the start changes
};

// The task's fields as the wire and the store carry them (all but the last start fired).
QJsonObject taskFields(const StoredTask& task);
// A task from those fields (missing ones empty or false).
StoredTask taskFromFields(const QJsonObject& fields);
