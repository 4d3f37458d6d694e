#include "AudioSourceStatus.h"

#include <QAudioDeviceInfo>
#include <QProcess>
#include <QStringList>

#include <cstring>

namespace {
// How long pactl may take to start, to answer, and to end once killed.
const int kStartMs = 3000;
const int kAnswerMs = 5000;
const int kKillMs = 1000;

// Runs pactl with `args`; false when it cannot run or fails. `started` tells whether it ran.
bool pactl(const QStringList& args, QString* output, bool* started = nullptr)
{
    QProcess process;
    // Untranslated answers: "info" is read by its English labels.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("pactl"), args);
    const bool ran = process.waitForStarted(kStartMs);
    if (started)
        *started = ran;
    if (!ran)
        return false;
    if (!process.waitForFinished(kAnswerMs)) {
        process.kill();
        process.waitForFinished(kKillMs);
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

AudioSourceStatus AudioSourceStatus::fromCaptureDevices(const QStringList& devices)
{
    AudioSourceStatus status;
    status.serverRunning = !devices.isEmpty();
    for (const QString& name : devices) {
        if (name.endsWith(QLatin1String(".monitor"))) {
            status.monitorSource = name;
            status.available = true;
            break;
        }
    }
    return status;
}

QString AudioSourceStatus::defaultSinkFromInfo(const QString& info)
{
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Default Sink:")))
            return line.mid(int(strlen("Default Sink:"))).trimmed();
    }
    return QString();
}

AudioSourceStatus AudioSourceStatus::query()
{
    QString sink;
    QString sources;
    bool started = false;
    if (!pactl({QStringLiteral("get-default-sink")}, &sink, &started)) {
        // Older pactl has no "get-default-sink": its "info" names the default sink.
        QString info;
        if (started && pactl({QStringLiteral("info")}, &info))
            sink = defaultSinkFromInfo(info);
        else if (started)
            return AudioSourceStatus();
    }
    if (!started) {
        // No pactl on this machine: what the sound system lists has to do.
        QStringList devices;
        for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(QAudio::AudioInput))
            devices << device.deviceName();
        return fromCaptureDevices(devices);
    }
    if (!pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")}, &sources))
        return AudioSourceStatus();
    return parse(sink, sources);
}
