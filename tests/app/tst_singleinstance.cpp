// One running instance: the real program started twice as child processes, after a crash
// that left the lock file and the stored process id behind, two starts at once after such a
// crash, a stored process id that now belongs to another program, and System V objects that
// another user made under the name the instance's shared memory segment once had. A start
// without a runtime folder meets the same lock.

#include "OtherUser.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/SingleInstance.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>

namespace {
qint64 storedPid()
{
    OvSettings::instance()->reload();
    return OvSettings::instance()->applicationParam(QStringLiteral("pid"), 0).toLongLong();
}

// Starts the application (the host executable) without a display of its own and with
// nobody to answer its questions; without XDG_RUNTIME_DIR, as from a terminal, when asked.
void startApp(QProcess& process, bool withoutRuntimeFolder = false)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (withoutRuntimeFolder)
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ScreenRecorder"), QStringList());
}

// Waits until `process` has taken the instance (its id is stored).
bool waitUntilRunning(QProcess& process)
{
    if (!process.waitForStarted(10000))
        return false;
    return SrTest::spinUntil([&process] { return storedPid() == process.processId(); }, 30000);
}

// The System V semaphore set and segment that Qt's shared memory named `key` finds through
// its key files ("<temporary folder>/qipc_systemsem_" or "qipc_sharedmemory_", the key's
// letters and its SHA-1), all made first by "nobody": open to all, the semaphore at 0.
// Removed with the test, whatever its end.
struct ForeignObjects {
    key_t keys[2] = {-1, -1};
    ~ForeignObjects()
    {
        ::semctl(::semget(keys[0], 0, 0), 0, IPC_RMID);
        ::shmctl(::shmget(keys[1], 0, 0), IPC_RMID, nullptr);
    }
    bool make(const QString& key)
    {
        const passwd* nobody = ::getpwnam("nobody");
        const QString name = QString(key).remove(QRegularExpression("[^a-zA-Z]"))
                             + QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
        for (int i : {0, 1}) {
            const QByteArray file = QFile::encodeName(QDir::tempPath() + (i ? "/qipc_sharedmemory_" : "/qipc_systemsem_") + name);
            QFile made(file);
            if (!made.open(QIODevice::WriteOnly) || ::chown(file.constData(), nobody->pw_uid, 0) != 0)
                return false;
            keys[i] = ::ftok(file.constData(), 'Q');
        }
        const pid_t child = ::fork();
        if (child == 0) {
            const int set = OtherUser::becomeNobody(nobody->pw_uid, nobody->pw_gid) ? ::semget(keys[0], 1, IPC_CREAT | 0666) : -1;
            ::_exit(set >= 0 && ::semctl(set, 0, SETVAL, 0) == 0 && ::shmget(keys[1], 1024, IPC_CREAT | 0666) >= 0 ? 0 : 1);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

void stop(QProcess& process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
    }
}
} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondStartReportsRunningAndLeaves();
    void startWithoutRuntimeFolderMeetsTheSameLock();
    void startAfterCrashIsNotBlocked();
    void simultaneousStartsAfterCrashBringUpOne();
    void storedIdOfAnotherProgramDoesNotBlock();
    void qtNoiseIsFiltered();
};

void SingleInstanceTest::secondStartReportsRunningAndLeaves()
{
    QProcess first;
    startApp(first);
    QVERIFY2(waitUntilRunning(first), first.readAllStandardError().constData());

    QProcess second;
    startApp(second);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(second.readAllStandardError().contains("Screen Recorder is running"), "no \"is running\" message");
    // The first instance goes on and stays the registered one.
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(storedPid(), first.processId());

    // The lock file itself names its holder too: a setting that does not (yet) name the
    // running instance does not let a second one in.
    OvSettings::instance()->setApplicationParam(QStringLiteral("pid"), 0);
    QProcess third;
    startApp(third);
    QVERIFY(third.waitForFinished(60000));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(third.readAllStandardError().contains("Screen Recorder is running"));
    stop(first);
}

void SingleInstanceTest::startWithoutRuntimeFolderMeetsTheSameLock()
{
    QProcess first;
    startApp(first);
    QVERIFY2(waitUntilRunning(first), first.readAllStandardError().constData());
    QProcess second;
    startApp(second, true);
    const bool left = second.waitForFinished(60000);
    stop(second);
    stop(first);
    QVERIFY(left && second.readAllStandardError().contains("Screen Recorder is running"));
}

void SingleInstanceTest::startAfterCrashIsNotBlocked()
{
    QProcess crashed;
    startApp(crashed);
    QVERIFY(waitUntilRunning(crashed));
    const qint64 crashedPid = crashed.processId();
    stop(crashed); // SIGKILL: the lock file and "pid" stay behind
    QCOMPARE(storedPid(), crashedPid);

    QProcess next;
    startApp(next);
    QVERIFY2(waitUntilRunning(next), next.readAllStandardError().constData());
    QTest::qWait(500);
    QCOMPARE(next.state(), QProcess::Running);
    QVERIFY(!next.readAllStandardError().contains("is running"));

    // And the new one is the instance a further start finds.
    QProcess third;
    startApp(third);
    QVERIFY(third.waitForFinished(60000));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(third.readAllStandardError().contains("Screen Recorder is running"));
    stop(next);
}

void SingleInstanceTest::simultaneousStartsAfterCrashBringUpOne()
{
    constexpr int kRounds = 100;
    for (int round = 0; round < kRounds; ++round) {
        QProcess a;
        QProcess b;
        startApp(a);
        startApp(b);
        QVERIFY(a.waitForStarted(10000) && b.waitForStarted(10000));
        // One leaves at once, reporting the other; two that both stay would never get here.
        QVERIFY2(SrTest::spinUntil([&] { return a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning; },
                                   30000),
                 qPrintable(QStringLiteral("round %1: both started").arg(round)));
        QProcess& left = a.state() == QProcess::NotRunning ? a : b;
        QProcess& running = &left == &a ? b : a;
        QVERIFY2(left.readAllStandardError().contains("Screen Recorder is running"), qPrintable(QString::number(round)));
        QVERIFY2(waitUntilRunning(running), qPrintable(QStringLiteral("round %1: none started").arg(round)));
        stop(running); // SIGKILL: the lock file and "pid" stay behind for the next round
    }
}

void SingleInstanceTest::storedIdOfAnotherProgramDoesNotBlock()
{
    // A process id is reused: the stored one now belongs to an unrelated, live program.
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(other.waitForStarted(5000));
    // No lock can be had (a folder has the lock file's name): the stored id decides.
    const QString key = QStringLiteral("sr-test-instance");
    QVERIFY(QDir().mkpath(Utils::getAppDataLocation() + "/" + key + ".lock"));
    OvSettings::instance()->setApplicationParam(QStringLiteral("pid"), other.processId());
    QVERIFY(!OSServiceUtils::isOtherInstanceAlive(other.processId()));
    QVERIFY(!OSServiceUtils::isOtherInstanceAlive(QCoreApplication::applicationPid()));

    SingleInstance instance(key);
    QCOMPARE(instance.acquire(), SingleInstance::Failed);
    QCOMPARE(storedPid(), QCoreApplication::applicationPid());
    other.kill();
    other.waitForFinished(5000);
}

void SingleInstanceTest::qtNoiseIsFiltered()
{
    QVERIFY(MainEntry::isFilteredMessage(QStringLiteral("libpng warning: iCCP: known incorrect sRGB profile")));
    QVERIFY(MainEntry::isFilteredMessage(QStringLiteral("Unknown property columns")));
    QVERIFY(!MainEntry::isFilteredMessage(QStringLiteral("QWidget::paintEngine: Should no longer be called")));
}

// On the real display: the application's window is what the user waits for.
class ForeignInstanceObjectsTest : public QObject {
    Q_OBJECT
private slots:
    void anotherUsersObjectsDoNotHoldTheStart()
    {
        if (!OtherUser::available())
            QSKIP("playing another user needs root");
        ForeignObjects objects; // under the name the instance's segment had
        QVERIFY(objects.make(OvProductInfo::instance()->productNativeName()));

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
        app.setProcessEnvironment(env);
        app.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ScreenRecorder"), QStringList());
        QVERIFY(app.waitForStarted(10000));
        const QStringList search{"search", "--onlyvisible", "--pid", QString::number(app.processId())};
        const bool shown = SrTest::spinUntil([&] { return SrTest::run("xdotool", search, 10000); }, 60000);
        stop(app);
        QVERIFY2(shown, "no window within a minute");
    }
};

SR_TEST(SingleInstanceTest)
SR_TEST_DISPLAY(ForeignInstanceObjectsTest)
#include "tst_singleinstance.moc"
