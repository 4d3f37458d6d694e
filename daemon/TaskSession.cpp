#include "TaskSession.h"

#include "Log.h"

#include <QLocalSocket>

namespace {
// How long a partial line may stay without a new byte.
constexpr int kStallMs = 2000;
} // namespace

TaskSession::TaskSession(QLocalSocket* socket, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_socket->setParent(this);
    m_stall.setSingleShot(true);
    m_stall.setInterval(kStallMs);
    connect(&m_stall, &QTimer::timeout, this, &TaskSession::onStalled);
    connect(m_socket, &QLocalSocket::readyRead, this, &TaskSession::onReadyRead);
    connect(m_socket, &QLocalSocket::disconnected, this, [this] { emit closed(this); });
}

void TaskSession::send(const QJsonObject& message)
{
    if (m_socket->state() != QLocalSocket::ConnectedState || m_closing)
        return;
    const QByteArray line = taskwire::frame(message);
    if (m_socket->bytesToWrite() + line.size() <= kMaxQueuedBytes) {
        m_socket->write(line);
        return;
    }
    Log("TaskDaemon", 2, "a client left %lld bytes unread; closing its connection", qint64(m_socket->bytesToWrite()));
    m_closing = true;
    m_reader.clear();
    m_socket->abort();
}

void TaskSession::onReadyRead()
{
    if (m_closing) {
        m_socket->readAll();
        return;
    }
    m_reader.append(m_socket->readAll());
    for (;;) {
        QJsonObject object;
        QString error;
        const taskwire::LineReader::Result result = m_reader.next(&object, &error);
        if (result == taskwire::LineReader::NeedMore)
            break;
        if (result == taskwire::LineReader::Overflow) {
            fail(QStringLiteral("message longer than %1 bytes").arg(taskwire::kMaxMessageBytes), true);
            break;
        }
        if (result == taskwire::LineReader::Bad)
            fail(error, false);
        else
            emit message(this, object);
    }
    emit drained();
    if (m_reader.pending() > 0 && !m_closing)
        m_stall.start();
    else
        m_stall.stop();
}

void TaskSession::onStalled()
{
    fail(QStringLiteral("truncated message"), true);
}

void TaskSession::fail(const QString& error, bool close)
{
    Log("TaskDaemon", 2, "bad message from a client: %s%s", qUtf8Printable(error),
        close ? "; closing its connection" : "");
    send({{"id", QJsonValue::Null}, {"ok", false}, {"error", error}});
    if (!close)
        return;
    m_closing = true;
    m_reader.clear();
    m_socket->disconnectFromServer();
}
