#include "FeedbackPacker.h"

#include "ScEngine.h"
#include "Log.h"
#include "OvPrivateFiles.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

QString FeedbackPacker::find7z(const QString& preferredFolder)
{
    const QFileInfo local(preferredFolder + QStringLiteral("/7z"));
    if (!preferredFolder.isEmpty() && local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("7z"));
}

QStringList FeedbackPacker::logFiles()
{
    const QString dataFolder = Utils::getAppDataLocation();
    QStringList files{Utils::getAppLogPath()};
    QString engineLog = QString::fromLocal8Bit(scGetLogFile());
    if (engineLog.isEmpty())
        engineLog = dataFolder + QStringLiteral("/screencast.log");
    const QString daemonLog = dataFolder + QStringLiteral("/taskdaemon.log");
    for (const QString& path : {engineLog, daemonLog})
        if (QFileInfo::exists(path))
            files << path;
    return files;
}

QStringList FeedbackPacker::existingUnique(const QStringList& files)
{
    QStringList result;
    for (const QString& path : files) {
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        const QString absolute = info.absoluteFilePath();
        if (!result.contains(absolute))
            result << absolute;
    }
    return result;
}

QStringList FeedbackPacker::arguments(const QString& archivePath, const QStringList& names)
{
    QStringList args{QStringLiteral("a"), QFileInfo(archivePath).absoluteFilePath(), QStringLiteral("-t7z"),
                     QStringLiteral("-spd"), QStringLiteral("-bd"), QStringLiteral("-y"), QStringLiteral("--")};
    args << names;
    return args;
}

QStringList FeedbackPacker::stage(const QStringList& files, const QString& folder)
{
    QStringList names;
    for (const QString& file : files) {
        const QFileInfo info(file);
        const QString target = FileSystemUtils::freeFilePath(folder, info.completeBaseName(), info.suffix());
        if (QFile::copy(info.absoluteFilePath(), target))
            names << QFileInfo(target).fileName();
        else
            Log("FeedBack", 2, "cannot stage %s", info.fileName().toUtf8().constData());
    }
    return names;
}

bool FeedbackPacker::pack(const QString& program, const QString& archivePath, const QStringList& files,
                          int timeoutMs, QString* error)
{
    const auto fail = [&](const QString& why) {
        QFile::remove(archivePath);
        Log("FeedBack", 2, "7z failed: %s", why.toUtf8().constData());
        if (error)
            *error = why;
        return false;
    };
    if (program.isEmpty())
        return fail(QStringLiteral("the 7z program was not found"));
    // "7z a" adds to an archive that exists: an old one must never ride along.
    if (QFileInfo::exists(archivePath) && !QFile::remove(archivePath))
        return fail(QStringLiteral("the old archive %1 cannot be removed").arg(archivePath));

    // Each file is packed under its own name only (never its folders, which name the user);
    // copies in a private folder keep two files of the same name apart.
    QTemporaryDir staging;
    if (!staging.isValid())
        return fail(QStringLiteral("no folder to gather the files in"));
    const QStringList names = stage(files, staging.path());
    if (names.size() != files.size())
        return fail(QStringLiteral("a file to pack could not be read"));
    const QStringList args = arguments(archivePath, names);
    for (const QString& arg : args)
        Log("FeedBack", 1, "lst Args:%s", arg.toUtf8().constData());

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(staging.path());
    process.start(program, args);
    if (!process.waitForStarted())
        return fail(QStringLiteral("%1 could not be started").arg(program));
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return fail(QStringLiteral("7z did not finish in time"));
    }
    const int code = process.exitCode();
    if (process.exitStatus() != QProcess::NormalExit || (code != 0 && code != 1))
        return fail(QStringLiteral("7z ended with code %1: %2")
                        .arg(code)
                        .arg(QString::fromLocal8Bit(process.readAll()).trimmed()));
    if (!QFileInfo(archivePath).isFile())
        return fail(QStringLiteral("7z made no archive"));
    // 7z makes it with the umask; it holds the user's logs.
    if (!OvPrivateFiles::restrictFile(archivePath))
        return fail(QStringLiteral("the archive cannot be made private"));
    return true;
}
