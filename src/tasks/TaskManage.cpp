#include "TaskManage.h"

#include "DlgAutoShutdownTips.h"
#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "TaskClientCall.h"
#include "TaskWire.h"
#include "core/RecordParameter.h"
#include "core/RecordTypes.h"
#include "recording/SystemStatusBar.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {
const char kModule[] = "TaskManage";
// A start request older than this is no longer answered by the main window.
const qint64 kStartValidSeconds = 4;
const int kExitDelayMs = 1;
} // namespace

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

TaskManage::TaskManage()
    : m_deleted(TaskDeletions::kept())
{
}

TaskManage::~TaskManage() { delete m_pClient; }

// ---- connection ----------------------------------------------------------------------------

TaskClientCall* TaskManage::newClient()
{
    // The connected flag carries over until the new client's own answers set it.
    const bool connected = m_pClient && m_pClient->isConnecting();
    delete m_pClient;
    m_pClient = new TaskClientCall(this, connected);
    connect(m_pClient, &TaskClientCall::sigPerformTaskRecInfo, this, &TaskManage::sendPerformTaskRecInfo);
    connect(m_pClient, &TaskClientCall::sigReconnected, this, &TaskManage::onClientReconnected);
    connect(m_pClient, &TaskClientCall::sigMissedStarts, this, &TaskManage::onMissedStarts);
    connect(m_pClient, &TaskClientCall::sigTaskFileDamaged, this, &TaskManage::onTaskFileDamaged);
    connect(m_pClient, &TaskClientCall::sigDaemonBroken, this, &TaskManage::onDaemonBroken);
    connect(m_pClient, &TaskClientCall::sigDaemonNotStarted, this, [this](const QString& reason) {
        tellUser(tr("The task service is not running and could not be started, so scheduled recordings will not "
                    "start: %1. Screen Recorder keeps trying.").arg(reason));
    });
    connect(m_pClient, &TaskClientCall::sigConnectedChanged, this, &TaskManage::sigConnectionChanged);
    // The deletions the daemon has not confirmed stay: every client's listing hides them.
    m_lstTaskInfo.clear();
    m_bToldBroken = false;
    return m_pClient;
}

void TaskManage::onClientReconnected()
{
    // Released when a call inside one of the waits below replaces it.
    QPointer<TaskClientCall> client = m_pClient;
    if (!client || !client->doConnecting() || m_pClient != client)
        return;
    Log(kModule, 1, "task daemon found again: listing and replaying");
    // What the user sees is the truth: the daemon gets every task it lost or holds
    // differently, and loses those deleted meanwhile; tasks only it knows stay.
    const QList<TaskInfo> mine = m_lstTaskInfo;
    m_lstTaskInfo.clear();
    initTaskInfoList(); // asks again for the removals the daemon has not confirmed
    if (m_pClient != client)
        return; // the new client has listed the tasks
    if (!client->isConnecting()) {
        m_lstTaskInfo = mine;
        return;
    }
    const QList<TaskInfo> theirs = m_lstTaskInfo;
    m_lstTaskInfo = mine;
    QString why;
    bool refused = false;
    for (const TaskInfo& task : mine) {
        const int index = indexIn(theirs, task.name);
        if (client && (index < 0 || theirs.at(index) != task))
            refused |= client->changeTask(task.name, task, &why) == TaskClientCall::ChangeRefused;
    }
    for (const TaskInfo& task : theirs) {
        if (indexOf(task.name) < 0)
            m_lstTaskInfo.append(task);
    }
    if (m_pClient != client)
        return;
    if (refused) {
        // Copies: settling empties the list before it may restore it.
        const QList<TaskInfo> before = m_lstTaskInfo;
        const TaskDeletions deletedBefore = m_deleted;
        settleChange(TaskClientCall::ChangeRefused, why, before, deletedBefore, nullptr);
        tellUser(tr("Changes made to the scheduled recordings while the task service was away could not be "
                    "saved: %1").arg(why));
    }
}

void TaskManage::onMissedStarts(const QStringList& starts)
{
    tellUser(tr("These scheduled recordings did not start: no Screen Recorder was running to take them.\n\n%1")
                 .arg(starts.join(QLatin1Char('\n'))));
}

void TaskManage::onTaskFileDamaged(const QString& keptAs)
{
    tellUser(tr("The list of scheduled recordings could not be read, so Task Schedule started with no tasks. "
                "The damaged list was kept as:\n%1").arg(keptAs));
}

void TaskManage::onDaemonBroken(const QString& reason)
{
    m_lstTaskInfo.clear();
    if (m_bToldBroken)
        return;
    m_bToldBroken = true;
    tellUser(tr("Scheduled recordings are not available: %1 Please reinstall Task Schedule.").arg(reason));
}

void TaskManage::tellUser(const QString& text)
{
    // From the event loop: the caller may be inside a wait for the daemon.
    QTimer::singleShot(0, this, [this, text] {
        OvMessageBox::information(m_pMainWid, OvProductInfo::instance()->productName(), text);
    });
}

void TaskManage::connectXPCServer()
{
    TaskClientCall* client = newClient();
    if (client->createConnection() && client->doConnecting() && m_pClient == client)
        initTaskInfoList();
}

void TaskManage::connectXPCServerLater()
{
    TaskClientCall* client = newClient();
    connect(client, &TaskClientCall::sigConnectionCreated, this, [this, client](bool created) {
        if (created && client->doConnecting() && m_pClient == client)
            initTaskInfoList();
    });
    client->createConnectionLater();
}

void TaskManage::reConnectXPCServer()
{
    Log(kModule, 1, "reConnectXPCServer");
    connectXPCServer();
}

bool TaskManage::initTaskInfoList()
{
    if (!m_pClient)
        return false;
    TaskClientCall* client = m_pClient;
    bool ok = false;
    const quint64 count = client->getTaskArrayCount(&ok);
    Log(kModule, 1, "initTaskInfoList task count: %llu", count);
    if (!ok || m_pClient != client)
        return false;
    const QList<TaskInfo> tasks = client->getTaskInfos(count, &ok);
    // A reconnect inside the wait has listed the tasks of its own client already.
    if (m_pClient != client)
        return false;
    if (!ok)
        Log(kModule, 2, "task list stopped at %lld of %llu", qint64(tasks.size()), count);
    else
        m_bToldBroken = false;
    QStringList deletedListed;
    for (const TaskInfo& task : tasks) {
        if (m_deleted.contains(task.name))
            deletedListed << task.name;
        else
            m_lstTaskInfo.append(task);
    }
    // A deletion is forgotten once the daemon lists the task no more or confirms its removal.
    if (ok) {
        m_deleted.keepOnly(deletedListed);
    }
    removeDeleted(deletedListed);
    return ok && m_pClient == client;
}

void TaskManage::removeDeleted(const QStringList& names)
{
    const QPointer<TaskClientCall> client = m_pClient;
    for (const QString& name : names) {
        // Released inside a wait, or added again or confirmed meanwhile.
        if (!client || m_pClient != client)
            return;
        if (!m_deleted.contains(name))
            continue;
        Log(kModule, 1, "asking again for the removal of \"%s\"", qUtf8Printable(name));
        if (client->removeTask(name) == TaskClientCall::ChangeSaved && m_pClient == client)
            m_deleted.remove(name);
    }
}

QStringList TaskManage::deletedRecording(const QString& recInfo) const
{
    // The same text as the daemon was sent: the daemon keeps it verbatim.
    const QString text = convertRecInfo(parseRecInfo(recInfo));
    for (const TaskInfo& task : m_lstTaskInfo) {
        if (convertRecInfo(task.recinfo) == text)
            return {};
    }
    return m_deleted.recording(text);
}

bool TaskManage::isConnected() { return m_pClient && m_pClient->isConnecting() && m_pClient->checkVersion(); }

bool TaskManage::isOpenTask()
{
    if (!isConnected())
        return false;
    for (const TaskInfo& task : qAsConst(m_lstTaskInfo))
        if (task.enable)
            return true;
    return false;
}

bool TaskManage::isWaitTaskStart() { return m_pClient && m_pClient->getWaitTaskStart(); }

// ---- the list ------------------------------------------------------------------------------

int TaskManage::indexIn(const QList<TaskInfo>& tasks, const QString& name)
{
    for (int i = 0; i < tasks.size(); ++i)
        if (tasks.at(i).name == name)
            return i;
    return -1;
}

int TaskManage::indexOf(const QString& name) const { return indexIn(m_lstTaskInfo, name); }

TaskInfo TaskManage::getTaskInfo(const QString& name) const
{
    const int index = indexOf(name);
    return index >= 0 ? m_lstTaskInfo.at(index) : TaskInfo();
}

bool TaskManage::settleChange(int result, const QString& why, const QList<TaskInfo>& before,
                              const TaskDeletions& deletedBefore, QString* error)
{
    if (result != TaskClientCall::ChangeRefused)
        return true;
    // The user is told instead: a replay would only be refused again.
    m_nLastOperate = OperateNone;
    if (error)
        *error = why;
    TaskClientCall* client = m_pClient;
    // The deletions waiting before the change stay, hidden from the daemon's list.
    m_deleted.restore(deletedBefore);
    m_lstTaskInfo.clear();
    if (!initTaskInfoList() && m_pClient == client) {
        m_lstTaskInfo = before;
        m_deleted.restore(deletedBefore);
    }
    return false;
}

bool TaskManage::addTaskInfo(const TaskInfo& task, QString* error)
{
    m_nLastOperate = OperateAdd;
    m_lastTaskInfo = task;
    const QList<TaskInfo> before = m_lstTaskInfo;
    const TaskDeletions deletedBefore = m_deleted;
    m_lstTaskInfo.append(task);
    m_deleted.remove(task.name);
    if (!m_pClient)
        return true;
    QString why;
    return settleChange(m_pClient->addTask(task, &why), why, before, deletedBefore, error);
}

bool TaskManage::deleteTaskInfo(const QString& name, QString* error)
{
    m_nLastOperate = OperateDelete;
    m_lastTaskInfo = TaskInfo();
    m_lastTaskInfo.name = name;
    const int index = indexOf(name);
    if (index < 0)
        return true;
    const QList<TaskInfo> before = m_lstTaskInfo;
    const TaskDeletions deletedBefore = m_deleted;
    m_deleted.insert(name, convertRecInfo(m_lstTaskInfo.at(index).recinfo));
    m_lstTaskInfo.removeAt(index);
    if (!m_pClient)
        return true;
    QString why;
    const int result = m_pClient->removeTask(name, &why);
    if (result == TaskClientCall::ChangeSaved)
        m_deleted.remove(name);
    // Refused because the daemon holds no such task any more: it is gone, as asked.
    return settleChange(result, why, before, deletedBefore, error) || indexOf(name) < 0;
}

bool TaskManage::changeTaskInfo(const TaskInfo& task, const QString& oldName, QString* error)
{
    m_nLastOperate = OperateChange;
    m_lastTaskInfo = task;
    m_strLastOldName = oldName;
    const int index = indexOf(oldName);
    if (index < 0)
        return true;
    const QList<TaskInfo> before = m_lstTaskInfo;
    const TaskDeletions deletedBefore = m_deleted;
    if (oldName != task.name)
        m_deleted.insert(oldName, convertRecInfo(m_lstTaskInfo.at(index).recinfo));
    m_deleted.remove(task.name);
    m_lstTaskInfo[index] = task;
    if (!m_pClient)
        return true;
    QString why;
    const int result = m_pClient->changeTask(oldName, task, &why);
    if (result == TaskClientCall::ChangeSaved && oldName != task.name)
        m_deleted.remove(oldName);
    return settleChange(result, why, before, deletedBefore, error);
}

void TaskManage::reReportInfo()
{
    switch (m_nLastOperate) {
    case OperateChange:
        // A renamed task's old name is hidden from a new listing: the task is added again.
        if (indexOf(m_strLastOldName) < 0 && !existRepeatName(m_lastTaskInfo.name))
            addTaskInfo(m_lastTaskInfo);
        else
            changeTaskInfo(m_lastTaskInfo, m_strLastOldName);
        break;
    case OperateDelete:
        deleteTaskInfo(m_lastTaskInfo.name);
        break;
    case OperateAdd:
        // An add that reached the daemon is listed again after the reconnect.
        if (!existRepeatName(m_lastTaskInfo.name))
            addTaskInfo(m_lastTaskInfo);
        break;
    default:
        break;
    }
    m_nLastOperate = OperateNone;
}

bool TaskManage::existRepeatName(const QString& name) const { return indexOf(name) >= 0; }

QString TaskManage::getNoRepeatName(const QString& base, int n) const
{
    for (;; ++n) {
        const QString candidate = n == 0 ? base : base + QStringLiteral("(%1)").arg(n);
        if (!existRepeatName(candidate))
            return candidate;
    }
}

// ---- a task's recording --------------------------------------------------------------------

void TaskManage::sendPerformTaskRecInfo(const QString& recInfo)
{
    // Whatever the daemon still holds, a task the user deleted never records: its removal is
    // asked again (from the event loop: this may run inside a wait).
    const QStringList deleted = deletedRecording(recInfo);
    if (!deleted.isEmpty()) {
        Log(kModule, 2, "sendPerformTaskRecInfo dropped: the task \"%s\" was deleted",
            qUtf8Printable(deleted.join(QLatin1String("\", \""))));
        QTimer::singleShot(0, this, [this, deleted] { removeDeleted(deleted); });
        return;
    }
    RecordParameter* parameter = RecordParameter::instance();
    const bool recording = parameter->m_bRecording;
    const bool previewing = parameter->m_bPreview;
    Log(kModule, 1, "sendPerformTaskRecInfo isRecording:%d,isPreviewing:%d", recording, previewing);
    if (recording || previewing)
        return;
    // The running task, or a start handed on but not yet answered by the main window, keeps
    // its stop rule and finishing action.
    if (m_bTasking || !isOutOfDate()) {
        Log(kModule, 2, "sendPerformTaskRecInfo dropped: a task is running or starting");
        return;
    }
    m_performTime = QDateTime::currentDateTime();
    m_curRecInfo = parseRecInfo(recInfo);
    emit sigStartRecord(m_curRecInfo.recwhat);
}

bool TaskManage::isOutOfDate() const
{
    if (!m_performTime.isValid())
        return true;
    return QDateTime::currentSecsSinceEpoch() - m_performTime.toSecsSinceEpoch() > kStartValidSeconds;
}

bool TaskManage::needStopRecord(qint64 duration) const
{
    bool stop = false;
    if (m_curRecInfo.stop == RecordInfo::StopAfterLength)
        stop = m_curRecInfo.length <= duration;
    else if (m_curRecInfo.stop == RecordInfo::StopAtDate)
        stop = !m_curRecInfo.date.isValid()
               || m_curRecInfo.date.toSecsSinceEpoch() - QDateTime::currentSecsSinceEpoch() < 1;
    if (stop)
        Log(kModule, 1, "needStopRecord stop way:%d -- duration: %lld -- stop date:%s", m_curRecInfo.stop, duration,
            qUtf8Printable(taskwire::dateText(m_curRecInfo.date)));
    return stop;
}

bool TaskManage::finishTimedRecording(QWidget* parent, int delayMs)
{
    RecordParameter* param = RecordParameter::instance();
    if (!param->timerEnable())
        return false;
    Log(kModule, 1, "timerEnable:%d stopway:%d,repeat:%d", param->timerEnable(), int(param->timerStopEvent()),
        param->TimerRepeat());
    const bool switchedOff = !param->TimerRepeat();
    if (switchedOff)
        param->setTimerEnable(false);
    // Not run when the window it belongs to has gone meanwhile.
    QObject* context = parent ? static_cast<QObject*>(parent) : this;
    if (param->timerStopEvent() != RSE_NOTHING)
        QTimer::singleShot(delayMs, context, [this, parent] {
            taskCompleted(parent, RecordParameter::instance()->timerStopEvent());
        });
    return switchedOff;
}

void TaskManage::taskCompleted(QWidget* parent, int event)
{
    int action = event;
    if (m_bTasking) {
        m_bTasking = false;
        action = m_curRecInfo.completedtask;
    }
    if (action == RSE_NOTHING)
        return;
    SystemStatusBar::instance()->setActionEnable(false);
    QString notice;
    if (action == RSE_SLEEP)
        notice = tr("The recording is completed, and your computer will sleep automatically after 30 seconds. You "
                    "can click the Cancel button to suspend the sleep.");
    else if (action == RSE_EXIT)
        notice = tr("The recording is completed, and your computer will exit automatically after 30 seconds. You "
                    "can click the Cancel button to suspend the exit.");
    else
        notice = tr("The recording is completed, and your computer will shut down automatically after 30 seconds. "
                    "You can click the Cancel button to suspend.");
    {
        DlgAutoShutdownTips tips(notice, parent);
        if (tips.execute() == QDialog::Accepted)
            runFinishingAction(parent, action);
    }
    SystemStatusBar::instance()->setActionEnable(true);
}

void TaskManage::runFinishingAction(QWidget* parent, int action)
{
    if (action == RSE_EXIT) {
        Log(kModule, 1, "taskCompleted exit");
        QTimer::singleShot(kExitDelayMs, this, [] { QCoreApplication::exit(0); });
        return;
    }
    const bool sleep = action == RSE_SLEEP;
    Log(kModule, 1, sleep ? "taskCompleted systemSleep" : "taskCompleted systemShutdown");
    QString error;
    const auto ask = [this, sleep, &error] {
        return m_pClient && (sleep ? m_pClient->systemSleep(&error) : m_pClient->systemShutdown(&error));
    };
    // The daemon may have restarted since the recording began: one more try on a new connection.
    if (ask())
        return;
    reConnectXPCServer();
    if (ask())
        return;
    const QString text = sleep ? tr("Your computer will not sleep: the task service could not do it (%1).")
                               : tr("Your computer will not shut down: the task service could not do it (%1).");
    OvMessageBox::warning(parent, OvProductInfo::instance()->productName(), text.arg(error));
}

// ---- the recinfo text ----------------------------------------------------------------------

QString TaskManage::convertRecInfo(const RecordInfo& info)
{
    QJsonObject object;
    object.insert(QStringLiteral("recwhat"), info.recwhat);
    object.insert(QStringLiteral("length"), info.length);
    object.insert(QStringLiteral("stop"), info.stop);
    object.insert(QStringLiteral("date"), info.date.isValid()
                                              ? QJsonValue(info.date.toLocalTime().toString(Qt::ISODate))
                                              : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("loop"), info.loop);
    object.insert(QStringLiteral("nloop"), info.nloop);
    object.insert(QStringLiteral("completedtask"), info.completedtask);
    return QString::fromLocal8Bit(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

RecordInfo TaskManage::parseRecInfo(const QString& text)
{
    RecordInfo info;
    const QJsonDocument document = QJsonDocument::fromJson(text.toLocal8Bit());
    if (!document.isObject())
        return info;
    const QJsonObject object = document.object();
    info.recwhat = object.value(QLatin1String("recwhat")).toInt();
    info.stop = object.value(QLatin1String("stop")).toInt();
    info.nloop = object.value(QLatin1String("nloop")).toInt();
    info.completedtask = object.value(QLatin1String("completedtask")).toInt();
    const QJsonValue length = object.value(QLatin1String("length"));
    if (length.isDouble())
        info.length = qint64(length.toDouble());
    else
        info.length = length.toString().toLongLong(); // numeric text, else 0
    const QJsonValue date = object.value(QLatin1String("date"));
    info.date = date.isString() ? QDateTime::fromString(date.toString(), Qt::ISODate) : QDateTime();
    info.loop = object.value(QLatin1String("loop")).toBool();
    return info;
}
