#include "TaskServer.h"

#include "Log.h"
#include "PowerBackend.h"
#include "TaskSession.h"
#include "TaskStore.h"
#include "TaskWire.h"

#include <QFileInfo>
#include <QLocalSocket>

namespace {
// How often the socket is checked for being still served.
constexpr int kWatchMs = 1000;
} // namespace

TaskServer::TaskServer(TaskStore* store, PowerBackend* power, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_power(power)
{
    // Only this user may connect: a client can shut the machine down.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &TaskServer::onNewConnection);
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &TaskServer::onWatch);
}

bool TaskServer::listen(const QString& path)
{
    if (!m_server.listen(path))
        return false;
    m_watch.start();
    return true;
}

void TaskServer::onWatch()
{
    // The local server closes itself when a connection cannot be taken (no file descriptor
    // left, for one); a removed socket file (its folder cleaned away) is never found again.
    QString reason;
    if (!m_server.isListening())
        reason = QStringLiteral("stopped listening: %1").arg(m_server.errorString());
    else if (!QFileInfo::exists(m_server.fullServerName()))
        reason = QStringLiteral("the socket file %1 is gone").arg(m_server.fullServerName());
    if (reason.isEmpty())
        return;
    m_watch.stop();
    emit socketLost(reason);
}

bool TaskServer::sendCallback(const QJsonObject& message)
{
    if (!m_target)
        return false;
    m_target->send(message);
    return true;
}

void TaskServer::onNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (!admit(socket))
            continue;
        auto* session = new TaskSession(socket, this);
        m_sessions.insert(session);
        connect(session, &TaskSession::message, this, &TaskServer::onMessage);
        connect(session, &TaskSession::drained, this, [this] { m_store->flush(); });
        connect(session, &TaskSession::closed, this, [this](TaskSession* closed) {
            m_sessions.remove(closed);
            closed->deleteLater();
        });
    }
}

bool TaskServer::admit(QLocalSocket* socket)
{
    QString why;
    const bool sameUser = taskwire::peerIsThisUser(socket->socketDescriptor(), &why);
    if (sameUser && m_sessions.size() < kMaxConnections) {
        m_bFull = false;
        return true;
    }
    if (!sameUser)
        Log("TaskDaemon", 2, "connection refused: %s", qUtf8Printable(why));
    else if (!m_bFull) // once per run of refusals: a flood would fill the log
        Log("TaskDaemon", 2, "connections refused: %d are open already", kMaxConnections);
    m_bFull = sameUser;
    socket->abort();
    socket->deleteLater();
    return false;
}

void TaskServer::onMessage(TaskSession* session, const QJsonObject& request)
{
    const QString op = request.value("op").toString();
    Log("TaskDaemon", 1, "request %s", qUtf8Printable(op));
    Answer result;
    if (op == QLatin1String("getVersion")) {
        result.result = QLatin1String(taskwire::kVersion);
    } else if (op == QLatin1String("connect")) {
        const QString id = request.value("bundleId").toString();
        const bool accepted = id == QLatin1String(taskwire::kBundleId);
        Log("TaskDaemon", 1, "connect from \"%s\" at %s: %s", qUtf8Printable(id),
            qUtf8Printable(request.value("appPath").toString()), accepted ? "accepted" : "refused");
        result.result = accepted;
        if (accepted) {
            session->setBundleId(id);
            m_target = session;
        }
        answer(session, request, result);
        if (accepted)
            emit clientAccepted();
        return;
    } else if (op == QLatin1String("getbundleid")) {
        result.result = session->bundleId();
    } else if (op == QLatin1String("getTaskArrayCount")) {
        result.result = m_store->tasks().size();
    } else if (op == QLatin1String("getTaskInfo")) {
        result = taskInfo(request.value("index"));
    } else if (op == QLatin1String("addTask") || op == QLatin1String("changeTask")
               || op == QLatin1String("removeTask")) {
        result = changeList(op, request);
    } else if (op == QLatin1String("getWaitTaskStart")) {
        result.result = m_waiting && m_waiting();
    } else if (op == QLatin1String("systemShutdown") || op == QLatin1String("systemSleep")) {
        powerRequest(session, request, op == QLatin1String("systemShutdown") ? PowerBackend::Shutdown
                                                                              : PowerBackend::Sleep);
        return;
    } else {
        result = {false, {}, QStringLiteral("unknown request \"%1\"").arg(op)};
    }
    answer(session, request, result);
}

void TaskServer::answer(TaskSession* session, const QJsonObject& request, const Answer& answer)
{
    const QJsonValue id = request.value("id");
    if (id.isUndefined() || id.isNull()) {
        if (!answer.ok)
            Log("TaskDaemon", 2, "%s refused: %s", qUtf8Printable(request.value("op").toString()),
                qUtf8Printable(answer.error));
        return;
    }
    m_store->flush();
    QJsonObject reply{{"id", id}, {"ok", answer.ok}};
    if (answer.ok)
        reply.insert("result", answer.result);
    else
        reply.insert("error", answer.error);
    session->send(reply);
}

TaskServer::Answer TaskServer::taskInfo(const QJsonValue& index) const
{
    const double at = index.toDouble(-1);
    if (at < 0 || at >= m_store->tasks().size() || at != qint64(at))
        return {false, {}, QStringLiteral("no task at index %1").arg(index.toVariant().toString())};
    return {true, taskFields(m_store->tasks().at(int(at))), {}};
}

TaskServer::Answer TaskServer::changeList(const QString& op, const QJsonObject& request)
{
    const QVector<StoredTask> before = m_store->tasks();
    Answer result = op == QLatin1String("addTask")      ? addTask(request)
                    : op == QLatin1String("changeTask") ? changeTask(request)
                                                        : removeTask(request);
    // A change that is answered is answered once it is on disk: one that could not be written
    // is taken back, so that the list stays what the file holds.
    const QJsonValue id = request.value("id");
    if (result.ok && !id.isUndefined() && !id.isNull() && !m_store->flush()) {
        m_store->takeBack(before);
        result = {false, {}, QStringLiteral("the task file could not be written: %1").arg(m_store->errorString())};
    }
    return result;
}

TaskServer::Answer TaskServer::addTask(const QJsonObject& request)
{
    const StoredTask task = taskFromFields(request);
    if (task.name.isEmpty())
        return {false, {}, QStringLiteral("a task needs a name")};
    m_store->put(task);
    return {};
}

TaskServer::Answer TaskServer::changeTask(const QJsonObject& request)
{
    const StoredTask task = taskFromFields(request);
    if (task.name.isEmpty())
        return {false, {}, QStringLiteral("a task needs a name")};
    const QString oldName = request.value("oldName").toString();
    const int index = m_store->indexOf(oldName);
    if (index < 0) {
        // A task that is not here can only be stored again under its own name (a replay of
        // what a restarted daemon lost), never over another task.
        if (oldName != task.name)
            return {false, {}, QStringLiteral("no task named \"%1\"").arg(oldName)};
        m_store->put(task);
        return {};
    }
    const int holder = m_store->indexOf(task.name);
    if (holder >= 0 && holder != index)
        return {false, {}, QStringLiteral("another task is named \"%1\"").arg(task.name)};
    m_store->replace(index, task);
    return {};
}

TaskServer::Answer TaskServer::removeTask(const QJsonObject& request)
{
    const QString name = request.value("name").toString();
    if (!m_store->remove(name))
        return {false, {}, QStringLiteral("no task named \"%1\"").arg(name)};
    return {};
}

void TaskServer::powerRequest(TaskSession* session, const QJsonObject& request, int action)
{
    QPointer<TaskSession> guard(session);
    m_power->perform(PowerBackend::Action(action), this, [this, guard, request](const QString& error) {
        if (!error.isEmpty())
            Log("TaskDaemon", 2, "%s failed: %s", qUtf8Printable(request.value("op").toString()),
                qUtf8Printable(error));
        if (guard)
            answer(guard, request, error.isEmpty() ? Answer{true, true, {}} : Answer{false, {}, error});
    });
}
