#include "AudioSourceStatus.h"

#include <QProcess>
#include <QStringList>

namespace {
// Runs pactl with `args`; false when it cannot run or fails.
bool pactl(const QStringList& args, QString* output)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), args);
    if (!process.waitForStarted(3000))
        return false;
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
} // namespace

AudioSourceStatus AudioSourceStatus::parse(const QString& defaultSink, const QString& shortSources)
{
    AudioSourceStatus status;
    status.serverRunning = true;
    status.defaultSink = defaultSink.trimmed();
    if (status.defaultSink.isEmpty() || status.defaultSink == QLatin1String("@DEFAULT_SINK@"))
        return status;
    status.monitorSource = status.defaultSink + QStringLiteral(".monitor");
    for (const QString& line : shortSources.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2 && fields.at(1).trimmed() == status.monitorSource) {
            status.available = true;
            break;
        }
    }
    return status;
}

AudioSourceStatus AudioSourceStatus::query()
{
    QString sink;
    QString sources;
    if (!pactl({QStringLiteral("get-default-sink")}, &sink))
        return AudioSourceStatus();
    if (!pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")}, &sources))
        return AudioSourceStatus();
    return parse(sink, sources);
}
