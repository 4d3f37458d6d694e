#pragma once
// Packs the log files and attachments of a feedback request into one 7z archive with the
// "7z" program. Runs on the calling thread (the dialog's GUI thread) and blocks it until
// the packing ends or times out.

#include <QString>
#include <QStringList>

class FeedbackPacker {
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    // The "7z" program: `preferredFolder` + "/7z" when that is executable, else "7z" on the
    // PATH; empty when neither exists.
    static QString find7z(const QString& preferredFolder);

    // The log files our own layers write, in packing order: the application log (always),
    // the engine's log and the task daemon's log (each only when it exists).
    static QStringList logFiles();

    // `files` with the ones that do not exist and repeats of the same path removed.
    static QStringList existingUnique(const QStringList& files);

    // The arguments given to 7z, run in the folder that holds `names`: names are never read
    // as wildcards (-spd) and are stored as they are, without folders.
    static QStringList arguments(const QString& archivePath, const QStringList& names);

    // Copies `files` into `folder` under their own names ("name(1).ext" for a repeated name)
    // and returns the names given, in order.
    static QStringList stage(const QStringList& files, const QString& folder);

    // Makes a new archive at `archivePath` (an old file there is replaced) holding `files`.
    // True when 7z made it (exit code 0, or 1 for warnings such as a missing file). On any
    // failure or time-out no file is left at `archivePath` and `error` says why.
    static bool pack(const QString& program, const QString& archivePath, const QStringList& files,
                     int timeoutMs = kDefaultTimeoutMs, QString* error = nullptr);
};
