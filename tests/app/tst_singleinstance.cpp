// One running instance: the real program started twice as child processes, after a crash
// that left the shared segment and the stored process id behind, two starts at once after
// such a crash, and a stored process id that now belongs to another program.

#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/SingleInstance.h"
#include "services/OSServiceUtils.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSharedMemory>
#include <QTest>

namespace {
qint64 storedPid()
{
    OvSettings::instance()->reload();
    return OvSettings::instance()->applicationParam(QStringLiteral("pid"), 0).toLongLong();
}

// Starts the application (the host executable) without a display of its own and with
// nobody to answer its questions.
void startApp(QProcess& process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
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

    // The segment itself names its owner too: a setting that does not (yet) name the running
    // instance does not let a second one in.
    OvSettings::instance()->setApplicationParam(QStringLiteral("pid"), 0);
    QProcess third;
    startApp(third);
    QVERIFY(third.waitForFinished(60000));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(third.readAllStandardError().contains("Screen Recorder is running"));
    stop(first);
}

void SingleInstanceTest::startAfterCrashIsNotBlocked()
{
    QProcess crashed;
    startApp(crashed);
    QVERIFY(waitUntilRunning(crashed));
    const qint64 crashedPid = crashed.processId();
    stop(crashed); // SIGKILL: the segment and "pid" stay behind
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
        stop(running); // SIGKILL: the segment, the lock file and "pid" stay behind for the next round
    }
}

void SingleInstanceTest::storedIdOfAnotherProgramDoesNotBlock()
{
    // A process id is reused: the stored one now belongs to an unrelated, live program.
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(other.waitForStarted(5000));
    // Of this test process alone: a segment name is shared by the whole machine.
    const QString key = QStringLiteral("sr-test-instance-%1").arg(QCoreApplication::applicationPid());
    QSharedMemory leftOver(key); // a segment that exists
    QVERIFY(leftOver.create(1024));
    OvSettings::instance()->setApplicationParam(QStringLiteral("pid"), other.processId());
    QVERIFY(!OSServiceUtils::isOtherInstanceAlive(other.processId()));
    QVERIFY(!OSServiceUtils::isOtherInstanceAlive(QCoreApplication::applicationPid()));

    SingleInstance instance(key);
    QCOMPARE(instance.acquire(), SingleInstance::Acquired);
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

SR_TEST(SingleInstanceTest)
#include "tst_singleinstance.moc"
