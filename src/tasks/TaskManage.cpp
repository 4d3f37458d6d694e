#include "TaskManage.h"

#include "Log.h"

// Placeholder bodies until the daemon client lands.
TaskManage* TaskManage::m_pInstance = nullptr;

TaskManage* TaskManage::instance()
{
    if (!m_pInstance)
        m_pInstance = new TaskManage();
    return m_pInstance;
}

void TaskManage::release()
{
    delete m_pInstance;
    m_pInstance = nullptr;
}

TaskManage::TaskManage() = default;
TaskManage::~TaskManage() = default;

void TaskManage::connectXPCServer() { Log("TaskManage", 2, "task daemon: not connected"); }
void TaskManage::reConnectXPCServer() {}
void TaskManage::initTaskInfoList() {}
bool TaskManage::isConnected() { return false; }
bool TaskManage::isOpenTask() { return false; }
TaskInfo TaskManage::getTaskInfo(const QString&) const { return TaskInfo(); }
void TaskManage::addTaskInfo(const TaskInfo&) {}
void TaskManage::deleteTaskInfo(const QString&) {}
void TaskManage::changeTaskInfo(const TaskInfo&, const QString&) {}
void TaskManage::reReportInfo() {}
void TaskManage::sendPerformTaskRecInfo(const QString&) {}
bool TaskManage::isOutOfDate() const { return true; }
bool TaskManage::isWaitTaskStart() { return false; }
bool TaskManage::needStopRecord(qint64) const { return false; }
void TaskManage::taskCompleted(QWidget*, int) {}
bool TaskManage::existRepeatName(const QString&) const { return false; }
QString TaskManage::getNoRepeatName(const QString& base, int) const { return base; }
QString TaskManage::convertRecInfo(const RecordInfo&) { return QString(); }
RecordInfo TaskManage::parseRecInfo(const QString&) { return RecordInfo(); }
