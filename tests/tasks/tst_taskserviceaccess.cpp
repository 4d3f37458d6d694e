// Who may reach the task service: without a runtime folder the application's client and the
// real daemon meet in a private folder of the user's own (in the cache folder when the one in
// the temporary folder is unsafe); a program of another user at either end of the socket is
// refused; Uninstall stops the daemon of its socket and no other process.

#include "OtherUser.h"
#include "TaskDaemonRun.h"
#include "TaskWire.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "services/OSServiceUtils.h"
#include "tasks/TaskClientCall.h"
#include "tasks/TaskManage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QString daemonProgram() { return QCoreApplication::applicationDirPath() + "/screenrecorder-taskd"; }

QString privateFolder() { return QDir::tempPath() + "/screenrecorder-" + QString::number(::geteuid()); }

QString privateSocket() { return privateFolder() + "/screenrecorder-taskd.sock"; }

QString cacheFolder() { return qEnvironmentVariable("XDG_CACHE_HOME") + "/screenrecorder-" + QString::number(::geteuid()); }

bool answers(const QString& socket)
{
    QLocalSocket probe;
    probe.connectToServer(socket);
    return probe.waitForConnected(1000);
}

// The daemon on its default socket, with its files in `folder`.
void startOnDefaultSocket(QProcess& daemon, const QString& folder)
{
    daemon.start(daemonProgram(), SrTest::TaskDaemonRun(folder).options());
}

// A client of the application that finds the daemon once it listens.
bool connectWhenServed(TaskClientCall& client)
{
    return SrTest::spinUntil([&] { return client.createConnection(); }, 10000) && client.doConnecting();
}

QString uidOfNobody() { return QString::number(::getpwnam("nobody")->pw_uid); }
} // namespace

class TaskServiceAccessTest : public QObject {
    Q_OBJECT
    QByteArray m_runtime;
    QByteArray m_program;
    QByteArray m_path;
    QByteArray m_cache;

private slots:
    void initTestCase()
    {
        m_runtime = qgetenv("XDG_RUNTIME_DIR");
        m_program = qgetenv("SR_TASKD_PROGRAM");
        m_path = qgetenv("PATH");
        m_cache = qgetenv("XDG_CACHE_HOME");
        // The client may not start daemons of its own here, and the coordinator's client of
        // earlier tests may not seek one at the socket these tests use.
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
        qputenv("SR_TASKD_SOCKET", QFile::encodeName(SrTest::root() + "/nothing.sock"));
        TaskManage::instance()->reConnectXPCServer();
        qunsetenv("SR_TASKD_SOCKET");
        qunsetenv("XDG_RUNTIME_DIR");
        // No systemd user instance: the scripts leave the machine's services alone.
        const QString bin = SrTest::newFolder("no-systemctl");
        QFile systemctl(bin + "/systemctl");
        QVERIFY(systemctl.open(QIODevice::WriteOnly));
        systemctl.write("#!/bin/sh\nexit 1\n");
        systemctl.close();
        systemctl.setPermissions(systemctl.permissions() | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
    }
    void cleanupTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", m_runtime);
        qputenv("SR_TASKD_PROGRAM", m_program);
        qputenv("PATH", m_path);
        qunsetenv("SR_TASKD_SOCKET");
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/ScreenRecorder/taskd-uninstalled");
    }
    void init()
    {
        qputenv("XDG_CACHE_HOME", m_cache);
        QDir(cacheFolder()).removeRecursively();
        if (QFileInfo(privateFolder()).isSymLink())
            QFile::remove(privateFolder());
        else
            QDir(privateFolder()).removeRecursively();
    }

    void clientAndDaemonMeetInAPrivateFolder()
    {
        QString why;
        QCOMPARE(taskwire::defaultSocketPath(&why), privateSocket());
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(privateFolder()).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, ::geteuid());
        QCOMPARE(info.st_mode & 07777, mode_t(0700));

        // A stale plain file at the socket path does not keep the daemon from serving.
        QFile stale(privateSocket());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QProcess daemon;
        startOnDefaultSocket(daemon, SrTest::newFolder("private-daemon"));
        TaskClientCall client;
        QVERIFY(connectWhenServed(client));
        QVERIFY(client.checkVersion());
        QVERIFY(daemon.state() != QProcess::NotRunning);
        daemon.terminate();
        QVERIFY(daemon.waitForFinished(10000));
        QCOMPARE(daemon.exitCode(), 0);
    }

    void unsafeTemporaryFolderIsPassedOverForTheCacheFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a symbolic link") << "link" << "is a symbolic link";
        QTest::newRow("open to others") << "mode" << "is open to other users (mode 755)";
        QTest::newRow("another user's") << "owner" << "belongs to another user";
    }
    void unsafeTemporaryFolderIsPassedOverForTheCacheFolder()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString elsewhere = SrTest::newFolder("elsewhere");
        const QByteArray folder = QFile::encodeName(privateFolder());
        if (kind == "link") {
            QVERIFY(QFile::link(elsewhere, privateFolder()));
        } else {
            QCOMPARE(::mkdir(folder.constData(), 0700), 0);
            if (kind == "mode")
                QCOMPARE(::chmod(folder.constData(), 0755), 0);
            else if (!OtherUser::available())
                QSKIP("giving a folder to another user needs root");
            else
                QCOMPARE(::chown(folder.constData(), ::getpwnam("nobody")->pw_uid, ::getpwnam("nobody")->pw_gid), 0);
        }
        QString why;
        QCOMPARE(taskwire::defaultSocketPath(nullptr, &why), cacheFolder() + "/screenrecorder-taskd.sock");
        QVERIFY2(why.contains(privateFolder()) && why.contains(reason), qPrintable(why));
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(cacheFolder()).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700);

        // The daemon serves there, and the client reaches it.
        QProcess daemon;
        startOnDefaultSocket(daemon, SrTest::newFolder("fallback-daemon"));
        TaskClientCall client;
        QVERIFY(connectWhenServed(client));
        QVERIFY(client.checkVersion());
        daemon.terminate();
        QVERIFY(daemon.waitForFinished(10000));
        QVERIFY(QDir(elsewhere).isEmpty());
        QFileInfo(privateFolder()).isSymLink() ? QFile::remove(privateFolder()) : QDir(privateFolder()).removeRecursively();
    }

    // No safe place whose path a socket can take: the daemon will not serve and says why; the
    // client tells the user.
    void noSafePlaceIsRefusedWithItsReasons_data()
    {
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cache folder open to others") << QString() << "is open to other users (mode 755)";
        QTest::newRow("cache path too long") << QString(80, 'c') << "longer than the 107 bytes";
    }
    void noSafePlaceIsRefusedWithItsReasons()
    {
        QFETCH(QString, cache);
        QFETCH(QString, reason);
        QVERIFY(QFile::link(SrTest::newFolder("elsewhere"), privateFolder()));
        if (cache.isEmpty())
            QVERIFY(QDir().mkpath(cacheFolder()) && ::chmod(QFile::encodeName(cacheFolder()).constData(), 0755) == 0);
        else
            qputenv("XDG_CACHE_HOME", QFile::encodeName(SrTest::root() + "/" + cache));
        QString why;
        QVERIFY(taskwire::defaultSocketPath(&why).isEmpty());
        QVERIFY2(why.contains("is a symbolic link") && why.contains(reason), qPrintable(why));
        QProcess daemon;
        startOnDefaultSocket(daemon, SrTest::newFolder("refusing-daemon"));
        QVERIFY(daemon.waitForFinished(10000));
        QVERIFY(daemon.exitCode() != 0);
        QVERIFY2(QString::fromLocal8Bit(daemon.readAllStandardError()).contains(reason), qPrintable(why));
        TaskClientCall client;
        QSignalSpy broken(&client, &TaskClientCall::sigDaemonBroken);
        QVERIFY(!client.createConnection());
        QCOMPARE(broken.count(), 1);
        QVERIFY(broken.at(0).at(0).toString().contains(reason));
    }

    // Another user's program at the socket is never spoken to, its task start never runs,
    // the daemon does not take over the socket, and Uninstall reports that it stopped nothing.
    void serverOfAnotherUserIsRefused()
    {
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        QString why;
        const QString path = taskwire::defaultSocketPath(&why);
        QVERIFY2(!path.isEmpty(), qPrintable(why));
        OtherUser::Server server;
        QVERIFY(server.start(path));
        TaskClientCall client;
        QSignalSpy broken(&client, &TaskClientCall::sigDaemonBroken);
        QSignalSpy started(&client, &TaskClientCall::sigPerformTaskRecInfo);
        QVERIFY(!client.createConnection());
        QVERIFY(!client.doConnecting());
        QCOMPARE(broken.count(), 1);
        QVERIFY2(broken.at(0).at(0).toString().contains("uid " + uidOfNobody()), qPrintable(broken.at(0).at(0).toString()));
        QTest::qWait(300);
        QCOMPARE(started.count(), 0);
        QCOMPARE(server.received(), QByteArray());

        QProcess daemon;
        startOnDefaultSocket(daemon, SrTest::newFolder("displaced-daemon"));
        QVERIFY(daemon.waitForFinished(10000));
        QVERIFY(daemon.exitCode() != 0);

        qputenv("SR_TASKD_PROGRAM", QFile::encodeName(daemonProgram()));
        QString message;
        const int status = OSServiceUtils::UserExecute(SrTest::newFolder("uninstall-foreign"), 0, false, &message);
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
        QCOMPARE(status, 1);
        QVERIFY2(message.contains("was not stopped") && message.contains("uid " + uidOfNobody()), qPrintable(message));
        QVERIFY(answers(path));
    }

    void clientOfAnotherUserIsRefused()
    {
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        // A socket "nobody" can reach: only the daemon's own check stands in the way.
        QTemporaryDir open(QStringLiteral("/tmp/srtest-open-XXXXXX"));
        QVERIFY(open.isValid());
        QCOMPARE(::chmod(QFile::encodeName(open.path()).constData(), 0711), 0);
        SrTest::TaskDaemonRun daemon(open.path());
        QVERIFY(daemon.start());
        QCOMPARE(::chmod(QFile::encodeName(daemon.socket()).constData(), 0777), 0);
        QCOMPARE(OtherUser::askVersion(daemon.socket()), OtherUser::Outcome::Refused);
        QVERIFY(daemon.logText().contains("connection refused: it runs as another user (uid " + uidOfNobody()));
        // Still there and serving (its process may not have been told "started" yet on a busy machine).
        QVERIFY(daemon.process.state() != QProcess::NotRunning);
        QVERIFY(answers(daemon.socket()));
    }

    // The daemon runs from a program file that an upgrade has replaced since, and the process
    // id file beside its socket names another daemon of the user: Uninstall stops the one
    // that serves its socket, and the other one keeps answering.
    void uninstallStopsItsOwnDaemonOnly()
    {
        const QString bin = SrTest::newFolder("installed");
        const QString installed = bin + "/screenrecorder-taskd";
        QVERIFY(QFile::copy(daemonProgram(), installed));
        SrTest::TaskDaemonRun mine(SrTest::newFolder("mine"));
        SrTest::TaskDaemonRun other(SrTest::newFolder("other"));
        mine.process.start(installed, QStringList{"--socket", mine.socket()} + mine.options());
        QVERIFY(SrTest::spinUntil([&] { return answers(mine.socket()) && QFile::exists(mine.socket() + ".pid"); }, 10000));
        QVERIFY(other.start());
        QVERIFY(QFile::copy(daemonProgram(), installed + ".new"));
        QCOMPARE(::rename(QFile::encodeName(installed + ".new").constData(), QFile::encodeName(installed).constData()), 0);
        QFile pid(mine.socket() + ".pid");
        QVERIFY(pid.open(QIODevice::WriteOnly | QIODevice::Truncate));
        pid.write(QByteArray::number(other.process.processId()) + '\n');
        pid.close();

        qputenv("SR_TASKD_SOCKET", QFile::encodeName(mine.socket()));
        qputenv("SR_TASKD_PROGRAM", QFile::encodeName(installed));
        QString message;
        const int status = OSServiceUtils::UserExecute(SrTest::newFolder("uninstall"), 0, false, &message);
        qunsetenv("SR_TASKD_SOCKET");
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
        QVERIFY2(status == 0, qPrintable(message));
        QVERIFY(mine.process.waitForFinished(10000));
        QVERIFY(!answers(mine.socket()));
        QVERIFY(other.process.state() != QProcess::NotRunning);
        QVERIFY(answers(other.socket()));
    }
};

SR_TEST(TaskServiceAccessTest)
#include "tst_taskserviceaccess.moc"
