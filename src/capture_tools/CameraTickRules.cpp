#include "CameraTickRules.h"

#include "core/RecordParameter.h"
#include "recording/RecordStopRules.h"
#include "tasks/TaskManage.h"

CameraTickRules::Settings CameraTickRules::fromParameter()
{
    Settings settings;
    TaskManage* tasks = TaskManage::instance();
    settings.tasking = tasks->m_bTasking;
    settings.taskStop = [tasks](qint64 seconds) { return tasks->needStopRecord(seconds); };
    settings.timerEnabled = RecordParameter::instance()->timerEnable();
    settings.timerStop = [](qint64 seconds) { return RecordParameter::instance()->needStopRecord(seconds); };
    return settings;
}

CameraTickRules::CameraTickRules(const Settings& settings, std::function<qint64()> freeSpace)
    : m_settings(settings)
    , m_freeSpace(std::move(freeSpace))
{
}

CameraTickRules::Result CameraTickRules::tick(qint64 seconds)
{
    Result result;
    result.stopEnabled = seconds >= kStopAfterSeconds;
    if (seconds % kFreeSpaceEvery == 1 && m_freeSpace) {
        const qint64 free = m_freeSpace();
        if (free >= 0) {
            m_nFreeSpace = free;
            if (free <= kMinFreeBytes) {
                result.action = StopLowSpace;
                return result;
            }
        }
    }
    result.action = plannedStop(seconds);
    return result;
}

CameraTickRules::Action CameraTickRules::plannedStop(qint64 seconds) const
{
    // A planned end waits until Stop is offered, as a click on it would.
    if (seconds < kStopAfterSeconds)
        return Continue;
    if (m_settings.tasking) {
        if (m_settings.taskStop && m_settings.taskStop(seconds))
            return StopTask;
    } else if (m_settings.timerEnabled && m_settings.timerStop && m_settings.timerStop(seconds)) {
        return StopTimer;
    }
    return Continue;
}

qint64 CameraTickRules::plannedStopAfter(double recorded) const
{
    return RecordStopRules::firstSecondAfter(recorded, [this](qint64 seconds) { return plannedStop(seconds) != Continue; });
}
