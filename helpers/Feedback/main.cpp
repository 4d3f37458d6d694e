// Feedback <request file>
// Loads a feedback request file and posts it. After a successful send the request file
// and its log archive are removed; on failure both stay for a later try.
// Exit codes: 0 sent, 1 not accepted by the server, 2 no readable request. On failure the
// last line on standard output says why, for the application that started the sender.
// Its log lines go to the application's log, so that a failed send is on record there.

#include "feedback/FeedbackTask.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <curl/curl.h>
#include <cstdio>

namespace {
// The application's log, "sr.log" in its data folder (the place Utils::getAppDataLocation
// and Utils::getAppLogPath name; this program does not link the application module).
QString applicationLogPath()
{
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ScreenRecorder");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/sr.log");
}

int failWith(int exitCode, const QString& reason)
{
    fprintf(stdout, "%s\n", reason.toUtf8().constData());
    return exitCode;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Opened for appending, as the running application opens it.
    SetLogfile(QFile::encodeName(applicationLogPath()).constData());
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        Log("Feedback", 2, "usage: Feedback <request file>");
        return 2;
    }
    const QString requestPath = QFileInfo(args.at(1)).absoluteFilePath();
    QFile file(requestPath);
    if (!file.open(QIODevice::ReadOnly)) {
        Log("Feedback", 2, "cannot read %s", requestPath.toUtf8().constData());
        return failWith(2, QStringLiteral("cannot read %1: %2").arg(requestPath, file.errorString()));
    }
    FeedbackTask task;
    if (!task.loadFrom(file.readAll()))
        return failWith(2, QStringLiteral("%1 is not a feedback request").arg(requestPath));
    file.close();

    curl_global_init(CURL_GLOBAL_DEFAULT);
    const bool sent = task.sendFeedback();
    curl_global_cleanup();
    if (!sent)
        return failWith(1, task.sendError());

    // Only the archive that belongs to this request is removed, never another file the
    // request happens to name.
    const QString archivePath = requestPath + QStringLiteral(".log.7z");
    if (!task.logFile().isEmpty() && QFileInfo(task.logFile()).absoluteFilePath() == archivePath)
        QFile::remove(archivePath);
    QFile::remove(requestPath);
    return 0;
}
