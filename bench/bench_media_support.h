#pragma once
// Shared by the media benchmarks: runs the ffmpeg command with an argument list.

#include <QProcess>
#include <QStringList>

// Runs "ffmpeg -y -v error <args>" and waits; true on exit code 0.
inline bool runFfmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error"} + args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
