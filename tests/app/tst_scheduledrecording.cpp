// Recordings that end by themselves: the test runs this program again as the application
// (its static start-up calls main_entry, as the host executable does) beside a real task
// daemon with a dry-run power backend. Nothing is clicked after the record button: a timed
// recording stops, is saved and runs its finishing countdown to the application's exit; a
// scheduled task starts, stops and saves its recording alone. The test then checks, from the
// outside, the exit status, the saved file and its history entry.

#include "TaskWire.h"
#include "ChildApplication.h"
#include "FindChild.h"
#include "TaskDaemonRun.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "OvModalHook.h"
#include "OvSettings.h"
#include "app/MainEntry.h"
#include "core/RecordParameter.h"
#include "output/DlgVideoClip.h"
#include "output/HistoryFileUtils.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "tasks/DlgAutoShutdownTips.h"
#include "tasks/TaskManage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <optional>
#include <QTest>
#include <QTimer>
#include <cstdlib>

namespace {
const char* const kChildMode = "SR_SCHEDULED_CHILD";   // "timed" or "task": run as the application
const char* const kChildReport = "SR_SCHEDULED_REPORT"; // where the driver writes what it saw
const int kCountdownTickMs = 20;
const int kTimedSeconds = 2;
const int kTaskSeconds = 3;
const int kTaskDueInSeconds = 3;
const int kWatchdogMs = 120000;

QAbstractButton* button(const QString& name) { return SrTest::widgetNamed<QAbstractButton>(name, true); }

VideoRecCtlWdg* controlBar() { return SrTest::topLevel<VideoRecCtlWdg>(); }

// Waits, as a modal loop would, for a dialog that ends by itself.
bool waitForEnd(QDialog* dialog)
{
    bool ended = false;
    const auto watch = QObject::connect(dialog, &QDialog::finished, [&ended] { ended = true; });
    const bool done = SrTest::spinUntil([&ended] { return ended; }, 60000);
    QObject::disconnect(watch);
    return done;
}

// The driver inside the application process: starts the recording (a timed one with the
// record button, a task through the coordinator) and then only watches and answers.
class Driver : public QObject {
public:
    explicit Driver(const QString& mode)
        : m_bTask(mode == QLatin1String("task"))
    {
        DlgAutoShutdownTips::setTickIntervalForTests(kCountdownTickMs);
        m_watchdog.start();
        connect(&m_tick, &QTimer::timeout, this, &Driver::step);
        connect(qApp, &QCoreApplication::aboutToQuit, this, &Driver::writeReport);
        m_tick.start(100);
    }

    QVariant answer(const OvModalRequest& request)
    {
        if (request.kind == OvModalRequest::Dialog && request.className == QLatin1String("DlgHotKeyMessage"))
            return QVariant(int(QDialog::Accepted));
        auto* dialog = qobject_cast<QDialog*>(request.widget);
        if (dialog && (request.className == QLatin1String("DlgVideoClip")
                       || request.className == QLatin1String("DlgAutoShutdownTips"))) {
            const QString key = request.className;
            if (!waitForEnd(dialog))
                m_report[QStringLiteral("error")] = key + QStringLiteral(" did not end by itself");
            m_report[key] = dialog->result();
            if (auto* count = dialog->findChild<QLabel*>(QStringLiteral("lblCountTips")))
                m_report[QStringLiteral("lastCount")] = count->text();
            return QVariant();
        }
        m_questions.append(QStringLiteral("%1 %2 %3").arg(int(request.kind)).arg(request.className, request.text));
        return request.kind == OvModalRequest::MessageBox ? QVariant(int(0x400000)) : QVariant();
    }

private:
    enum State { WaitMainWindow, WaitRecording, Recording, Done };

    void step()
    {
        if (m_watchdog.elapsed() > kWatchdogMs) {
            m_report[QStringLiteral("error")] = QStringLiteral("timed out in state %1").arg(int(m_state));
            QCoreApplication::exit(3);
            return;
        }
        switch (m_state) {
        case WaitMainWindow: {
            QAbstractButton* fullScreen = button(QStringLiteral("btnFullScreen"));
            QAbstractButton* rec = button(QStringLiteral("btnRec"));
            if (!fullScreen || !rec)
                return;
            m_state = WaitRecording;
            fullScreen->click();
            if (m_bTask)
                addTask();
            else
                rec->click();
            break;
        }
        case WaitRecording:
            if (controlBar() && controlBar()->isRecording()) {
                m_state = Recording;
                m_report[QStringLiteral("tasking")] = TaskManage::instance()->m_bTasking;
            }
            break;
        case Recording:
            if (controlBar())
                return;
            m_state = Done;
            // A task ends here; a timed recording goes on to its countdown and the exit.
            if (m_bTask)
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            break;
        case Done: break;
        }
    }

    void addTask()
    {
        TaskManage* tasks = TaskManage::instance();
        if (!tasks->isConnected()) {
            m_report[QStringLiteral("error")] = QStringLiteral("the task daemon is not connected");
            QCoreApplication::exit(3);
            return;
        }
        TaskInfo task;
        task.name = QStringLiteral("Scheduled by the test");
        task.enable = true;
        task.date = taskwire::dateText(QDateTime::currentDateTime().addSecs(kTaskDueInSeconds));
        task.recinfo.recwhat = TaskManage::RecordVideo;
        task.recinfo.stop = RecordInfo::StopAfterLength;
        task.recinfo.length = kTaskSeconds;
        tasks->addTaskInfo(task);
    }

    void writeReport()
    {
        m_tick.stop();
        m_report[QStringLiteral("questions")] = QJsonArray::fromStringList(m_questions);
        QFile file(qEnvironmentVariable(kChildReport));
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(m_report).toJson());
    }

    bool m_bTask = false;
    State m_state = WaitMainWindow;
    QTimer m_tick;
    QElapsedTimer m_watchdog;
    QJsonObject m_report;
    QStringList m_questions;
};

Driver* g_driver = nullptr;

void createDriver() { g_driver = new Driver(qEnvironmentVariable(kChildMode)); }

// Run as the application: main_entry with the driver, then leave with its exit status.
const int g_childExit = SrTest::runChildApplication(kChildMode, createDriver, [](const OvModalRequest& request) {
    return g_driver ? g_driver->answer(request) : QVariant();
});
} // namespace

class ScheduledRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void timedRecordingEndsInCountdownAndExit();
    void dueTaskRecordsAndSavesWithoutAClick();

private:
    // Runs the application in `mode`; its exit status, and the driver's report in `report`.
    int runApplication(const QString& mode, QJsonObject* report);
    // The one file saved, checked for its length and its history entry; empty on failure.
    QString checkSaved(double seconds);

    QString m_strOut;
    QString m_strWork;
    std::optional<SrTest::TaskDaemonRun> m_daemon;
};

void ScheduledRecordingTest::init()
{
    m_strWork = SrTest::newFolder(QStringLiteral("scheduled_%1").arg(QTest::currentTestFunction()));
    m_strOut = SrTest::newFolder(QStringLiteral("scheduled_out_%1").arg(QTest::currentTestFunction()));
    Utils::setVideoOutputPath(m_strOut);
    RecordParameter::instance()->setCountDown(false);
    // Every power request ends in a file: nothing here may switch the machine off.
    m_daemon.emplace(m_strWork);
    m_daemon->process.setProcessChannelMode(QProcess::ForwardedChannels);
    QVERIFY(m_daemon->start({}, 10000));
}

void ScheduledRecordingTest::cleanup()
{
    const QString power = m_daemon->power();
    m_daemon.reset();
    QVERIFY(!QFile::exists(power));
}

int ScheduledRecordingTest::runApplication(const QString& mode, QJsonObject* report)
{
    const QString reportPath = m_strWork + QStringLiteral("/report.json");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMode), mode);
    env.insert(QString::fromLatin1(kChildReport), reportPath);
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("SR_TASKD_SOCKET"), m_daemon->socket());
    env.insert(QStringLiteral("SR_TASKD_ARGS"), QStringLiteral("--power dry-run:") + m_daemon->power());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    const bool finished = child.waitForFinished(180000) && child.exitStatus() == QProcess::NormalExit;
    if (!finished)
        child.kill();
    QFile file(reportPath);
    if (file.open(QIODevice::ReadOnly))
        *report = QJsonDocument::fromJson(file.readAll()).object();
    const bool clean = finished && child.exitCode() == 0 && !report->contains(QStringLiteral("error"))
                       && report->value(QStringLiteral("questions")).toArray().isEmpty();
    if (!clean)
        qWarning().noquote() << QJsonDocument(*report).toJson() << child.readAll().right(6000);
    return finished ? child.exitCode() : -1;
}

QString ScheduledRecordingTest::checkSaved(double seconds)
{
    const QStringList files = SrTest::filesIn(m_strOut);
    if (files.size() != 1) {
        qWarning() << "saved files:" << files;
        return QString();
    }
    const QString saved = m_strOut + QLatin1Char('/') + files[0];
    const double length = Utils::getMediaDuration(saved);
    if (qAbs(length - seconds) > 0.6) {
        qWarning() << "length" << length;
        return QString();
    }
    OvSettings::instance()->reload();
    const QList<HistoryFileUtils::HistoryFile> history = HistoryFileUtils::savefileHistroy();
    return !history.isEmpty() && history[0].path == saved ? saved : QString();
}

void ScheduledRecordingTest::timedRecordingEndsInCountdownAndExit()
{
    RecordParameter* param = RecordParameter::instance();
    param->setTimerDuration(kTimedSeconds);
    param->setTimerRepeat(false);
    param->setTimerStopEvent(RSE_EXIT);
    param->setTimerEnable(true);
    QJsonObject report;
    QCOMPARE(runApplication(QStringLiteral("timed"), &report), 0);
    QVERIFY(!report.contains(QStringLiteral("error")));
    QVERIFY(report.value(QStringLiteral("questions")).toArray().isEmpty());
    QCOMPARE(report.value(QStringLiteral("DlgVideoClip")).toInt(-1), int(QDialog::Accepted));
    QCOMPARE(report.value(QStringLiteral("DlgAutoShutdownTips")).toInt(-1), int(QDialog::Accepted));
    QCOMPARE(report.value(QStringLiteral("lastCount")).toString(), QStringLiteral("0s"));
    QVERIFY(!checkSaved(kTimedSeconds).isEmpty());
    // A timed stop that does not repeat ends with its recording.
    QVERIFY(!param->timerEnable());
}

void ScheduledRecordingTest::dueTaskRecordsAndSavesWithoutAClick()
{
    RecordParameter::instance()->setTimerEnable(false);
    QJsonObject report;
    QCOMPARE(runApplication(QStringLiteral("task"), &report), 0);
    QVERIFY(!report.contains(QStringLiteral("error")));
    QVERIFY(report.value(QStringLiteral("questions")).toArray().isEmpty());
    QVERIFY(report.value(QStringLiteral("tasking")).toBool());
    QCOMPARE(report.value(QStringLiteral("DlgVideoClip")).toInt(-1), int(QDialog::Accepted));
    // A task with nothing to do once finished shows no countdown.
    QVERIFY(!report.contains(QStringLiteral("DlgAutoShutdownTips")));
    QVERIFY(!checkSaved(kTaskSeconds).isEmpty());
}

SR_TEST_DISPLAY(ScheduledRecordingTest)
#include "tst_scheduledrecording.moc"
