#include "TaskClientCall.h"

#include "Log.h"
#include "TaskManage.h"
#include "services/PlatformSeam.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <vector>

namespace {
const char kModule[] = "TaskClint";
// Pause between two connection attempts while a daemon just started opens its socket.
const int kConnectRetryMs = 50;

// The connected flag outlives the clients; only the current (newest) client writes it.
std::atomic_bool s_connected{false};
TaskClientCall* s_current = nullptr;
// The local event loops of the waits in progress (nested waits stack up), woken whenever an
// answer, a callback or a change of the socket's state arrives.
QList<QEventLoop*> s_waitLoops;

void wakeWaits()
{
    for (QEventLoop* loop : qAsConst(s_waitLoops))
        loop->quit();
}
} // namespace

TaskClientCall::TaskClientCall(QObject* parent)
    : QObject(parent)
    , m_pSocket(new QLocalSocket(this))
{
    s_current = this;
    connect(m_pSocket, &QLocalSocket::readyRead, this, &TaskClientCall::onReadyRead);
    connect(m_pSocket, &QLocalSocket::disconnected, this, &TaskClientCall::onDisconnected);
    connect(m_pSocket, &QLocalSocket::stateChanged, this, [] { wakeWaits(); });
}

TaskClientCall::~TaskClientCall()
{
    Log(kModule, 1, "dealloc");
    m_pSocket->disconnect(this);
    m_pSocket->abort();
    failPending(QStringLiteral("the client was released"));
    if (s_current == this)
        s_current = nullptr;
}

QString TaskClientCall::daemonProgram()
{
    const QString fromEnv = qEnvironmentVariable("SR_TASKD_PROGRAM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/screenrecorder-taskd");
}

void TaskClientCall::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QPointer<TaskClientCall> self(this);
    QElapsedTimer clock;
    clock.start();
    while (self && !done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(left));
        s_waitLoops.append(&loop);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        s_waitLoops.removeOne(&loop);
    }
}

bool TaskClientCall::connectOnce()
{
    m_pSocket->abort();
    m_reader.clear();
    m_pSocket->connectToServer(taskwire::defaultSocketPath());
    QPointer<TaskClientCall> self(this);
    waitUntil([this] { return m_pSocket->state() != QLocalSocket::ConnectingState; }, kReplyTimeoutMs);
    return self && m_pSocket->state() == QLocalSocket::ConnectedState;
}

bool TaskClientCall::startDaemon()
{
    const QString program = daemonProgram();
    if (!QFileInfo(program).isExecutable()) {
        Log(kModule, 2, "task daemon not found: %s", qUtf8Printable(program));
        return false;
    }
    QStringList arguments{QStringLiteral("--socket"), taskwire::defaultSocketPath()};
    arguments << qEnvironmentVariable("SR_TASKD_ARGS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const bool started = PlatformSeam::current()->startDetached(program, arguments);
    Log(kModule, 2, "start task daemon %s: %d", qUtf8Printable(program), started ? 1 : 0);
    return started;
}

bool TaskClientCall::createConnection()
{
    // The same steps as createConnectionLater, waited for here.
    bool ended = false;
    bool created = false;
    QPointer<TaskClientCall> self(this);
    const QMetaObject::Connection watch = connect(this, &TaskClientCall::sigConnectionCreated, this,
                                                  [&ended, &created](bool ok) {
                                                      ended = true;
                                                      created = ok;
                                                      wakeWaits();
                                                  });
    createConnectionLater();
    waitUntil([&ended, &self] { return ended || !self; }, kDaemonStartTimeoutMs + 2 * kReplyTimeoutMs);
    if (!self)
        return false;
    disconnect(watch);
    return created;
}

void TaskClientCall::createConnectionLater()
{
    if (connectOnce()) {
        finishConnecting(true);
        return;
    }
    Log(kModule, 1, "no task daemon answers on %s: %s", qUtf8Printable(taskwire::defaultSocketPath()),
        qUtf8Printable(m_pSocket->errorString()));
    if (!startDaemon()) {
        finishConnecting(false);
        return;
    }
    if (!m_pDaemonRetry) {
        m_pDaemonRetry = new QTimer(this);
        m_pDaemonRetry->setInterval(kConnectRetryMs);
        connect(m_pDaemonRetry, &QTimer::timeout, this, &TaskClientCall::onDaemonRetry);
    }
    m_daemonStarted.start();
    m_pDaemonRetry->start();
}

void TaskClientCall::onDaemonRetry()
{
    // Stopped while the attempt runs: its wait processes timers.
    m_pDaemonRetry->stop();
    QPointer<TaskClientCall> self(this);
    const bool created = connectOnce();
    if (!self)
        return;
    if (!created && m_daemonStarted.elapsed() < kDaemonStartTimeoutMs) {
        m_pDaemonRetry->start();
        return;
    }
    finishConnecting(created);
}

void TaskClientCall::finishConnecting(bool created)
{
    if (created) {
        Log(kModule, 1, "task daemon connection created");
    } else {
        Log(kModule, 2, "task daemon connection could not be created");
        setConnected(false);
    }
    emit sigConnectionCreated(created);
}

bool TaskClientCall::isConnecting() const { return s_connected; }

void TaskClientCall::setConnected(bool connected)
{
    if (s_current == this)
        s_connected = connected;
}

bool TaskClientCall::request(const char* op, QJsonObject args, QJsonValue* result, QString* error)
{
    if (m_pSocket->state() != QLocalSocket::ConnectedState) {
        *error = QStringLiteral("not connected to the task daemon");
        setConnected(false);
        return false;
    }
    Pending pending;
    const qint64 id = send(op, args, &pending);
    m_pSocket->flush();
    QPointer<TaskClientCall> self(this);
    waitUntil([&pending] { return pending.done; }, kReplyTimeoutMs);
    if (!self)
        return false;
    m_pending.remove(id);
    if (!pending.done)
        pending.error = QStringLiteral("no answer within %1 ms").arg(kReplyTimeoutMs);
    if (!pending.done || !pending.ok) {
        *error = pending.error;
        setConnected(false);
        return false;
    }
    *result = pending.result;
    return true;
}

qint64 TaskClientCall::send(const char* op, QJsonObject args, Pending* pending)
{
    const qint64 id = ++m_nNextId;
    args.insert(QStringLiteral("op"), QLatin1String(op));
    args.insert(QStringLiteral("id"), id);
    m_pending.insert(id, pending);
    m_pSocket->write(taskwire::frame(args));
    return id;
}

void TaskClientCall::post(const char* op, QJsonObject args)
{
    if (m_pSocket->state() != QLocalSocket::ConnectedState) {
        Log(kModule, 2, "%s not sent: not connected to the task daemon", op);
        setConnected(false);
        return;
    }
    args.insert(QStringLiteral("op"), QLatin1String(op));
    m_pSocket->write(taskwire::frame(args));
    m_pSocket->flush();
}

void TaskClientCall::onReadyRead()
{
    m_reader.append(m_pSocket->readAll());
    QJsonObject message;
    QString error;
    for (;;) {
        switch (m_reader.next(&message, &error)) {
        case taskwire::LineReader::NeedMore:
            return;
        case taskwire::LineReader::Message:
            handleMessage(message);
            break;
        case taskwire::LineReader::Bad:
            Log(kModule, 2, "task daemon sent %s", qUtf8Printable(error));
            break;
        case taskwire::LineReader::Overflow:
            Log(kModule, 2, "task daemon sent an oversized message: connection closed");
            m_reader.clear();
            m_pSocket->abort();
            return;
        }
    }
}

void TaskClientCall::handleMessage(const QJsonObject& message)
{
    const QJsonValue callback = message.value(QLatin1String("cb"));
    if (!callback.isUndefined()) {
        setConnected(true);
        const QString name = callback.toString();
        if (name == QLatin1String("sendPerformTaskRecInfo")) {
            const QString recInfo = message.value(QLatin1String("recinfo")).toString();
            Log(kModule, 1, "sendPerformTaskRecInfo %s", qUtf8Printable(recInfo));
            // Handed on from the event loop, so that a waiting call never runs it inside
            // the socket's own notification.
            QMetaObject::invokeMethod(
                this, [this, recInfo] { emit sigPerformTaskRecInfo(recInfo); }, Qt::QueuedConnection);
        } else if (name == QLatin1String("checkActive")) {
            Log(kModule, 1, "checkActive");
        } else {
            Log(kModule, 2, "unknown callback %s", qUtf8Printable(name));
        }
        wakeWaits();
        return;
    }
    const QJsonValue id = message.value(QLatin1String("id"));
    if (!id.isDouble()) {
        Log(kModule, 2, "task daemon error: %s", qUtf8Printable(message.value(QLatin1String("error")).toString()));
        return;
    }
    Pending* pending = m_pending.value(qint64(id.toDouble()), nullptr);
    if (!pending) {
        Log(kModule, 1, "late answer %lld ignored", qint64(id.toDouble()));
        return;
    }
    m_pending.remove(qint64(id.toDouble()));
    ++m_nAnswers;
    pending->done = true;
    pending->ok = message.value(QLatin1String("ok")).toBool();
    pending->result = message.value(QLatin1String("result"));
    pending->error = message.value(QLatin1String("error")).toString();
    if (!pending->ok && pending->error.isEmpty())
        pending->error = QStringLiteral("refused by the task daemon");
    wakeWaits();
}

void TaskClientCall::onDisconnected()
{
    Log(kModule, 2, "task daemon connection lost");
    setConnected(false);
    failPending(QStringLiteral("connection to the task daemon lost"));
}

void TaskClientCall::failPending(const QString& error)
{
    // Their owners are waiting on the stack and see them done when they wake.
    for (Pending* pending : qAsConst(m_pending)) {
        pending->done = true;
        pending->ok = false;
        pending->error = error;
    }
    m_pending.clear();
    wakeWaits();
}

bool TaskClientCall::doConnecting()
{
    Log(kModule, 1, "doConnecting get bid: %s", taskwire::kBundleId);
    QJsonObject args{{QStringLiteral("bundleId"), QLatin1String(taskwire::kBundleId)},
                     {QStringLiteral("appPath"), QCoreApplication::applicationDirPath()}};
    QJsonValue answer;
    QString error;
    if (!request("connect", args, &answer, &error)) {
        Log(kModule, 1, "connectUsebundleid err: %s", qUtf8Printable(error));
        return false;
    }
    Log(kModule, 1, "connectUsebundleid: %d", answer.toBool() ? 1 : 0);
    setConnected(answer.toBool());
    return answer.toBool();
}

bool TaskClientCall::checkVersion()
{
    QJsonValue answer;
    QString error;
    if (!request("getVersion", {}, &answer, &error)) {
        Log(kModule, 1, "getVersion err: %s", qUtf8Printable(error));
        return false;
    }
    Log(kModule, 1, "getVersion: %s,  local:%s", qUtf8Printable(answer.toString()), taskwire::kVersion);
    return answer.toString() == QLatin1String(taskwire::kVersion);
}

quint64 TaskClientCall::getTaskArrayCount(bool* ok)
{
    QJsonValue answer;
    QString error;
    const bool answered = request("getTaskArrayCount", {}, &answer, &error) && answer.isDouble()
                          && answer.toDouble() >= 0;
    if (ok)
        *ok = answered;
    if (!answered) {
        Log(kModule, 1, "getTaskArrayCount err: %s", qUtf8Printable(error.isEmpty() ? "no count" : error));
        setConnected(false);
        return 0;
    }
    setConnected(true);
    return quint64(answer.toDouble());
}

TaskInfo TaskClientCall::taskFromAnswer(const QJsonValue& answer, bool* ok)
{
    const QJsonObject fields = answer.toObject();
    *ok = answer.isObject() && fields.value(QLatin1String("name")).isString();
    TaskInfo task;
    if (!*ok)
        return task;
    task.name = fields.value(QLatin1String("name")).toString();
    task.enable = fields.value(QLatin1String("enable")).toBool();
    task.repeat = fields.value(QLatin1String("repeat")).toBool();
    task.week = str2week(fields.value(QLatin1String("week")).toString());
    task.date = fields.value(QLatin1String("date")).toString();
    task.recinfo = TaskManage::parseRecInfo(fields.value(QLatin1String("recinfo")).toString());
    return task;
}

TaskInfo TaskClientCall::getTaskInfo(quint64 index, bool* ok)
{
    QJsonValue answer;
    QString error;
    *ok = request("getTaskInfo", {{QStringLiteral("index"), qint64(index)}}, &answer, &error);
    TaskInfo task;
    if (*ok)
        task = taskFromAnswer(answer, ok);
    if (!*ok) {
        Log(kModule, 1, "getTaskInfo err: %s", qUtf8Printable(error.isEmpty() ? "no task" : error));
        setConnected(false);
        return TaskInfo();
    }
    setConnected(true);
    return task;
}

QList<TaskInfo> TaskClientCall::getTaskInfos(quint64 count, bool* ok)
{
    QList<TaskInfo> tasks;
    *ok = true;
    if (count == 0)
        return tasks;
    if (m_pSocket->state() != QLocalSocket::ConnectedState) {
        Log(kModule, 1, "getTaskInfo err: not connected to the task daemon");
        setConnected(false);
        *ok = false;
        return tasks;
    }
    // Every request goes out at once (the daemon answers in order); the wait is bounded by
    // the time between two answers.
    std::vector<Pending> pending(count);
    for (quint64 index = 0; index < count; ++index)
        send("getTaskInfo", {{QStringLiteral("index"), qint64(index)}}, &pending[index]);
    m_pSocket->flush();
    QPointer<TaskClientCall> self(this);
    quint64 before = 0;
    do {
        before = m_nAnswers;
        waitUntil([this, before, &pending] { return m_nAnswers != before || pending.back().done; },
                  kReplyTimeoutMs);
        if (!self) {
            *ok = false;
            return tasks;
        }
    } while (!pending.back().done && m_nAnswers != before);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it.value() >= pending.data() && it.value() < pending.data() + count)
            it = m_pending.erase(it);
        else
            ++it;
    }

    for (const Pending& answer : pending) {
        bool valid = answer.done && answer.ok;
        const TaskInfo task = valid ? taskFromAnswer(answer.result, &valid) : TaskInfo();
        if (!valid) {
            QString error = answer.error.isEmpty() ? QStringLiteral("no task") : answer.error;
            if (!answer.done)
                error = QStringLiteral("no answer within %1 ms").arg(kReplyTimeoutMs);
            Log(kModule, 1, "getTaskInfo err: %s", qUtf8Printable(error));
            *ok = false;
            break;
        }
        tasks.append(task);
    }
    setConnected(*ok);
    return tasks;
}

QJsonObject TaskClientCall::taskFields(const TaskInfo& task)
{
    return {{QStringLiteral("name"), task.name},
            {QStringLiteral("enable"), task.enable},
            {QStringLiteral("repeat"), task.repeat},
            {QStringLiteral("week"), week2Str(task.week)},
            {QStringLiteral("date"), task.date},
            {QStringLiteral("recinfo"), TaskManage::convertRecInfo(task.recinfo)}};
}

void TaskClientCall::removeTask(const QString& name) { post("removeTask", {{QStringLiteral("name"), name}}); }

void TaskClientCall::addTask(const TaskInfo& task) { post("addTask", taskFields(task)); }

void TaskClientCall::changeTask(const QString& oldName, const TaskInfo& task)
{
    QJsonObject args = taskFields(task);
    args.insert(QStringLiteral("oldName"), oldName);
    post("changeTask", args);
}

QString TaskClientCall::getbundleid()
{
    QJsonValue answer;
    QString error;
    if (!request("getbundleid", {}, &answer, &error)) {
        Log(kModule, 1, "getbundleid err: %s", qUtf8Printable(error));
        return QString();
    }
    setConnected(true);
    return answer.toString();
}

bool TaskClientCall::getWaitTaskStart()
{
    QJsonValue answer;
    QString error;
    if (!request("getWaitTaskStart", {}, &answer, &error)) {
        Log(kModule, 1, "getWaitTaskStart err: %s", qUtf8Printable(error));
        return false;
    }
    setConnected(true);
    Log(kModule, 1, "getWaitTaskStart: %d", answer.toBool() ? 1 : 0);
    return answer.toBool();
}

bool TaskClientCall::systemShutdown(QString* error) { return powerRequest("systemShutdown", error); }

bool TaskClientCall::systemSleep(QString* error) { return powerRequest("systemSleep", error); }

bool TaskClientCall::powerRequest(const char* op, QString* error)
{
    QJsonValue answer;
    QString why;
    const bool accepted = request(op, {}, &answer, &why) && answer.toBool();
    if (!accepted) {
        if (why.isEmpty())
            why = QStringLiteral("the task daemon refused");
        Log(kModule, 1, "%s err: %s", op, qUtf8Printable(why));
        if (error)
            *error = why;
    }
    return accepted;
}
