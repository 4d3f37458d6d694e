#pragma once
// Shared by the media benchmarks: runs the ffmpeg command with an argument list.

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs "ffmpeg -y -v error <args>" and waits; true on exit code 0.
inline bool runFfmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error"} + args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The folder a benchmark works in: the first argument when given, else `temp`'s folder.
inline QString benchFolder(int argc, char** argv, const QTemporaryDir& temp)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(dir);
    return dir;
}
