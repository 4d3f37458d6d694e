#pragma once
// The real task daemon as a child process, and a raw client that speaks the wire line by line.

#include "TaskDaemonRun.h"
#include "TaskWire.h"
#include "WaitFor.h"

#include <QJsonObject>
#include <QLocalSocket>

using DaemonRun = SrTest::TaskDaemonRun;

struct WireClient {
    explicit WireClient(const QString& socketPath)
    {
        QObject::connect(&socket, &QLocalSocket::readyRead, [this] {
            reader.append(socket.readAll());
            QJsonObject message;
            QString error;
            while (reader.next(&message, &error) == taskwire::LineReader::Message)
                (message.contains("cb") ? callbacks : replies) << message;
        });
        socket.connectToServer(socketPath);
        socket.waitForConnected(2000);
    }
    void send(const QString& op, QJsonObject args = {})
    {
        args.insert("op", op);
        socket.write(taskwire::frame(args));
        socket.flush();
    }
    // The reply to a request; an empty object when none came in time.
    QJsonObject call(const QString& op, QJsonObject args = {})
    {
        args.insert("id", ++lastId);
        send(op, args);
        QJsonObject found;
        SrTest::spinUntil([&] {
            for (const QJsonObject& reply : qAsConst(replies))
                if (reply.value("id").toInt() == lastId)
                    found = reply;
            return !found.isEmpty();
        }, 3000);
        return found;
    }
    QJsonValue result(const QString& op, const QJsonObject& args = {}) { return call(op, args).value("result"); }
    bool accept() { return result("connect", {{"bundleId", taskwire::kBundleId}, {"appPath", "/tests"}}).toBool(); }

    QLocalSocket socket;
    taskwire::LineReader reader;
    QList<QJsonObject> replies;
    QList<QJsonObject> callbacks;
    int lastId = 0;
};
