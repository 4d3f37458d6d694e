// Where the task daemon lives and who else may be there: the runtime folder, another user's
// links and locks in a shared folder, and a second daemon on a task file one already serves.

#include "DaemonHarness.h"
#include "OtherUser.h"
#include "OvFileLock.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QTest>

#include <sys/stat.h>

namespace {
// How long a daemon may take to serve or to give up with a message, on a busy machine.
constexpr int kBoundMs = 30000;
// The exit status of a daemon whose task file another daemon serves.
constexpr int kTaskFileServed = 3;
const QByteArray kPrecious = "the user's own words\n";

bool giveToNobody(const QString& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody && ::lchown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

// A new file of the user's, and a link of "nobody" at `linkPath` leading to it; the file's path.
QString userFileLinkedFrom(const QString& linkPath)
{
    QFile file(SrTest::root() + "/mine-" + QFileInfo(linkPath).fileName());
    if (!file.open(QIODevice::WriteOnly) || file.write(kPrecious) != kPrecious.size() || !file.flush())
        return QString();
    return QFile::link(file.fileName(), linkPath) && giveToNobody(linkPath) ? file.fileName() : QString();
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
        for (const char* kind : {"open to all", "another user's", "a link", "own and closed"})
            QTest::newRow(kind) << QString(kind);
    }
    void runtimeFolderCountsOnlyWhenOwnAndClosed()
    {
        QFETCH(QString, kind);
        if (kind == "another user's" && !OtherUser::available())
            QSKIP("giving a folder to another user needs root");
        QString folder = SrTest::newFolder("runtime-" + QString(kind).replace(' ', '-'));
        ::chmod(QFile::encodeName(folder).constData(), kind == "open to all" ? 01777 : 0700);
        if (kind == "another user's")
            QVERIFY(giveToNobody(folder));
        if (kind == "a link" && QFile::link(folder, folder + "-link"))
            folder += "-link";
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
        const QString socket = taskwire::defaultSocketPath();
        QVERIFY2(!socket.isEmpty() && socket.startsWith(folder + "/") == (kind == "own and closed"), qPrintable(socket));
    }

    // Another user's names in a folder open to all: the daemon never writes through a link,
    // and a lock it cannot have ends it with a message instead of a wait for good.
    void foreignNamesInASharedFolder_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"runtime folder", "link at the pid file", "link at the lock", "lock held"})
            QTest::newRow(kind) << QString(kind);
    }
    void foreignNamesInASharedFolder()
    {
        QFETCH(QString, kind);
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        const QString shared = SrTest::newFolder("shared-" + QString(kind).replace(' ', '-'));
        ::chmod(QFile::encodeName(shared).constData(), 01777);
        QVERIFY(giveToNobody(shared));
        QString socket = shared + "/taskd.sock";
        QString userFile;
        if (kind.startsWith("link"))
            QVERIFY(!(userFile = userFileLinkedFrom(socket + (kind.endsWith("lock") ? ".lock" : ".pid"))).isEmpty());
        OvFileLock held(kind == "lock held" ? socket + ".lock" : QString()); // this process is another to the daemon
        if (kind == "lock held")
            QVERIFY(held.tryLock() && giveToNobody(socket + ".lock"));
        DaemonRun daemon(SrTest::newFolder("daemon-" + QString(kind).replace(' ', '-')));
        QStringList arguments = daemon.options();
        if (kind == "runtime folder") {
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared));
            socket = taskwire::defaultSocketPath();
        } else {
            arguments << "--socket" << socket;
        }
        daemon.process.setProcessChannelMode(QProcess::MergedChannels);
        const bool serves = daemon.launch(arguments, socket, kBoundMs);
        const QString log = daemon.logText();
        if (kind == "link at the lock" || kind == "lock held") {
            QVERIFY(!serves);
            QCOMPARE(daemon.process.exitCode(), 1);
            const QString said = QString::fromLocal8Bit(daemon.process.readAll());
            const QString why = kind == "lock held" ? "another process has held it" : "is a symbolic link";
            QVERIFY2(said.contains(socket + ".lock") && said.contains(why) && log.contains(why), qPrintable(said + log));
        } else {
            QVERIFY2(serves, qPrintable(log));
            // The pid file is written before the first request is read.
            QCOMPARE(WireClient(socket).result("getVersion").toString(), QString(taskwire::kVersion));
            QVERIFY2(kind != "runtime folder" || log.contains(shared + " (XDG_RUNTIME_DIR) is not used"), qPrintable(log));
        }
        QFile mine(userFile);
        if (mine.open(QIODevice::ReadOnly))
            QCOMPARE(mine.readAll(), kPrecious);
    }

    // One task file has one daemon, and the application reaches it whatever socket it serves;
    // a second daemon on that file refuses and names the one that serves it.
    void oneDaemonServesTheTaskFileAndIsFound()
    {
        const QString store = taskwire::defaultTaskFilePath();
        DaemonRun serving(SrTest::newFolder("serving-daemon"));
        QVERIFY2(serving.start({"--store", store}, kBoundMs), qPrintable(serving.logText())); // the last --store counts
        QCOMPARE(taskwire::clientSocketPath(), serving.socket());

        DaemonRun second(SrTest::newFolder("second-daemon"));
        QVERIFY(!second.launch(second.options() + QStringList{"--store", store}, taskwire::defaultSocketPath(), kBoundMs));
        QCOMPARE(second.process.exitCode(), kTaskFileServed);
        QVERIFY2(second.logText().contains(store) && second.logText().contains(serving.socket()),
                 qPrintable(second.logText()));

        serving.stop();
        QCOMPARE(taskwire::clientSocketPath(), taskwire::defaultSocketPath());
    }
};
SR_TEST(TaskDaemonPlaceTest)

#include "tst_taskdaemonplace.moc"
