#include "DaemonHarness.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDir>
#include <QJsonArray>
#include <QLocale>
#include <QTest>
#include <csignal>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QString kMonday = "0,1,0,0,0,0,0";
const QDateTime kFake(QDate(2031, 3, 10), QTime(10, 0)); // a Monday

QString recinfo(int recwhat, const QString& stop = "2031-03-10T11:00:00")
{
    return QString("{\n    \"completedtask\": 0,\n    \"date\": \"%1\",\n    \"length\": 180,\n    \"loop\": false,\n"
                   "    \"nloop\": 1,\n    \"recwhat\": %2,\n    \"stop\": 1\n}\n")
        .arg(stop)
        .arg(recwhat);
}

QJsonObject task(const QString& name, const QDateTime& start, const QString& info, bool repeat = false,
                 const QString& week = kMonday, bool enable = true)
{
    return {{"name", name}, {"enable", enable},           {"repeat", repeat},
            {"week", week}, {"date", taskwire::dateText(start)}, {"recinfo", info}};
}

QStringList names(WireClient& client, int most = 100)
{
    QStringList list;
    for (int i = 0; i < qMin(most, client.result("getTaskArrayCount").toInt()); ++i)
        list << client.result("getTaskInfo", {{"index", i}}).toObject().value("name").toString();
    return list;
}

QString fakeTime(const QDateTime& time) { return QLocale::c().toString(time, "yyyy-MM-ddThh:mm:ss"); }

// A plain connection to `path` that never reads (-1 when it could not be made).
int rawConnection(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    qstrncpy(address.sun_path, name.constData(), sizeof(address.sun_path));
    timeval bound{2, 0}; // a full backlog makes connect wait
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof(bound));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// The other end has closed the connection (nothing is read from it).
bool closedByPeer(int fd)
{
    pollfd watched{fd, POLLRDHUP, 0};
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & (POLLRDHUP | POLLHUP)) != 0;
}

qint64 residentKiB(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// The daemon is started with the usual limit of open files; the test itself needs more.
struct OpenFileLimit {
    explicit OpenFileLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &saved);
        rlimit lowered = saved;
        lowered.rlim_cur = qMin(soft, saved.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &saved); }
    rlimit saved{};
};
constexpr rlim_t kUsualOpenFiles = 1024;
constexpr int kFlood = 2000;
constexpr qint64 kBoundedKiB = 64 * 1024;
} // namespace

class TaskDaemonTest : public QObject {
    Q_OBJECT
private slots:
    void changesSurviveRestartInOrder()
    {
        DaemonRun daemon(SrTest::newFolder("restart"));
        QVERIFY(daemon.start());
        {
            WireClient client(daemon.socket());
            client.send("addTask", task("A", kFake, recinfo(1)));
            client.send("addTask", task("B", kFake, recinfo(2), true, "1,0,0,0,0,0,1"));
            client.send("addTask", task("C", kFake, recinfo(4)));
            QJsonObject renamed = task("B2", kFake.addDays(1), recinfo(2), true, kMonday);
            renamed.insert("oldName", "B");
            client.send("changeTask", renamed);
            client.send("removeTask", {{"name", "A"}});
            client.send("addTask", task("C", kFake, recinfo(1))); // a replay replaces in place
            QJsonObject clash = task("C", kFake, recinfo(1));
            clash.insert("oldName", "B2");
            QCOMPARE(client.call("changeTask", clash).value("ok"), QJsonValue(false));
            QCOMPARE(client.call("getTaskInfo", {{"index", 2}}).value("ok"), QJsonValue(false));
        }
        daemon.stop();
        QVERIFY(daemon.start());
        WireClient client(daemon.socket());
        QCOMPARE(names(client), QStringList({"B2", "C"}));
        const QJsonObject first = client.result("getTaskInfo", {{"index", 0}}).toObject();
        QCOMPARE(first.value("week").toString(), kMonday);
        QCOMPARE(first.value("date").toString(), taskwire::dateText(kFake.addDays(1)));
        QCOMPARE(first.value("recinfo").toString(), recinfo(2));
        QCOMPARE(client.result("getTaskInfo", {{"index", 1}}).toObject().value("recinfo").toString(), recinfo(1));

        QCOMPARE(QProcess::execute(daemon.process.program(), daemon.process.arguments()), 0);
        QCOMPARE(client.result("getTaskArrayCount").toInt(), 2);
    }

    void damagedStoreIsSetAside()
    {
        DaemonRun daemon(SrTest::newFolder("damaged"));
        QVERIFY(SrTest::writeFile(daemon.store(), 100));
        QVERIFY(daemon.start());
        WireClient client(daemon.socket());
        QCOMPARE(client.result("getTaskArrayCount").toInt(), 0);
        const QStringList aside = QDir(daemon.dir).entryList({"tasks.json.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(QFileInfo(daemon.dir + "/" + aside.first()).size(), 100);
    }

    void oneOffFiresOnceAndDisabledNever()
    {
        DaemonRun daemon(SrTest::newFolder("oneoff"));
        QVERIFY(daemon.start({"--fake-time", fakeTime(kFake)}));
        {
            WireClient client(daemon.socket());
            QVERIFY(client.accept());
            client.send("addTask", task("off", kFake.addSecs(2), recinfo(2), false, kMonday, false));
            client.send("addTask", task("once", kFake.addSecs(2), recinfo(1)));
            QVERIFY(SrTest::spinUntil([&] { return !client.callbacks.isEmpty(); }, 4000));
            QTest::qWait(1500);
            QCOMPARE(client.callbacks.size(), 1);
            QCOMPARE(client.callbacks.first().value("recinfo").toString(), recinfo(1));
        }
        daemon.stop();
        QVERIFY(daemon.start({"--fake-time", fakeTime(kFake.addSecs(4))}));
        WireClient client(daemon.socket());
        QVERIFY(client.accept());
        QTest::qWait(1500);
        QVERIFY(client.callbacks.isEmpty());
    }

    void repeatingFiresOnItsDaysWithTheStopMovedThere()
    {
        DaemonRun daemon(SrTest::newFolder("repeat"));
        QVERIFY(daemon.start({"--fake-time", fakeTime(kFake.addSecs(-2))}));
        WireClient client(daemon.socket());
        QVERIFY(client.accept());
        const QDateTime firstDay = kFake.addDays(-14);
        client.send("addTask", task("mon", firstDay, recinfo(1, "2031-02-01T12:30:00"), true, kMonday));
        client.send("addTask", task("tue", firstDay, recinfo(2), true, "0,0,1,0,0,0,0"));
        QVERIFY(client.result("getWaitTaskStart").toBool());
        QTest::qWait(3500);
        QCOMPARE(client.callbacks.size(), 1);
        QCOMPARE(client.callbacks.first().value("recinfo").toString(), recinfo(1, "2031-03-10T12:30:00"));
    }

    void heldStartIsDeliveredWithinGraceElseDropped()
    {
        DaemonRun daemon(SrTest::newFolder("held"));
        QVERIFY(daemon.start({"--fake-time", fakeTime(kFake), "--grace", "2"}));
        WireClient(daemon.socket()).send("addTask", task("held", kFake.addSecs(1), recinfo(1)));
        QVERIFY(SrTest::spinUntil([&] { return daemon.logText().contains("held for"); }, 3000));
        {
            WireClient client(daemon.socket());
            QVERIFY(client.result("getWaitTaskStart").toBool());
            QVERIFY(client.accept());
            QVERIFY(SrTest::spinUntil([&] { return client.callbacks.size() == 1; }, 10000));
        }
        WireClient(daemon.socket()).send("addTask", task("late", kFake.addSecs(4), recinfo(2)));
        QVERIFY(SrTest::spinUntil([&] { return daemon.logText().contains("dropped"); }, 8000));
        // The dropped start is not started late: it is told once, to the next client accepted.
        {
            WireClient client(daemon.socket());
            QVERIFY(client.accept());
            QVERIFY(SrTest::spinUntil([&] { return !client.callbacks.isEmpty(); }, 5000));
            QTest::qWait(1200);
            QCOMPARE(client.callbacks.size(), 1);
            QCOMPARE(client.callbacks[0].value("cb").toString(), QString("missedStarts"));
            const QJsonArray starts = client.callbacks[0].value("starts").toArray();
            QCOMPARE(starts.size(), 1);
            QCOMPARE(starts[0].toObject().value("name").toString(), QString("late"));
            QCOMPARE(starts[0].toObject().value("date").toString(), taskwire::dateText(kFake.addSecs(4)));
        }
        WireClient client(daemon.socket());
        QVERIFY(client.accept());
        QTest::qWait(1200);
        QVERIFY(client.callbacks.isEmpty());
    }

    void powerRequestsReachTheBackend()
    {
        DaemonRun daemon(SrTest::newFolder("power"));
        QVERIFY(daemon.start());
        WireClient client(daemon.socket());
        QVERIFY(client.result("systemShutdown").toBool());
        QVERIFY(client.result("systemSleep").toBool());
        QFile file(daemon.power());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("shutdown\nsleep\n"));
    }

    void badInputGetsAnErrorAndOthersAreServed()
    {
        DaemonRun daemon(SrTest::newFolder("bad"));
        QVERIFY(daemon.start());
        WireClient garbage(daemon.socket()), oversized(daemon.socket()), truncated(daemon.socket());
        garbage.socket.write("not json\n");
        oversized.socket.write(QByteArray(taskwire::kMaxMessageBytes + 10, 'a'));
        truncated.socket.write("{\"op\":\"getVer");
        for (WireClient* client : {&garbage, &oversized, &truncated})
            QVERIFY(SrTest::spinUntil([&] { return !client->replies.isEmpty(); }, 4000));
        QCOMPARE(truncated.replies.first().value("error").toString(), QString("truncated message"));
        for (WireClient* client : {&oversized, &truncated}) {
            QVERIFY(client->replies.first().value("id").isNull());
            QVERIFY(SrTest::spinUntil([&] { return client->socket.state() == QLocalSocket::UnconnectedState; }));
        }
        QCOMPARE(garbage.result("getVersion").toString(), QString("6.0"));
        QCOMPARE(WireClient(daemon.socket()).result("getVersion").toString(), QString("6.0"));
    }

    // More connections than the daemon has file descriptors: it keeps its socket and its
    // connected application.
    void floodOfIdleConnectionsLeavesItServing()
    {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_cur < rlim_t(kFlood + 100))
            QSKIP("this test program may not open enough files");
        DaemonRun daemon(SrTest::newFolder("flood"));
        {
            OpenFileLimit usual(kUsualOpenFiles);
            QVERIFY(daemon.start());
        }
        WireClient app(daemon.socket());
        QVERIFY(app.accept());
        QVector<int> idle;
        for (int i = 0; i < kFlood; ++i)
            idle << rawConnection(daemon.socket());
        QCOMPARE(app.result("getVersion").toString(), QString("6.0"));
        for (int fd : qAsConst(idle))
            if (fd >= 0)
                ::close(fd);
        QVERIFY(SrTest::spinUntil([&] { return WireClient(daemon.socket()).result("getVersion").toString() == "6.0"; }, 10000));
        QVERIFY(daemon.process.state() != QProcess::NotRunning);
    }

    // A client that asks and asks but never reads its answers is dropped before the daemon
    // grows: it stays small and keeps answering the others.
    void clientThatNeverReadsIsDropped()
    {
        DaemonRun daemon(SrTest::newFolder("unread"));
        QVERIFY(daemon.start());
        WireClient app(daemon.socket());
        QVERIFY(app.accept());
        app.send("addTask", task("big", kFake, QString(512 * 1024, 'x')));
        QCOMPARE(app.result("getTaskArrayCount").toInt(), 1);

        const int reader = rawConnection(daemon.socket());
        QVERIFY(reader >= 0);
        const QByteArray ask = taskwire::frame({{"op", "getTaskInfo"}, {"id", 1}, {"index", 0}});
        QByteArray asks;
        for (int i = 0; i < 400; ++i) // 200 MiB of answers
            asks += ask;
        QCOMPARE(::write(reader, asks.constData(), size_t(asks.size())), ssize_t(asks.size()));
        QVERIFY2(SrTest::spinUntil([&] { return closedByPeer(reader); }, 20000),
                 qPrintable(QString("resident: %1 KiB").arg(residentKiB(daemon.process.processId()))));
        ::close(reader);
        QCOMPARE(app.result("getVersion").toString(), QString("6.0"));
        const qint64 resident = residentKiB(daemon.process.processId());
        QVERIFY2(resident > 0 && resident < kBoundedKiB, qPrintable(QString("resident: %1 KiB").arg(resident)));
        QVERIFY(daemon.process.state() != QProcess::NotRunning);
    }

    // Under a supervisor that restarts it on failure, a daemon no client can reach must end
    // with a failure status.
    void lostSocketEndsWithAFailureStatus()
    {
        DaemonRun daemon(SrTest::newFolder("lost"));
        QVERIFY(daemon.start());
        QVERIFY(QFile::remove(daemon.socket()));
        QVERIFY(daemon.process.waitForFinished(10000));
        QCOMPARE(daemon.process.exitStatus(), QProcess::NormalExit);
        QVERIFY(daemon.process.exitCode() != 0);
    }

    void killedWhileWritingKeepsAcknowledgedTasks()
    {
        DaemonRun daemon(SrTest::newFolder("kill"));
        QVERIFY(daemon.start());
        const QString big = recinfo(1) + QString(20000, ' ');
        WireClient client(daemon.socket());
        for (int i = 0; i < 5; ++i)
            client.send("addTask", task(QString("kept%1").arg(i), kFake, big));
        QCOMPARE(client.result("getTaskArrayCount").toInt(), 5);
        for (int round = 0; round < 3; ++round) {
            const qint64 before = QFileInfo(daemon.store()).size();
            WireClient burst(daemon.socket());
            for (int i = 0; i < 300; ++i)
                burst.send("addTask", task(QString("burst%1").arg(i), kFake, big));
            // Killed as soon as the daemon starts to change its file.
            QVERIFY(SrTest::spinUntil([&] { return QFileInfo(daemon.store()).size() != before; }, 5000));
            ::kill(pid_t(daemon.process.processId()), SIGKILL);
            QVERIFY(daemon.process.waitForFinished(5000));
            QVERIFY(daemon.start());
            WireClient after(daemon.socket());
            QCOMPARE(names(after, 5), QStringList({"kept0", "kept1", "kept2", "kept3", "kept4"}));
            QVERIFY(QDir(daemon.dir).entryList({"*.damaged-*"}).isEmpty());
        }
    }
};
SR_TEST(TaskDaemonTest)

#include "tst_taskdaemon.moc"
