// Where the task daemon lives and who else may be there: a runtime folder that is not the
// user's own and closed, another user's links and locks at the names the daemon uses in a
// shared folder, and a second daemon on the task file one already serves.

#include "DaemonHarness.h"
#include "OtherUser.h"
#include "OvFileLock.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

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

// Another process holding the kernel lock on a file of "nobody" at `path` until the test ends.
struct ForeignLock {
    QProcess holder;
    ~ForeignLock() { holder.kill(), holder.waitForFinished(); }
    bool hold(const QString& path)
    {
        holder.start("flock", {path, "sleep", "600"});
        return SrTest::spinUntil([&] { return !OvFileLock(path).tryLock(); }, 10000) && giveToNobody(path);
    }
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

        const QString socket = taskwire::defaultSocketPath();
        QString passedOver;
        taskwire::runtimeFolder(&passedOver);
        QVERIFY2(reason.isEmpty() ? passedOver.isEmpty() : passedOver.contains(folder) && passedOver.contains(reason),
                 qPrintable(passedOver));
        if (reason.isEmpty())
            QCOMPARE(socket, folder + "/screenrecorder-taskd.sock");
        else
            QVERIFY2(!socket.isEmpty() && !socket.startsWith(folder + "/"), qPrintable(socket));
    }

    // Another user's names in a folder open to all, which XDG_RUNTIME_DIR names or the socket
    // is named in: the daemon never writes through a link, and a lock it cannot have ends it
    // with a message instead of a wait for good. Started on its default socket, it serves in a
    // folder of the user's own.
    void foreignNamesInASharedFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("runtime folder with a pid link and a held lock") << "runtime";
        QTest::newRow("link at the pid file") << "pid link";
        QTest::newRow("link at the lock") << "lock link";
        QTest::newRow("lock held by another") << "lock held";
    }
    void foreignNamesInASharedFolder()
    {
        QFETCH(QString, kind);
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        const bool runtime = kind == "runtime";
        const QString shared = sharedFolder("shared-" + QString(kind).replace(' ', '-'));
        const QString named = shared + (runtime ? "/screenrecorder-taskd.sock" : "/taskd.sock");
        if (runtime)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared));
        const QString socket = runtime ? taskwire::defaultSocketPath() : named;
        QVERIFY2(!socket.isEmpty() && (socket == named) != runtime, qPrintable(socket));
        ForeignLock lock;
        if (runtime || kind == "lock held")
            QVERIFY(lock.hold(named + ".lock"));
        QString userFile;
        if (kind != "lock held")
            QVERIFY(!(userFile = userFileLinkedFrom(named + (kind == "lock link" ? ".lock" : ".pid"))).isEmpty());

        DaemonRun daemon(SrTest::newFolder("foreign-names-daemon"));
        daemon.process.setProcessChannelMode(QProcess::MergedChannels);
        daemon.launch(argumentsOn(daemon, runtime ? QString() : socket, daemon.store()));
        const bool serves = servesOrEnds(daemon, socket);
        const QString log = daemon.logText();
        if (runtime || kind == "pid link") {
            QVERIFY2(serves, qPrintable(log));
            // The pid file is written before the first request is read.
            QCOMPARE(WireClient(socket).result("getVersion").toString(), QString(taskwire::kVersion));
            QVERIFY2(!runtime || log.contains(shared + " (XDG_RUNTIME_DIR) is not used"), qPrintable(log));
        } else {
            QVERIFY(!serves);
            QCOMPARE(daemon.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(daemon.process.exitCode(), 1);
            const QString said = QString::fromLocal8Bit(daemon.process.readAll());
            const QString why = kind == "lock held" ? "another process has held it" : "is a symbolic link";
            QVERIFY2(said.contains(socket + ".lock") && said.contains(why), qPrintable(said));
            QVERIFY2(log.contains(why), qPrintable(log));
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
        QStringList acknowledged{"a1", "a2"};
        if (serves && WireClient(second.socket()).call("addTask", task("b1")).value("ok").toBool())
            acknowledged << "b1";
        QVERIFY(a.call("addTask", task("a2")).value("ok").toBool());
        for (const QString& name : qAsConst(acknowledged))
            QVERIFY2(bytesOf(first.store()).contains('"' + name.toUtf8() + '"'), qPrintable(name + " lost"));

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
