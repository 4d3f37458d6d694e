// The coordinator against the real task daemon, which the client itself starts (through the
// platform seam, so that the test owns the process) with a private socket, store and log and
// the dry-run power backend.

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/RecordTypes.h"
#include "services/PlatformSeam.h"
#include "tasks/TaskManage.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

namespace {
// Starts the daemon as a child of the test instead of a detached process.
class DaemonSeam : public PlatformSeam {
public:
    bool refuse = false;
    int endingStarts = 0; // the next starts run a program that ends at once
    QProcess process;

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        if (refuse)
            return false;
        stop();
        process.start(endingStarts > 0 ? QStringLiteral("/bin/false") : program, arguments);
        endingStarts = qMax(0, endingStarts - 1);
        return process.waitForStarted();
    }
    void stop()
    {
        process.kill();
        process.waitForFinished();
    }
};

TaskInfo mondayTask(const QString& name)
{
    TaskInfo task{name, true, true, 2, "01-04-2099 08:30:00", RecordInfo()}; // Monday
    task.recinfo = {TaskManage::RecordAudio, RecordInfo::StopAfterLength, QDateTime(QDate(2099, 1, 4), QTime(9, 0)),
                    77, false, 1, RSE_SLEEP};
    return task;
}

int countNamed(const QString& name)
{
    const QList<TaskInfo> tasks = TaskManage::instance()->getLstTaskInfo();
    return int(std::count_if(tasks.begin(), tasks.end(), [&](const TaskInfo& task) { return task.name == name; }));
}
} // namespace

class TaskManageTest : public QObject {
    Q_OBJECT
private:
    DaemonSeam m_seam;
    PlatformSeam* m_pBefore = nullptr;
    QString m_strFolder;

private slots:
    void initTestCase()
    {
        m_pBefore = PlatformSeam::install(&m_seam);
        qputenv("SR_TASKD_SOCKET", QFile::encodeName(SrTest::root() + "/taskd.sock"));
        qunsetenv("SR_TASKD_PROGRAM");
    }

    void cleanupTestCase()
    {
        PlatformSeam::install(m_pBefore);
        qunsetenv("SR_TASKD_SOCKET");
        SrTest::useDryRunTaskDaemon();
    }

    void init()
    {
        static int round = 0;
        m_strFolder = SrTest::newFolder(QString("daemon%1").arg(++round));
        const QString options("--store %1/tasks.json --log %1/taskd.log --power dry-run:%1/power.txt");
        qputenv("SR_TASKD_ARGS", QFile::encodeName(options.arg(m_strFolder)));
        m_seam.refuse = false;
        m_seam.endingStarts = 0;
        ModalAnswers::clear();
        TaskManage::instance()->reConnectXPCServer();
        QVERIFY(TaskManage::instance()->isConnected());
    }

    void cleanup()
    {
        m_seam.stop();
        TaskManage::instance()->m_bTasking = false;
    }

    void addedTaskReadsBackUnchanged()
    {
        TaskManage* tasks = TaskManage::instance();
        const TaskInfo task = mondayTask("Monday");
        tasks->addTaskInfo(task);
        QVERIFY(tasks->isConnected());
        tasks->reConnectXPCServer();
        QCOMPARE(tasks->getLstTaskInfo().size(), 1);
        QVERIFY(tasks->getLstTaskInfo().at(0) == task);
    }

    void replayAddsALostTaskOnceAndNeverTwice()
    {
        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("Kept"));
        QVERIFY(tasks->isConnected());
        tasks->reConnectXPCServer();
        tasks->reReportInfo();
        QCOMPARE(countNamed("Kept"), 1);

        m_seam.stop();
        tasks->addTaskInfo(mondayTask("Lost"));
        tasks->reConnectXPCServer();
        QCOMPARE(countNamed("Lost"), 0);
        tasks->reReportInfo();
        QVERIFY(tasks->isConnected());
        tasks->reConnectXPCServer();
        QCOMPARE(countNamed("Lost"), 1);
        QCOMPARE(countNamed("Kept"), 1);
    }

    // The daemon killed and started again on its socket (as systemd's Restart= does): the
    // coordinator finds it alone, lists its tasks and sends what it missed meanwhile.
    void killedDaemonIsFoundAgainAndGetsWhatItMissed()
    {
        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("Before"));
        tasks->addTaskInfo(mondayTask("Gone"));
        QVERIFY(tasks->isConnected());
        const QString program = m_seam.process.program();
        const QStringList arguments = m_seam.process.arguments();
        m_seam.process.kill();
        QVERIFY(SrTest::spinUntil([tasks] { return !tasks->isConnected(); }, 10000));
        tasks->addTaskInfo(mondayTask("While away"));
        tasks->deleteTaskInfo("Gone");
        QVERIFY(m_seam.startDetached(program, arguments));
        QVERIFY(SrTest::spinUntil([tasks] { return tasks->isConnected(); }, 30000));
        tasks->reConnectXPCServer();
        QStringList names;
        for (const TaskInfo& task : tasks->getLstTaskInfo())
            names << task.name;
        names.sort();
        QCOMPARE(names, (QStringList{"Before", "While away"}));
    }

    // Renamed while the daemon is down, then replayed on a new client as the scheduler page
    // does: the daemon keeps the task under the new name only.
    void renameWhileTheDaemonIsDownIsKeptOnANewClient()
    {
        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("Old"));
        QVERIFY(tasks->isConnected()); // served before it stops
        m_seam.refuse = true; // only the new client brings it back
        m_seam.stop();
        tasks->changeTaskInfo(mondayTask("New"), "Old");
        m_seam.refuse = false;
        tasks->reConnectXPCServer();
        tasks->reReportInfo();
        tasks->reConnectXPCServer();
        QCOMPARE(countNamed("Old"), 0);
        QCOMPARE(countNamed("New"), 1);
    }

    // Killed again within seconds of each restart: the client starts it again every time.
    void daemonKilledSoonAfterEachRestartIsStartedAgain()
    {
        TaskManage* tasks = TaskManage::instance();
        for (int kill = 1; kill <= 3; ++kill) {
            m_seam.stop(); // SIGKILL
            QVERIFY2(SrTest::spinUntil([&] { return m_seam.process.state() == QProcess::Running && tasks->isConnected(); },
                                       60000),
                     qPrintable(QString("no daemon answers after kill %1").arg(kill)));
        }
    }

    void damagedTaskFileIsToldOnceWithWhereItWasKept()
    {
        TaskManage* tasks = TaskManage::instance();
        m_seam.stop();
        QVERIFY(SrTest::writeFile(m_strFolder + "/tasks.json", 100));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        tasks->reConnectXPCServer(); // starts the daemon on the damaged file
        QVERIFY(tasks->isConnected());
        QVERIFY(tasks->getLstTaskInfo().isEmpty());
        const QStringList kept = QDir(m_strFolder).entryList({"tasks.json.damaged-*"});
        QCOMPARE(kept.size(), 1);
        QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 5000));
        QVERIFY2(ModalAnswers::messages().at(0).contains(m_strFolder + "/" + kept.at(0)),
                 qPrintable(ModalAnswers::messages().at(0)));
        // Once: a later connection hears nothing more.
        tasks->reConnectXPCServer();
        QVERIFY(tasks->isConnected());
        QTest::qWait(200);
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    void connectionAtStartUpFollowsWithoutBlockingAndListsTheStoredTasks()
    {
        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("Stored"));
        QVERIFY(tasks->isConnected());
        m_seam.stop();
        tasks->connectXPCServerLater();
        QCOMPARE(countNamed("Stored"), 0); // the daemon just started has not answered yet
        QVERIFY(SrTest::spinUntil([] { return countNamed("Stored") == 1; }, 5000));
        QVERIFY(tasks->isConnected());
    }

    // Not found at start-up, the daemon is sought as a lost one: after two starts that end at
    // once the user is told, once, and the third start brings it back with no restart.
    void daemonNotFoundAtStartUpIsStartedUntilItAnswers()
    {
        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("Stored"));
        QVERIFY(tasks->isConnected()); // served before it stops
        m_seam.stop();
        m_seam.endingStarts = 2;
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        tasks->connectXPCServerLater();
        QVERIFY(SrTest::spinUntil([tasks] { return countNamed("Stored") == 1 && tasks->isConnected(); }, 60000));
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY2(ModalAnswers::messages().at(0).contains("did not answer after 2 starts"),
                 qPrintable(ModalAnswers::messages().at(0)));
    }

    void recinfoTextsAndFreeNames()
    {
        RecordInfo info{TaskManage::RecordAudio, RecordInfo::StopAfterLength,
                        QDateTime(QDate(2026, 12, 5), QTime(19, 47)), 3600, false, 1, RSE_SLEEP};
        const QString golden = "{\n    \"completedtask\": 2,\n    \"date\": \"2026-12-05T19:47:00\",\n"
                               "    \"length\": 3600,\n    \"loop\": false,\n    \"nloop\": 1,\n"
                               "    \"recwhat\": 2,\n    \"stop\": 2\n}\n";
        QCOMPARE(TaskManage::convertRecInfo(info), golden);
        QCOMPARE(TaskManage::parseRecInfo(golden).date, info.date);
        info.date = QDateTime();
        QVERIFY(TaskManage::convertRecInfo(info).contains("\"date\": null"));

        const RecordInfo empty = TaskManage::parseRecInfo("{}");
        QCOMPARE(QList<qint64>({empty.recwhat, empty.stop, empty.length, empty.nloop, empty.completedtask}),
                 QList<qint64>({0, 0, 0, 0, 0}));
        QVERIFY(!empty.date.isValid());
        for (const QString& text : {QString(""), QString("[1,2]")}) {
            const RecordInfo defaults = TaskManage::parseRecInfo(text);
            QCOMPARE(defaults.recwhat, 1);
            QCOMPARE(defaults.length, RecordInfo::kDefaultLength);
            QVERIFY(qAbs(defaults.date.secsTo(QDateTime::currentDateTime())) < 2);
        }

        TaskManage* tasks = TaskManage::instance();
        tasks->addTaskInfo(mondayTask("New task"));
        tasks->addTaskInfo(mondayTask("New task(1)"));
        QCOMPARE(tasks->getNoRepeatName("New task", 0), QString("New task(2)"));
        tasks->deleteTaskInfo("New task");
        QCOMPARE(tasks->getNoRepeatName("New task", 0), QString("New task"));
    }

    void secondDueTaskKeepsTheRunningTasksRecord()
    {
        TaskManage* tasks = TaskManage::instance();
        QSignalSpy starts(tasks, &TaskManage::sigStartRecord);
        const RecordInfo first{TaskManage::RecordAudio, RecordInfo::StopAfterLength, QDateTime(), 100, false, 1, 0};
        const RecordInfo second{TaskManage::RecordVideo, RecordInfo::StopAfterLength, QDateTime(), 10, false, 1, 0};
        tasks->sendPerformTaskRecInfo(TaskManage::convertRecInfo(first));
        tasks->m_bTasking = true; // the main window took the start
        tasks->sendPerformTaskRecInfo(TaskManage::convertRecInfo(second));
        QCOMPARE(starts.count(), 1);
        QCOMPARE(starts.at(0).at(0).toInt(), int(TaskManage::RecordAudio));
        QVERIFY(!tasks->needStopRecord(99));
        QVERIFY(tasks->needStopRecord(100));
    }

    void acceptedSleepReachesThePowerBackendOrTheUserHearsWhyNot()
    {
        TaskManage* tasks = TaskManage::instance();
        ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Accepted));
        tasks->taskCompleted(nullptr, RSE_SLEEP);
        QFile power(m_strFolder + "/power.txt");
        QVERIFY(SrTest::spinUntil([&] { return power.open(QIODevice::ReadOnly); }, 5000));
        QCOMPARE(power.readAll().trimmed(), QByteArray("sleep"));

        m_seam.stop();
        m_seam.refuse = true;
        ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Accepted));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        tasks->taskCompleted(nullptr, RSE_SLEEP);
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().at(0).contains("will not sleep"));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }
};

SR_TEST(TaskManageTest)
#include "tst_taskmanage.moc"
