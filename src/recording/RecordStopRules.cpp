#include "RecordStopRules.h"

#include "OvProductInfo.h"
#include "app/RecordTarget.h"
#include "core/RecordParameter.h"
#include "tasks/TaskManage.h"

#include <QCoreApplication>
#include <cmath>

RecordStopRules::Settings RecordStopRules::fromParameter()
{
    RecordParameter* param = RecordParameter::instance();
    Settings settings;
    settings.lengthEnabled = param->isRecordLengthEnable();
    settings.lengthSeconds = param->getRecordLength();
    settings.timerEnabled = param->timerEnable();
    settings.timerSeconds = param->timerDuration();
    settings.gif = param->getVideoEnable() && param->usedVideoFmt() == RP_FMT_GIF;
    settings.tasking = TaskManage::instance()->m_bTasking;
    settings.taskStop = [](qint64 seconds) { return TaskManage::instance()->needStopRecord(seconds); };
    const QString excluded = OvProductInfo::instance()->extendParam(QStringLiteral("ExcludeProgress"));
    if (!excluded.trimmed().isEmpty()) {
        const QString shownName = OvProductInfo::instance()->extendParam(QStringLiteral("ExcludeProgressName"));
        settings.excludedRunning = [excluded, shownName] {
            const QString running = RecordTarget::runningProgram(excluded);
            return running.isEmpty() || shownName.isEmpty() ? running : shownName;
        };
    }
    return settings;
}

RecordStopRules::RecordStopRules(const Settings& settings, std::function<qint64()> freeSpace)
    : m_settings(settings)
    , m_freeSpace(std::move(freeSpace))
{
}

RecordStopRules::StopReason RecordStopRules::check(qint64 seconds, qint64 fileSize)
{
    ++m_nChecks;
    const StopReason planned = plannedStop(seconds);
    if (planned != NoStop)
        return planned;
    if (m_settings.gif && fileSize >= kGifSizeLimit)
        return StopGifSize;
    if (m_settings.excludedRunning) {
        m_strExcluded = m_settings.excludedRunning();
        if (!m_strExcluded.isEmpty())
            return StopExcludedProgram;
    }
    if (m_freeSpace && m_nChecks % kFreeSpaceEvery == 0) {
        ++m_nFreeSpaceQueries;
        const qint64 freeBytes = m_freeSpace();
        if (freeBytes >= 0 && freeBytes < kMinFreeBytes)
            return StopDiskFull;
    }
    return NoStop;
}

RecordStopRules::StopReason RecordStopRules::plannedStop(qint64 seconds) const
{
    if (m_settings.lengthEnabled && m_settings.lengthSeconds > 0 && seconds >= m_settings.lengthSeconds)
        return StopRecordLength;
    if (m_settings.tasking) {
        if (m_settings.taskStop && m_settings.taskStop(seconds))
            return StopTask;
    } else if (m_settings.timerEnabled && m_settings.timerSeconds > 0 && seconds >= m_settings.timerSeconds) {
        return StopTimer;
    }
    return NoStop;
}

qint64 RecordStopRules::plannedStopAfter(double recorded) const
{
    return firstSecondAfter(recorded, [this](qint64 seconds) { return plannedStop(seconds) != NoStop; });
}

qint64 RecordStopRules::firstSecondAfter(double recorded, const std::function<bool(qint64 seconds)>& ends)
{
    // Every planned end counts whole recorded seconds; the first second at which one holds is
    // where the recording ends.
    const qint64 first = qint64(std::floor(recorded)) + 1;
    for (qint64 second = first; second < first + kLookAheadSeconds; ++second) {
        if (ends(second))
            return second;
    }
    return -1;
}

QString RecordStopRules::messageFor(StopReason reason, const QString& program)
{
    switch (reason) {
    case StopDiskFull:
        return QCoreApplication::translate("RecordStopRules",
                                           "The disk is almost full, so the recording was stopped. "
                                           "Please clear the disk space before recording again.");
    case StopGifSize:
        return QCoreApplication::translate("RecordStopRules",
                                           "The GIF file reached its size limit of %1 MB, so the recording was stopped.")
            .arg(kGifSizeLimit / (1024 * 1024));
    case StopExcludedProgram:
        return QCoreApplication::translate("RecordStopRules", "%1 started, so the recording was stopped.").arg(program);
    default:
        return QString();
    }
}

int RecordStopRules::millisecondsUntil(qint64 second, double recorded)
{
    return int(std::ceil((double(second) - recorded) * 1000));
}
