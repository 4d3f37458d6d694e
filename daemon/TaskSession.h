#pragma once
// One client connection: reads its lines, hands each whole message on, and answers a line
// it cannot read with an error ("id" null) itself. A line too long, or a partial line left
// unfinished for a while, gets an error and ends the connection; so does a client that leaves
// more than kMaxQueuedBytes of answers unread. Other connections are not touched. Lives on
// the daemon's thread and owns its socket.

#include "TaskWire.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>

class QLocalSocket;

class TaskSession : public QObject {
    Q_OBJECT
public:
    // The most bytes of answers and callbacks waiting for one client to read them.
    static constexpr qint64 kMaxQueuedBytes = 4 * qint64(taskwire::kMaxMessageBytes);

    TaskSession(QLocalSocket* socket, QObject* parent);

    // Queues `message`; drops the connection instead when the client reads too little.
    void send(const QJsonObject& message);
    // The bundle id of an accepted "connect"; empty before.
    QString bundleId() const { return m_bundleId; }
    void setBundleId(const QString& id) { m_bundleId = id; }

signals:
    void message(TaskSession* session, const QJsonObject& message);
    // Every whole line read so far has been handed on.
    void drained();
    void closed(TaskSession* session);

private:
    void onReadyRead();
    void onStalled();
    void fail(const QString& error, bool close);

    QLocalSocket* m_socket;
    taskwire::LineReader m_reader;
    QTimer m_stall;
    QString m_bundleId;
    bool m_closing = false;
};
