// Where the task daemon lives and who else may be there: a runtime folder that is not the
// user's own and closed, another user's links and locks at the names the daemon uses in a
// shared folder, and a second daemon on the task file one already serves.

#include "DaemonHarness.h"
#include "OtherUser.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <sys/file.h>
#include <sys/stat.h>

namespace {
// How long a daemon may take to serve or to give up with a message, on a busy machine.
constexpr int kBoundMs = 30000;
// The exit status of a daemon whose task file another daemon serves.
constexpr int kTaskFileServed = 3;
const QByteArray kPrecious = "the user's own words\n";

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool giveToNobody(const QString& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody && ::lchown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

// A folder every user may write in (mode 1777, as /tmp), owned by "nobody".
QString sharedFolder(const QString& name)
{
    const QString folder = SrTest::newFolder(name);
    ::chmod(QFile::encodeName(folder).constData(), 01777);
    giveToNobody(folder);
    return folder;
}

// A file of the user's, and a link of "nobody" at `linkPath` leading to it.
QString userFileLinkedFrom(const QString& linkPath)
{
    const QString file = SrTest::newFolder("mine") + "/notes.txt";
    QFile made(file);
    if (!made.open(QIODevice::WriteOnly) || made.write(kPrecious) != kPrecious.size())
        return QString();
    made.close();
    return QFile::link(file, linkPath) && giveToNobody(linkPath) ? file : QString();
}

// Another process, become "nobody", holding the kernel lock on a file of its own at `path`
// until the test ends.
class ForeignLock {
public:
    ~ForeignLock()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool hold(const QString& path)
    {
        const passwd* nobody = ::getpwnam("nobody");
        int ready[2];
        if (!nobody || ::pipe(ready) != 0)
            return false;
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        const QByteArray name = QFile::encodeName(path);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            const int fd = ::open(name.constData(), O_RDWR | O_CREAT, 0644);
            if (fd < 0 || ::fchown(fd, uid, gid) != 0 || ::flock(fd, LOCK_EX) != 0 || !OtherUser::becomeNobody(uid, gid))
                ::_exit(1);
            [[maybe_unused]] const ssize_t told = ::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        pollfd watched{ready[0], POLLIN, 0};
        char byte = 0;
        const bool held = m_pid > 0 && ::poll(&watched, 1, 10000) == 1 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        return held;
    }

private:
    pid_t m_pid = -1;
};

// Waits until the daemon serves `socket` or has ended; true when it serves.
bool servesOrEnds(DaemonRun& daemon, const QString& socket)
{
    SrTest::spinUntil([&] { return DaemonRun::answers(socket) || daemon.process.state() == QProcess::NotRunning; },
                      kBoundMs);
    return DaemonRun::answers(socket);
}

QJsonObject task(const QString& name)
{
    return {{"name", name},  {"enable", true}, {"repeat", false}, {"week", "0,1,0,0,0,0,0"},
            {"date", "03-10-2031 10:00:00"}, {"recinfo", "{}"}};
}

QStringList storedNames(const QString& store)
{
    QStringList names;
    for (const QJsonValue& value : QJsonDocument::fromJson(bytesOf(store)).object().value("tasks").toArray())
        names << value.toObject().value("name").toString();
    return names;
}

// The daemon's arguments with its own socket, log and power file, on `store`.
QStringList argumentsOn(const DaemonRun& daemon, const QString& socket, const QString& store)
{
    QStringList arguments{"--store", store, "--log", daemon.log(), "--power", "dry-run:" + daemon.power()};
    if (!socket.isEmpty())
        arguments << "--socket" << socket;
    return arguments;
}
} // namespace

class TaskDaemonPlaceTest : public QObject {
    Q_OBJECT
    QByteArray m_runtime;

private slots:
    void initTestCase() { m_runtime = qgetenv("XDG_RUNTIME_DIR"); }
    void cleanup() { qputenv("XDG_RUNTIME_DIR", m_runtime); }

    void runtimeFolderCountsOnlyWhenOwnAndClosed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("open to all, as /tmp") << "shared" << "is open to other users (mode 1777)";
        QTest::newRow("another user's") << "foreign" << "belongs to another user";
        QTest::newRow("a link to a folder of the user's") << "link" << "is a symbolic link";
        QTest::newRow("the user's own, closed") << "own" << QString();
    }
    void runtimeFolderCountsOnlyWhenOwnAndClosed()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == "foreign" && !OtherUser::available())
            QSKIP("giving a folder to another user needs root");
        QString folder = SrTest::newFolder("runtime-" + kind);
        ::chmod(QFile::encodeName(folder).constData(), kind == "shared" ? 01777 : 0700);
        if (kind == "foreign")
            QVERIFY(giveToNobody(folder));
        if (kind == "link") {
            const QString link = SrTest::root() + "/link-to-runtime";
            QFile::remove(link);
            QCOMPARE(::symlink(QFile::encodeName(folder).constData(), QFile::encodeName(link).constData()), 0);
            folder = link;
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));

        QString why;
        const QString socket = taskwire::defaultSocketPath(&why);
        QVERIFY2(!socket.isEmpty(), qPrintable(why));
        QString passedOver;
        taskwire::runtimeFolder(&passedOver);
        if (reason.isEmpty()) {
            QCOMPARE(socket, folder + "/screenrecorder-taskd.sock");
            QVERIFY(passedOver.isEmpty());
        } else {
            QVERIFY2(!socket.startsWith(folder + "/"), qPrintable(socket));
            QVERIFY2(passedOver.contains(folder) && passedOver.contains(reason), qPrintable(passedOver));
        }
    }

    // The daemon started where XDG_RUNTIME_DIR is a folder open to all: another user's link
    // at its pid file and lock at its socket's lock there change nothing of the user's and
    // hold nothing up: it serves in a folder of the user's own.
    void sharedRuntimeFolderIsPassedOver()
    {
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        const QString shared = sharedFolder("shared-runtime");
        const QString userFile = userFileLinkedFrom(shared + "/screenrecorder-taskd.sock.pid");
        QVERIFY(!userFile.isEmpty());
        ForeignLock lock;
        QVERIFY(lock.hold(shared + "/screenrecorder-taskd.sock.lock"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared));
        const QString expected = taskwire::defaultSocketPath();
        QVERIFY2(!expected.isEmpty() && !expected.startsWith(shared), qPrintable(expected));

        DaemonRun daemon(SrTest::newFolder("shared-runtime-daemon"));
        daemon.launch(argumentsOn(daemon, QString(), daemon.store()));
        QVERIFY2(servesOrEnds(daemon, expected), qPrintable(daemon.logText()));
        QCOMPARE(WireClient(expected).result("getVersion").toString(), QString(taskwire::kVersion));
        QCOMPARE(bytesOf(userFile), kPrecious);
        QVERIFY2(daemon.logText().contains(shared + " (XDG_RUNTIME_DIR) is not used"), qPrintable(daemon.logText()));
    }

    // A socket named in a shared folder: the daemon never writes through another user's link,
    // and a lock it cannot have ends it with a message instead of a wait for good.
    void foreignNamesBesideTheSocket_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link at the pid file") << "pid link";
        QTest::newRow("link at the lock") << "lock link";
        QTest::newRow("lock held by another user") << "lock held";
    }
    void foreignNamesBesideTheSocket()
    {
        QFETCH(QString, kind);
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        const QString socket = sharedFolder("shared-" + QString(kind).replace(' ', '-')) + "/taskd.sock";
        QString userFile;
        ForeignLock lock;
        if (kind == "lock held")
            QVERIFY(lock.hold(socket + ".lock"));
        else
            QVERIFY(!(userFile = userFileLinkedFrom(socket + (kind == "pid link" ? ".pid" : ".lock"))).isEmpty());

        DaemonRun daemon(SrTest::newFolder("foreign-names-daemon"));
        daemon.process.setProcessChannelMode(QProcess::MergedChannels);
        daemon.launch(argumentsOn(daemon, socket, daemon.store()));
        const bool serves = servesOrEnds(daemon, socket);
        if (kind == "pid link") {
            QVERIFY2(serves, qPrintable(daemon.logText()));
            // The pid file is written before the first request is read.
            QCOMPARE(WireClient(socket).result("getVersion").toString(), QString(taskwire::kVersion));
        } else {
            QVERIFY(!serves);
            QCOMPARE(daemon.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(daemon.process.exitCode(), 1);
            const QString said = QString::fromLocal8Bit(daemon.process.readAll());
            const QString why = kind == "lock held" ? "another process has held it" : "is a symbolic link";
            QVERIFY2(said.contains(socket + ".lock") && said.contains(why), qPrintable(said));
            QVERIFY2(daemon.logText().contains(why), qPrintable(daemon.logText()));
        }
        if (!userFile.isEmpty())
            QCOMPARE(bytesOf(userFile), kPrecious);
    }

    // Two daemons on one task file each rewrite it from their own list: the second refuses,
    // and every task a client was told is written stays in the file.
    void secondDaemonOnOneTaskFileRefuses()
    {
        DaemonRun first(SrTest::newFolder("first-daemon"));
        QVERIFY(first.start());
        WireClient a(first.socket());
        QVERIFY(a.call("addTask", task("a1")).value("ok").toBool());

        DaemonRun second(SrTest::newFolder("second-daemon"));
        second.launch(argumentsOn(second, second.socket(), first.store()));
        const bool serves = servesOrEnds(second, second.socket());
        QStringList acknowledged{"a1"};
        if (serves) {
            WireClient b(second.socket());
            if (b.call("addTask", task("b1")).value("ok").toBool())
                acknowledged << "b1";
        }
        QVERIFY(a.call("addTask", task("a2")).value("ok").toBool());
        acknowledged << "a2";
        for (const QString& name : qAsConst(acknowledged))
            QVERIFY2(storedNames(first.store()).contains(name), qPrintable(name + " lost"));

        QVERIFY(!serves);
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), kTaskFileServed);
        const QString log = second.logText();
        QVERIFY2(log.contains(first.store()) && log.contains(first.socket()), qPrintable(log));
        // The first one goes on serving.
        QCOMPARE(a.result("getTaskArrayCount").toInt(), 2);
    }

    // The application reaches the daemon serving the user's task file, whatever socket that
    // daemon was started on; a daemon started on the default socket from another environment
    // refuses.
    void clientFindsTheDaemonServingTheTaskFile()
    {
        const QString store = taskwire::defaultTaskFilePath();
        DaemonRun serving(SrTest::newFolder("serving-daemon"));
        serving.launch(argumentsOn(serving, serving.socket(), store));
        QVERIFY2(servesOrEnds(serving, serving.socket()), qPrintable(serving.logText()));
        QCOMPARE(taskwire::clientSocketPath(), serving.socket());

        DaemonRun other(SrTest::newFolder("default-socket-daemon"));
        other.launch(argumentsOn(other, QString(), store));
        QVERIFY(!servesOrEnds(other, taskwire::defaultSocketPath()));
        QCOMPARE(other.process.exitCode(), kTaskFileServed);

        serving.stop();
        QCOMPARE(taskwire::clientSocketPath(), taskwire::defaultSocketPath());
    }
};
SR_TEST(TaskDaemonPlaceTest)

#include "tst_taskdaemonplace.moc"
