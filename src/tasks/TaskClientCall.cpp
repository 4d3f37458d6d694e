#include "TaskClientCall.h"

#include "Log.h"
#include "TaskManage.h"
#include "services/OSServiceUtils.h"
#include "services/PlatformSeam.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <cmath>
#include <vector>

namespace {
const char kModule[] = "TaskClint";
// Pause between two connection attempts while a daemon just started opens its socket.
const int kConnectRetryMs = 50;
// The reconnection's back-off after a lost connection: the first pause, doubled up to the
// longest; from this attempt on, each one that finds no daemon starts it (unless uninstalled).
const int kReconnectFirstMs = 250;
const int kReconnectLongestMs = 8000;
const int kReconnectStartDaemonAfter = 3;
// After this many starts that did not bring the daemon back, the user is told.
const int kStartsBeforeTelling = 2;
} // namespace

TaskClientCall::TaskClientCall(QObject* parent, bool connected)
    : QObject(parent)
    , m_pSocket(new QLocalSocket(this))
    , m_bConnected(connected)
{
    connect(m_pSocket, &QLocalSocket::readyRead, this, &TaskClientCall::onReadyRead);
    connect(m_pSocket, &QLocalSocket::disconnected, this, &TaskClientCall::onDisconnected);
    connect(m_pSocket, &QLocalSocket::stateChanged, this, &TaskClientCall::onStateChanged);
    m_pReconnect = new QTimer(this);
    m_pReconnect->setSingleShot(true);
    connect(m_pReconnect, &QTimer::timeout, this, &TaskClientCall::onReconnectTimer);
}

TaskClientCall::~TaskClientCall()
{
    Log(kModule, 1, "dealloc");
    m_pSocket->disconnect(this);
    m_pSocket->abort();
    failPending(QStringLiteral("the client was released"));
}

QString TaskClientCall::daemonProgram() { return OSServiceUtils::taskDaemonProgram(); }

void TaskClientCall::wakeWaits()
{
    for (QEventLoop* loop : qAsConst(m_waitLoops))
        loop->quit();
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
        m_waitLoops.append(&loop);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (self)
            m_waitLoops.removeOne(&loop);
    }
}

QString TaskClientCall::socketPath(QString* error)
{
    QString passedOver;
    const QString path = taskwire::clientSocketPath(error, &passedOver);
    if (passedOver != m_strPassedOver) {
        m_strPassedOver = passedOver;
        if (!passedOver.isEmpty())
            Log(kModule, 2, "%s The socket is in the cache folder instead.", qUtf8Printable(passedOver));
    }
    return path;
}

bool TaskClientCall::acceptPeer()
{
    QString why;
    if (taskwire::peerIsThisUser(m_pSocket->socketDescriptor(), &why)) {
        m_bPeerPending = false;
        m_connectedSince.start();
        m_nStartsInVain = 0;
        m_strStartFailure.clear();
        m_bToldNotStarted = false;
        if (m_pSocket->bytesAvailable() > 0)
            QMetaObject::invokeMethod(this, &TaskClientCall::onReadyRead, Qt::QueuedConnection);
        return true;
    }
    const QString path = m_pSocket->fullServerName();
    Log(kModule, 2, "refused the program at %s: %s", qUtf8Printable(path), qUtf8Printable(why));
    m_bClosing = true; // refused, not lost
    m_pSocket->abort();
    m_bClosing = false;
    emit sigDaemonBroken(tr("The program at %1 is not your task service: %2.").arg(path, why));
    return false;
}

TaskClientCall::Attempt TaskClientCall::connectOnce()
{
    m_pReconnect->stop();
    m_bReconnecting = false;
    m_bClosing = true; // an abort of a live connection is no loss
    m_pSocket->abort();
    m_bClosing = false;
    m_reader.clear();
    QString why;
    const QString path = socketPath(&why);
    if (path.isEmpty()) {
        Log(kModule, 2, "no task daemon socket: %s", qUtf8Printable(why));
        emit sigDaemonBroken(why);
        return Attempt::Refused;
    }
    m_bPeerPending = true;
    m_pSocket->connectToServer(path);
    QPointer<TaskClientCall> self(this);
    waitUntil([this] { return m_pSocket->state() != QLocalSocket::ConnectingState; }, kReplyTimeoutMs);
    if (!self || m_pSocket->state() != QLocalSocket::ConnectedState)
        return Attempt::NoDaemon;
    return acceptPeer() ? Attempt::Connected : Attempt::Refused;
}

bool TaskClientCall::startDaemon(QString* error)
{
    if (OSServiceUtils::isTaskDaemonUninstalled()) {
        Log(kModule, 2, "task daemon not started: the user uninstalled it");
        return false;
    }
    const QString program = daemonProgram();
    const auto fail = [&](const QString& why) {
        Log(kModule, 2, "task daemon not started: %s", qUtf8Printable(why));
        if (error)
            *error = why;
        return false;
    };
    if (!QFileInfo(program).isExecutable())
        return fail(tr("its program %1 is missing").arg(program));
    QString why;
    const QString path = socketPath(&why);
    if (path.isEmpty())
        return fail(why);
    QStringList arguments{QStringLiteral("--socket"), path};
    arguments << qEnvironmentVariable("SR_TASKD_ARGS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!PlatformSeam::current()->startDetached(program, arguments))
        return fail(tr("%1 could not be run").arg(program));
    Log(kModule, 2, "started task daemon %s", qUtf8Printable(program));
    return true;
}

bool TaskClientCall::createConnection()
{
    // The same steps as createConnectionLater, waited for here.
    bool ended = false;
    bool created = false;
    QPointer<TaskClientCall> self(this);
    const QMetaObject::Connection watch = connect(this, &TaskClientCall::sigConnectionCreated, this,
                                                  [this, &ended, &created](bool ok) {
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
    const Attempt attempt = connectOnce();
    if (attempt != Attempt::NoDaemon) {
        finishConnecting(attempt);
        return;
    }
    Log(kModule, 1, "no task daemon answers on %s: %s", qUtf8Printable(taskwire::defaultSocketPath()),
        qUtf8Printable(m_pSocket->errorString()));
    if (!startCounted()) {
        finishConnecting(Attempt::NoDaemon);
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
    const Attempt attempt = connectOnce();
    if (!self)
        return;
    if (attempt == Attempt::NoDaemon && m_daemonStarted.elapsed() < kDaemonStartTimeoutMs) {
        m_pDaemonRetry->start();
        return;
    }
    finishConnecting(attempt);
}

void TaskClientCall::finishConnecting(Attempt attempt)
{
    const bool created = attempt == Attempt::Connected;
    if (created) {
        Log(kModule, 1, "task daemon connection created");
    } else {
        Log(kModule, 2, "task daemon connection could not be created");
        setConnected(false);
        // A daemon not found is sought as a lost one is, starting it at every attempt from the
        // next on (one start is behind); one the user uninstalled is left to an install.
        if (attempt == Attempt::NoDaemon && !OSServiceUtils::isTaskDaemonUninstalled()) {
            m_nReconnectAttempts = kReconnectStartDaemonAfter - 1;
            scheduleReconnect();
        }
    }
    emit sigConnectionCreated(created);
}

bool TaskClientCall::isConnecting() const { return m_bConnected; }

void TaskClientCall::setConnected(bool connected)
{
    if (connected == m_bConnected)
        return;
    m_bConnected = connected;
    // From the event loop: the flag changes inside the socket's notifications and the waits.
    QMetaObject::invokeMethod(
        this, [this, connected] { emit sigConnectedChanged(connected); }, Qt::QueuedConnection);
}

// ---- finding a restarted daemon again ------------------------------------------------------

void TaskClientCall::onStateChanged(QLocalSocket::LocalSocketState state)
{
    wakeWaits();
    if (!m_bReconnecting || state == QLocalSocket::ConnectingState)
        return;
    m_bReconnecting = false;
    if (state == QLocalSocket::ConnectedState) {
        m_reader.clear();
        QMetaObject::invokeMethod(this, &TaskClientCall::onFoundAgain, Qt::QueuedConnection);
        return;
    }
    onNoDaemonFound();
}

void TaskClientCall::onFoundAgain()
{
    // Lost again meanwhile: the loss has scheduled the next attempt.
    if (m_pSocket->state() != QLocalSocket::ConnectedState)
        return;
    if (!acceptPeer()) {
        scheduleReconnect();
        return;
    }
    Log(kModule, 1, "task daemon connection found again after %d attempts", m_nReconnectAttempts);
    // The listeners make requests of their own: never inside the socket's notification.
    emit sigReconnected();
}

void TaskClientCall::scheduleReconnect()
{
    const int attempts = qMin(m_nReconnectAttempts, 16);
    m_pReconnect->start(qMin(kReconnectLongestMs, kReconnectFirstMs << attempts));
}

void TaskClientCall::onReconnectTimer()
{
    ++m_nReconnectAttempts;
    m_reader.clear();
    m_bReconnecting = true;
    m_bPeerPending = true;
    // Never waits: the socket's state change ends the attempt (at once when nothing listens).
    const QString path = socketPath();
    if (path.isEmpty()) {
        m_bReconnecting = false;
        scheduleReconnect();
        return;
    }
    m_pSocket->connectToServer(path);
    if (m_bReconnecting && m_pSocket->state() == QLocalSocket::UnconnectedState) {
        m_bReconnecting = false;
        onNoDaemonFound();
    }
}

void TaskClientCall::onNoDaemonFound()
{
    if (m_nReconnectAttempts >= kReconnectStartDaemonAfter) {
        // Told one attempt after a start that failed (its supervisor may have brought it back
        // meanwhile), or after starts that did not bring it back (a program that ends at once).
        if (!m_bToldNotStarted && (!m_strStartFailure.isEmpty() || m_nStartsInVain >= kStartsBeforeTelling)) {
            m_bToldNotStarted = true;
            // Whether a start ended or is only slow is not known here: say what is.
            const QString why = m_strStartFailure.isEmpty()
                                    ? tr("it did not answer after %1 starts (its log may tell why)").arg(m_nStartsInVain)
                                    : m_strStartFailure;
            Log(kModule, 2, "the user is told that the task daemon cannot be started: %s", qUtf8Printable(why));
            QMetaObject::invokeMethod(
                this, [this, why] { emit sigDaemonNotStarted(why); }, Qt::QueuedConnection);
        }
        startCounted();
    }
    scheduleReconnect();
}

bool TaskClientCall::startCounted()
{
    m_strStartFailure.clear();
    const bool started = startDaemon(&m_strStartFailure);
    if (started || !m_strStartFailure.isEmpty())
        ++m_nStartsInVain;
    return started;
}

bool TaskClientCall::request(const char* op, QJsonObject args, QJsonValue* result, QString* error, bool* refused)
{
    if (refused)
        *refused = false;
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
        if (refused && pending.answered)
            *refused = true;
        else
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

void TaskClientCall::onReadyRead()
{
    if (m_bPeerPending)
        return; // read once the other end is known to be this user's daemon
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
        } else if (name == QLatin1String("taskFileDamaged")) {
            const QString keptAs = message.value(QLatin1String("keptAs")).toString();
            Log(kModule, 2, "the task daemon's task file was damaged, kept as %s", qUtf8Printable(keptAs));
            QMetaObject::invokeMethod(
                this, [this, keptAs] { emit sigTaskFileDamaged(keptAs); }, Qt::QueuedConnection);
        } else if (name == QLatin1String("checkActive")) {
            Log(kModule, 1, "checkActive");
        } else if (name == QLatin1String("missedStarts")) {
            const QStringList missed = missedStarts(message.value(QLatin1String("starts")));
            if (!missed.isEmpty())
                QMetaObject::invokeMethod(
                    this, [this, missed] { emit sigMissedStarts(missed); }, Qt::QueuedConnection);
        } else {
            Log(kModule, 2, "unknown callback %s", qUtf8Printable(name));
        }
        wakeWaits();
        return;
    }
    // Only an id this client has handed out can match: a number from the wire is bounded
    // before it becomes an integer.
    const QJsonValue idValue = message.value(QLatin1String("id"));
    const double idNumber = idValue.toDouble(-1);
    if (!idValue.isDouble() || idNumber < 1 || idNumber > double(m_nNextId) || idNumber != std::floor(idNumber)) {
        if (idValue.isNull() || idValue.isUndefined())
            Log(kModule, 2, "task daemon error: %s", qUtf8Printable(message.value(QLatin1String("error")).toString()));
        else
            Log(kModule, 2, "task daemon answered an id never asked: %s", qUtf8Printable(idValue.toVariant().toString()));
        return;
    }
    const qint64 id = qint64(idNumber);
    Pending* pending = m_pending.value(id, nullptr);
    if (!pending) {
        Log(kModule, 1, "late answer %lld ignored", id);
        return;
    }
    m_pending.remove(id);
    ++m_nAnswers;
    pending->done = true;
    pending->answered = true;
    pending->ok = message.value(QLatin1String("ok")).toBool();
    pending->result = message.value(QLatin1String("result"));
    pending->error = message.value(QLatin1String("error")).toString();
    if (!pending->ok && pending->error.isEmpty())
        pending->error = QStringLiteral("refused by the task daemon");
    wakeWaits();
}

void TaskClientCall::onDisconnected()
{
    setConnected(false);
    failPending(QStringLiteral("connection to the task daemon lost"));
    if (m_bClosing)
        return;
    // A daemon that drops every connection at once must not be asked again and again.
    if (m_connectedSince.isValid() && m_connectedSince.elapsed() >= kStableConnectionMs)
        m_nReconnectAttempts = 0;
    Log(kModule, 2, "task daemon connection lost; reconnecting (attempt %d)", m_nReconnectAttempts + 1);
    scheduleReconnect();
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
    const bool answered = request("getTaskArrayCount", {}, &answer, &error);
    const double count = answer.toDouble(-1);
    const bool sane = answered && answer.isDouble() && count >= 0 && count <= kMaxTasks && count == std::floor(count);
    if (ok)
        *ok = sane;
    if (!answered) {
        Log(kModule, 1, "getTaskArrayCount err: %s", qUtf8Printable(error));
        setConnected(false);
        return 0;
    }
    if (!sane) {
        const QString shown = answer.isDouble() ? QString::number(count, 'g', 17) : QStringLiteral("no number");
        Log(kModule, 2, "getTaskArrayCount err: the task daemon answered %s tasks (at most %lld are possible)",
            qUtf8Printable(shown), qint64(kMaxTasks));
        setConnected(false);
        emit sigDaemonBroken(tr("The task service reported %1 tasks, which cannot be right.").arg(shown));
        return 0;
    }
    setConnected(true);
    return quint64(count);
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
    if (count > quint64(kMaxTasks)) {
        Log(kModule, 2, "getTaskInfo err: %llu tasks asked for, at most %lld are possible", count, qint64(kMaxTasks));
        *ok = false;
        return tasks;
    }
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

TaskClientCall::ChangeResult TaskClientCall::change(const char* op, const QJsonObject& args, QString* error)
{
    QJsonValue answer;
    QString why;
    bool refused = false;
    if (request(op, args, &answer, &why, &refused))
        return ChangeSaved;
    Log(kModule, 2, "%s \"%s\" %s: %s", op, qUtf8Printable(args.value(QLatin1String("name")).toString()),
        refused ? "refused" : "not answered", qUtf8Printable(why));
    if (error)
        *error = why;
    return refused ? ChangeRefused : ChangeUnanswered;
}

TaskClientCall::ChangeResult TaskClientCall::removeTask(const QString& name, QString* error)
{
    return change("removeTask", {{QStringLiteral("name"), name}}, error);
}

TaskClientCall::ChangeResult TaskClientCall::addTask(const TaskInfo& task, QString* error)
{
    return change("addTask", taskFields(task), error);
}

TaskClientCall::ChangeResult TaskClientCall::changeTask(const QString& oldName, const TaskInfo& task, QString* error)
{
    QJsonObject args = taskFields(task);
    args.insert(QStringLiteral("oldName"), oldName);
    return change("changeTask", args, error);
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

QStringList TaskClientCall::missedStarts(const QJsonValue& starts)
{
    QStringList lines;
    const QJsonArray list = starts.toArray();
    for (int i = 0; i < list.size(); ++i) {
        if (i == kMaxMissedShown) {
            lines << tr("... and %1 more").arg(qint64(list.size()) - i);
            break;
        }
        const QJsonObject start = list.at(i).toObject();
        const QString name = shownTaskName(start.value(QLatin1String("name")).toString());
        const QString date = shownTaskName(start.value(QLatin1String("date")).toString());
        lines << QStringLiteral("%1 (%2)").arg(name, date);
    }
    Log(kModule, 2, "the task daemon dropped %lld starts while no client was connected", qint64(list.size()));
    return lines;
}
