#pragma once
// The real task daemon as a child process with its own socket, store, log and dry-run
// power file in a folder, and a raw client that speaks the wire line by line.

#include "TaskWire.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>

struct DaemonRun {
    explicit DaemonRun(const QString& folder) : dir(folder) {}
    ~DaemonRun() { stop(); }
    QString socket() const { return dir + "/taskd.sock"; }
    QString store() const { return dir + "/tasks.json"; }
    QString log() const { return dir + "/taskd.log"; }
    QString power() const { return dir + "/power.txt"; }
    // Starts the daemon and waits until its socket answers.
    bool start(const QStringList& extra = {})
    {
        process.start(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd",
                      QStringList{"--socket", socket(), "--store", store(), "--log", log(), "--power",
                                  "dry-run:" + power()}
                          + extra);
        return SrTest::spinUntil([this] {
            QLocalSocket probe;
            probe.connectToServer(socket());
            return probe.waitForConnected(100);
        }, 5000);
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        process.waitForFinished(5000);
    }
    QString logText() const
    {
        QFile file(log());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString dir;
    QProcess process;
};

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
    bool accept() { return result("connect", {{"bundleId", "ScreenRecorder"}, {"appPath", "/tests"}}).toBool(); }

    QLocalSocket socket;
    taskwire::LineReader reader;
    QList<QJsonObject> replies;
    QList<QJsonObject> callbacks;
    int lastId = 0;
};
