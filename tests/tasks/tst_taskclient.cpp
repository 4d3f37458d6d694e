// The daemon client against an in-test daemon that misbehaves on purpose: silence, a wrong
// version, a callback in the middle of a wait, a query that fails half-way through the list.

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "WaitFor.h"
#include "TestMain.h"
#include "TaskWire.h"
#include "tasks/TaskClientCall.h"
#include "tasks/TaskManage.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// A local server that answers each request line through `answer` (no answer when it
// returns an undefined value).
class FakeDaemon : public QObject {
public:
    std::function<QJsonValue(QLocalSocket*, const QJsonObject&)> answer;
    // Called with each new connection.
    std::function<void(QLocalSocket*)> arrived;

    bool listen()
    {
        const QString path = taskwire::defaultSocketPath();
        QLocalServer::removeServer(path);
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onLines(socket); });
                if (arrived)
                    arrived(socket);
            }
        });
        return m_server.listen(path);
    }

    static void send(QLocalSocket* socket, const QJsonObject& message)
    {
        socket->write(taskwire::frame(message));
        socket->flush();
    }
    void dropAll()
    {
        for (QLocalSocket* socket : m_server.findChildren<QLocalSocket*>())
            socket->abort();
    }
    static QJsonValue refuse(QLocalSocket* socket, const QJsonObject& request)
    {
        send(socket, {{"id", request.value("id")}, {"ok", false}, {"error", "refused on purpose"}});
        return QJsonValue(QJsonValue::Undefined);
    }

private:
    void onLines(QLocalSocket* socket)
    {
        while (socket->canReadLine()) {
            const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
            const QJsonValue result = answer ? answer(socket, request) : QJsonValue(QJsonValue::Undefined);
            if (!result.isUndefined() && request.contains("id"))
                send(socket, {{"id", request.value("id")}, {"ok", true}, {"result", result}});
        }
    }
    QLocalServer m_server;
};

QJsonValue wellBehaved(const QJsonObject& request)
{
    const QString op = request.value("op").toString();
    if (op == "connect")
        return true;
    if (op == "getVersion")
        return QString(taskwire::kVersion);
    return QJsonValue(QJsonValue::Undefined);
}
} // namespace

class TaskClientTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("SR_TASKD_SOCKET", QFile::encodeName(SrTest::root() + "/fake-taskd.sock"));
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
    }

    void cleanupTestCase()
    {
        qunsetenv("SR_TASKD_SOCKET");
        qunsetenv("SR_TASKD_PROGRAM");
    }

    void silentDaemonIsDetectedWithinTheBoundWhileTimersRun()
    {
        FakeDaemon daemon;
        bool silent = false;
        daemon.answer = [&](QLocalSocket*, const QJsonObject& request) {
            return silent ? QJsonValue(QJsonValue::Undefined) : wellBehaved(request);
        };
        QVERIFY(daemon.listen());
        TaskClientCall client;
        QVERIFY(client.createConnection());
        QVERIFY(client.doConnecting());
        silent = true;

        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        bool ok = true;
        const QList<std::function<bool()>> calls{
            [&] { return client.doConnecting(); }, [&] { return client.checkVersion(); },
            [&] { return client.getTaskArrayCount() != 0; }, [&] { return client.getTaskInfo(0, &ok), ok; },
            [&] { return client.getTaskInfos(2, &ok).size() || ok; }, [&] { return !client.getbundleid().isEmpty(); },
            [&] { return client.getWaitTaskStart(); }, [&] { return client.systemSleep(); },
        };
        for (const auto& call : calls) {
            ticks = 0;
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!call());
            // Bounded: the wait gives up at its time-out (a busy machine may wake it late, but
            // never a whole time-out later).
            QVERIFY(clock.elapsed() < 2 * TaskClientCall::kReplyTimeoutMs);
            QVERIFY2(ticks >= 20, qPrintable(QString("the timer ticked %1 times").arg(ticks)));
            QVERIFY(!client.isConnecting());
        }
    }

    void callbackDuringAWaitIsDeliveredOnceAndOnlyTheExpectedVersionPasses()
    {
        FakeDaemon daemon;
        daemon.answer = [](QLocalSocket* socket, const QJsonObject& request) {
            if (request.value("op") == "getVersion")
                return QJsonValue("6.1");
            if (request.value("op") != "getTaskArrayCount")
                return wellBehaved(request);
            FakeDaemon::send(socket, {{"cb", "sendPerformTaskRecInfo"}, {"recinfo", "{}\n"}});
            const QJsonValue id = request.value("id");
            QTimer::singleShot(100, socket, [socket, id] {
                FakeDaemon::send(socket, {{"id", id}, {"ok", true}, {"result", 3}});
            });
            return QJsonValue(QJsonValue::Undefined);
        };
        QVERIFY(daemon.listen());
        TaskClientCall client;
        QSignalSpy due(&client, &TaskClientCall::sigPerformTaskRecInfo);
        QVERIFY(client.createConnection() && client.doConnecting());
        QCOMPARE(client.getTaskArrayCount(), quint64(3));
        QTest::qWait(50);
        QCOMPARE(due.count(), 1);
        QCOMPARE(due.at(0).at(0).toString(), QString("{}\n"));
        QVERIFY(!client.checkVersion());
        QVERIFY(client.isConnecting());
    }

    void failedQueryMidListAddsNoPhantomTask()
    {
        FakeDaemon daemon;
        daemon.answer = [](QLocalSocket* socket, const QJsonObject& request) {
            const QString op = request.value("op").toString();
            if (op == "getTaskArrayCount")
                return QJsonValue(3);
            if (op == "getTaskInfo" && request.value("index").toInt() == 0)
                return QJsonValue(QJsonObject{{"name", "first"}, {"recinfo", "{}"}});
            if (op == "getTaskInfo")
                return FakeDaemon::refuse(socket, request);
            return wellBehaved(request);
        };
        QVERIFY(daemon.listen());
        TaskManage* tasks = TaskManage::instance();
        tasks->reConnectXPCServer();
        QCOMPARE(tasks->getLstTaskInfo().size(), 1);
        QCOMPARE(tasks->getLstTaskInfo().at(0).name, QString("first"));
        QVERIFY(!tasks->isConnected());
    }

    void impossibleNumbersFromTheWireAreRefusedWithoutACrash_data()
    {
        QTest::addColumn<QJsonValue>("count");
        QTest::newRow("a million million") << QJsonValue(1e12);
        QTest::newRow("one past the bound") << QJsonValue(TaskClientCall::kMaxTasks + 1);
        QTest::newRow("negative") << QJsonValue(-3);
        QTest::newRow("a fraction") << QJsonValue(2.5);
        QTest::newRow("text") << QJsonValue("many");
    }
    void impossibleNumbersFromTheWireAreRefusedWithoutACrash()
    {
        QFETCH(QJsonValue, count);
        FakeDaemon daemon;
        daemon.answer = [count](QLocalSocket*, const QJsonObject& request) {
            return request.value("op") == "getTaskArrayCount" ? count : wellBehaved(request);
        };
        QVERIFY(daemon.listen());
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        TaskManage* tasks = TaskManage::instance();
        tasks->reConnectXPCServer();
        QVERIFY(tasks->getLstTaskInfo().isEmpty());
        QVERIFY(!tasks->isConnected());
        // The user hears of it once, from the event loop.
        QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 5000));
        QVERIFY2(ModalAnswers::messages().constLast().contains("cannot be right"),
                 qPrintable(ModalAnswers::messages().join('|')));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // Names come from the daemon's file: a line break, a direction override or a huge name
    // must not reshape the message (its button off the screen), and only a few are listed.
    void missedStartsAreToldCleanAndFew()
    {
        const QString longName(1000, QLatin1Char('x'));
        QJsonArray starts;
        for (const QString& name : {QString("Line one\nLine two"), QString("abc") + QChar(0x202E) + "gpj.exe", longName})
            starts.append(QJsonObject{{"name", name}, {"date", "03-10-2031 10:00:00"}});
        for (int i = 0; i < 6; ++i)
            starts.append(QJsonObject{{"name", QString("Task %1").arg(i)}, {"date", "03-10-2031 10:00:00"}});
        FakeDaemon daemon;
        daemon.answer = [starts](QLocalSocket* socket, const QJsonObject& request) {
            if (request.value("op") == "connect")
                QTimer::singleShot(0, socket, [socket, starts] {
                    FakeDaemon::send(socket, {{"cb", "missedStarts"}, {"starts", starts}});
                });
            return wellBehaved(request);
        };
        QVERIFY(daemon.listen());
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        TaskManage::instance()->reConnectXPCServer();
        QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 5000));
        const QStringList lines = ModalAnswers::messages().constLast().split('\n');
        const QStringList listed = lines.mid(lines.indexOf(QString()) + 1);
        QCOMPARE(listed.size(), TaskClientCall::kMaxMissedShown + 1);
        QCOMPARE(listed.at(0), QString("Line one Line two (03-10-2031 10:00:00)"));
        QCOMPARE(listed.at(1), QString("abcgpj.exe (03-10-2031 10:00:00)"));
        QVERIFY(listed.at(2).size() <= kMaxShownName + 30);
        QVERIFY2(listed.last().contains("and 4 more"), qPrintable(listed.last()));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    void answersWithIdsNeverAskedAreIgnored()
    {
        FakeDaemon daemon;
        daemon.answer = [](QLocalSocket* socket, const QJsonObject& request) {
            if (request.value("op") != "getWaitTaskStart")
                return wellBehaved(request);
            for (const QJsonValue bogus : {QJsonValue(1e300), QJsonValue(-5), QJsonValue(0.5),
                                           QJsonValue(request.value("id").toDouble() + 1000), QJsonValue("1")})
                FakeDaemon::send(socket, {{"id", bogus}, {"ok", true}, {"result", false}});
            return QJsonValue(true);
        };
        QVERIFY(daemon.listen());
        TaskClientCall client;
        QVERIFY(client.createConnection() && client.doConnecting());
        QVERIFY(client.getWaitTaskStart());
        QVERIFY(client.isConnecting());
    }

    // A daemon that drops every connection at once is sought again after ever longer pauses.
    void reconnectionBacksOffFromConnectionsDroppedAtOnce()
    {
        // The coordinator's client of the tests before (it seeks a daemon that went away)
        // must not seek this daemon too.
        TaskManage::release();
        FakeDaemon daemon;
        daemon.answer = [](QLocalSocket*, const QJsonObject& request) { return wellBehaved(request); };
        QPointer<QLocalSocket> first;
        bool dropping = false;
        QElapsedTimer clock;
        QList<qint64> arrivals;
        daemon.arrived = [&](QLocalSocket* socket) {
            if (!dropping) {
                first = socket;
                return;
            }
            arrivals << clock.elapsed();
            socket->abort();
        };
        QVERIFY(daemon.listen());
        TaskClientCall client;
        QVERIFY(client.createConnection() && client.doConnecting());
        dropping = true;
        clock.start();
        QVERIFY(first);
        first->abort();
        // Pauses of 250, 500, 1000 and 2000 ms; a timer never ends early by more than 5 %, and
        // the timers and this clock count whole milliseconds.
        QVERIFY(SrTest::spinUntil([&] { return arrivals.size() >= 4; }, 30000));
        QStringList times;
        for (qint64 at : qAsConst(arrivals))
            times << QString::number(at);
        QVERIFY2(arrivals.at(3) - arrivals.at(2) >= 1900 - 2, qPrintable("connections at (ms): " + times.join(", ")));
    }

    // The daemon refuses what it missed while away, then cannot list its tasks: the list stays.
    void refusedReplayWithAnUnreadableListKeepsTheList()
    {
        FakeDaemon daemon;
        int counts = 0;
        daemon.answer = [&](QLocalSocket* socket, const QJsonObject& request) {
            const QString op = request.value("op").toString();
            // The third listing is the one after the refusal.
            if (op == "changeTask" || (op == "getTaskArrayCount" && ++counts == 3))
                return FakeDaemon::refuse(socket, request);
            return op == "getTaskArrayCount" ? QJsonValue(0) : op == "addTask" ? QJsonValue() : wellBehaved(request);
        };
        QVERIFY(daemon.listen());
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        TaskManage::instance()->reConnectXPCServer();
        QVERIFY(TaskManage::instance()->addTaskInfo(TaskInfo{"Mine", true, false, 0, "", RecordInfo()}));
        daemon.dropAll();
        QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 20000));
        QCOMPARE(TaskManage::instance()->getLstTaskInfo().size(), 1);
    }

    // A deletion whose removal was never answered is sent again at each reconnect until the
    // daemon confirms it: the task does not come back from the daemon's list.
    void deletionIsReplayedUntilTheDaemonConfirmsIt()
    {
        FakeDaemon daemon;
        QStringList names{"Gone"};
        int removals = 0;
        daemon.answer = [&](QLocalSocket* socket, const QJsonObject& request) {
            const QString op = request.value("op").toString();
            if (op == "getTaskInfo")
                return QJsonValue(QJsonObject{{"name", names.value(0)}, {"recinfo", "{}"}});
            if (op == "getTaskArrayCount")
                return QJsonValue(names.size());
            if (op != "removeTask")
                return wellBehaved(request);
            ++removals < 3 ? socket->abort() : names.clear(); // the first two are lost before the answer
            return QJsonValue();
        };
        QVERIFY(daemon.listen());
        TaskManage::instance()->reConnectXPCServer();
        TaskManage::instance()->deleteTaskInfo("Gone");
        QVERIFY(SrTest::spinUntil([&] { return names.isEmpty(); }, 20000));
        QVERIFY(TaskManage::instance()->getLstTaskInfo().isEmpty());
    }

    // Deleted while the daemon does not answer, which still lists the task to the application's
    // next run and later fires it: the task is not listed, its removal is asked at each turn
    // until confirmed, and its start records nothing.
    void deletedTaskStaysDeletedAcrossRunsAndNeverRecords()
    {
        FakeDaemon daemon;
        const QString gone = TaskManage::convertRecInfo({TaskManage::RecordVideo, RecordInfo::StopAfterLength,
                                                          QDateTime(), 90, false, 1, 0});
        bool listed = true;
        int removals = 0;
        QPointer<QLocalSocket> latest;
        daemon.arrived = [&](QLocalSocket* socket) { latest = socket; };
        daemon.answer = [&](QLocalSocket*, const QJsonObject& request) {
            const QString op = request.value("op").toString();
            if (op == "getTaskArrayCount")
                return QJsonValue(int(listed));
            if (op == "getTaskInfo")
                return QJsonValue(QJsonObject{{"name", "Gone"}, {"recinfo", gone}});
            if (op != "removeTask")
                return wellBehaved(request);
            if (++removals < 3)
                return QJsonValue(QJsonValue::Undefined); // hung: no answer
            listed = false;
            return QJsonValue();
        };
        QVERIFY(daemon.listen());
        TaskManage::instance()->reConnectXPCServer();
        TaskManage::instance()->deleteTaskInfo("Gone");
        TaskManage::release(); // the application ends before the daemon confirms it
        TaskManage* tasks = TaskManage::instance();
        QSignalSpy starts(tasks, &TaskManage::sigStartRecord);
        tasks->reConnectXPCServer();
        QCOMPARE(removals, 2);
        QVERIFY(tasks->getLstTaskInfo().isEmpty());
        QVERIFY(latest);
        FakeDaemon::send(latest, {{"cb", "sendPerformTaskRecInfo"}, {"recinfo", gone}});
        QVERIFY(SrTest::spinUntil([&] { return !listed; }, 10000));
        QVERIFY(starts.isEmpty()); // a start is handed on before the removal is asked
    }

    // The daemon is gone and its program missing: the user hears why it was not started.
    void lostDaemonThatCannotBeStartedIsTold()
    {
        TaskManage::release(); // its client is not to seek this daemon
        TaskClientCall client;
        QSignalSpy told(&client, &TaskClientCall::sigDaemonNotStarted);
        {
            FakeDaemon daemon;
            daemon.answer = [](QLocalSocket*, const QJsonObject& request) { return wellBehaved(request); };
            QVERIFY(daemon.listen());
            QVERIFY(client.createConnection() && client.doConnecting());
        }
        QVERIFY(SrTest::spinUntil([&] { return !told.isEmpty(); }, 20000));
        QVERIFY(told.at(0).at(0).toString().contains("/nonexistent/screenrecorder-taskd is missing"));
    }

    // A wait keeps timers running, so a call can run inside another one's wait: each gets
    // its own answer (here the inner one first), and a client released inside a wait ends
    // that wait with the empty result.
    void callsMadeInsideAWaitGetTheirOwnAnswers()
    {
        FakeDaemon daemon;
        daemon.answer = [](QLocalSocket* socket, const QJsonObject& request) {
            const QString op = request.value("op").toString();
            if (op == "getWaitTaskStart")
                return QJsonValue(true);
            if (op == "getTaskArrayCount")
                return QJsonValue(0);
            if (op != "getVersion")
                return wellBehaved(request);
            const QJsonValue id = request.value("id");
            QTimer::singleShot(300, socket, [socket, id] {
                FakeDaemon::send(socket, {{"id", id}, {"ok", true}, {"result", taskwire::kVersion}});
            });
            return QJsonValue(QJsonValue::Undefined);
        };
        QVERIFY(daemon.listen());
        TaskClientCall client;
        QVERIFY(client.createConnection() && client.doConnecting());
        bool innerAnswer = false;
        bool innerRan = false;
        QTimer::singleShot(20, &client, [&] {
            innerAnswer = client.getWaitTaskStart();
            innerRan = true;
        });
        QVERIFY(client.checkVersion());
        QVERIFY(innerRan);
        QVERIFY(innerAnswer);

        TaskManage* tasks = TaskManage::instance();
        tasks->reConnectXPCServer();
        bool released = false;
        QTimer::singleShot(20, tasks, [&] {
            tasks->reConnectXPCServer();
            released = true;
        });
        QVERIFY(!tasks->isConnected()); // its client was replaced inside the wait
        QVERIFY(released);
        QVERIFY(tasks->isConnected());
    }
};

SR_TEST(TaskClientTest)
#include "tst_taskclient.moc"
