#include "TaskManage.h"

#include "Log.h"

TaskManage* TaskManage::instance()
{
    static TaskManage* s_instance = new TaskManage();
    return s_instance;
}

bool TaskManage::connectXPCServer()
{
    Log("TaskManage", 2, "task daemon: not connected (no daemon client in this build)");
    return false;
}

void TaskManage::taskCompleted(QWidget*, int event)
{
    Log("TaskManage", 1, "task completed, event %d: no finishing action", event);
}
