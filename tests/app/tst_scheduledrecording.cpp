// Recordings that end by themselves: the test runs this program again as the application
// (its static start-up calls main_entry, as the host executable does) beside a real task
// daemon with a dry-run power backend. Nothing is clicked after the record button: a timed
// recording stops, is saved and runs its finishing countdown to the application's exit; a
// recording with a record length stops when it is that long; a scheduled task starts, stops
// and saves its recording alone. The test then checks, from the
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
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "output/DlgVideoClip.h"
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
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLocalSocket>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QProcess>
#include <optional>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

namespace {
const char* const kChildMode = "SR_SCHEDULED_CHILD";   // "timed", "length", "task", ...: run as the application
const char* const kChildReport = "SR_SCHEDULED_REPORT"; // where the driver writes what it saw
// The "restart" mode's hand-over files beside the report: the application is up, and the
// test has killed and restarted the daemon.
const char kUpFile[] = ".up";
const char kRestartedFile[] = ".restarted";
const int kCountdownTickMs = 20;
const int kTimedSeconds = 2;
const int kTaskSeconds = 3;
const int kTaskDueInSeconds = 3;
const int kTaskDueAfterRestartSeconds = 5;
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
        , m_bRestart(mode == QLatin1String("restart"))
        , m_bMissed(mode == QLatin1String("missed"))
        , m_bLength(mode == QLatin1String("length"))
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
        if (request.kind == OvModalRequest::Dialog && request.className == QLatin1String("dlgTaskScheduler"))
            return makeTaskInScheduler(request.widget);
        if (request.kind == OvModalRequest::InputDialog && m_state == InScheduler)
            return request.value; // the proposed name
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
    enum State { WaitMainWindow, WaitReconnect, InScheduler, WaitRecording, Recording, Done };

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
            if (m_bMissed) {
                m_state = Done;
                // The dropped start is told in a message: end once it was asked.
                QTimer::singleShot(0, this, [this] { waitForQuestionThenExit(); });
            } else if (m_bRestart) {
                m_state = WaitReconnect;
                touch(kUpFile);
            } else if (m_bTask) {
                addTask();
            } else {
                rec->click();
            }
            break;
        }
        case WaitReconnect:
            // Nothing here reconnects: the client finds the restarted daemon by itself.
            if (!QFile::exists(reportPath() + QLatin1String(kRestartedFile)) || !TaskManage::instance()->isConnected())
                return;
            m_state = InScheduler;
            m_report[QStringLiteral("reconnected")] = true;
            if (QAbstractButton* tasks = button(QStringLiteral("btnTasks")))
                QTimer::singleShot(0, tasks, &QAbstractButton::click);
            break;
        case InScheduler:
            break;
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
            // A task or a record length ends here; a timed recording goes on to its countdown
            // and the exit.
            if (m_bTask || m_bRestart || m_bLength)
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

    static QString reportPath() { return qEnvironmentVariable(kChildReport); }
    static void touch(const char* suffix)
    {
        QFile file(reportPath() + QLatin1String(suffix));
        file.open(QIODevice::WriteOnly);
    }

    void waitForQuestionThenExit()
    {
        SrTest::spinUntil([this] { return !m_questions.isEmpty(); }, 60000);
        QCoreApplication::exit(0);
    }

    // The scheduler window as a user fills it: "Add" with the proposed name, a start a few
    // seconds ahead, a three-second video, OK, and the window closed.
    QVariant makeTaskInScheduler(QWidget* dialog)
    {
        if (SrTest::child<QStackedWidget>(dialog, "stackedWidget")->currentWidget()->objectName()
            != QLatin1String("pageAdd")) {
            m_report[QStringLiteral("error")] = QStringLiteral("the scheduler did not open on its Add page");
            return QVariant(int(QDialog::Rejected));
        }
        SrTest::child<QToolButton>(dialog, "btnAdd")->click();
        SrTest::child<QComboBox>(dialog, "cmbRecSet")->setCurrentIndex(0);
        SrTest::child<QDateTimeEdit>(dialog, "dtEdtStartTime")
            ->setDateTime(QDateTime::currentDateTime().addSecs(kTaskDueAfterRestartSeconds));
        SrTest::child<QRadioButton>(dialog, "rdbDuration")->click();
        SrTest::child<QTimeEdit>(dialog, "dtEdtStopDuraion")->setTime(QTime(0, 0).addSecs(kTaskSeconds));
        SrTest::child<QPushButton>(dialog, "btnOK")->click();
        m_report[QStringLiteral("tasks")] = TaskManage::instance()->getLstTaskInfo().size();
        m_state = WaitRecording;
        return QVariant(int(QDialog::Accepted));
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
    bool m_bRestart = false;
    bool m_bMissed = false;
    bool m_bLength = false;
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
    void recordLengthIsTheFilesLength_data();
    void recordLengthIsTheFilesLength();
    void dueTaskRecordsAndSavesWithoutAClick();
    void killedDaemonIsFoundAgainAndItsTaskRecordsWithoutAClick();
    void startDroppedWithoutTheApplicationIsToldAtItsNextStart();

private:
    // Runs the application in `mode`; its exit status, and the driver's report in `report`.
    // `meanwhile` runs while the application does.
    int runApplication(const QString& mode, QJsonObject* report, const std::function<void()>& meanwhile = {},
                       const QStringList& extraEnvironment = {});
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
    RecordParameter::instance()->setRecordLength(false, 0);
    RecordParameter::instance()->setAutoSave(false);
    const QString power = m_daemon->power();
    m_daemon.reset();
    QVERIFY(!QFile::exists(power));
}

int ScheduledRecordingTest::runApplication(const QString& mode, QJsonObject* report,
                                           const std::function<void()>& meanwhile, const QStringList& extraEnvironment)
{
    const QString reportPath = m_strWork + QStringLiteral("/report.json");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMode), mode);
    env.insert(QString::fromLatin1(kChildReport), reportPath);
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("SR_TASKD_SOCKET"), m_daemon->socket());
    env.insert(QStringLiteral("SR_TASKD_ARGS"), QStringLiteral("--power dry-run:") + m_daemon->power());
    for (const QString& variable : extraEnvironment)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    if (meanwhile)
        meanwhile();
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
    // A recording set to a length lasts that long.
    constexpr double kWithin = 0.2;
    const double length = Utils::getMediaDuration(saved);
    if (qAbs(length - seconds) > kWithin) {
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

void ScheduledRecordingTest::recordLengthIsTheFilesLength_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("countdown");
    QTest::newRow("5 s") << 5 << false;
    QTest::newRow("5 s after the countdown") << 5 << true;
    QTest::newRow("8 s") << 8 << false;
    QTest::newRow("8 s after the countdown") << 8 << true;
}

void ScheduledRecordingTest::recordLengthIsTheFilesLength()
{
    QFETCH(int, seconds);
    QFETCH(bool, countdown);
    RecordParameter* param = RecordParameter::instance();
    param->setTimerEnable(false);
    param->setRecordLength(true, seconds);
    param->setCountDown(countdown);
    param->setAutoSave(true); // saved without the preview, so that nothing needs a click
    QJsonObject report;
    QCOMPARE(runApplication(QStringLiteral("length"), &report), 0);
    QCOMPARE(report.value(QStringLiteral("DlgVideoClip")).toInt(-1), int(QDialog::Accepted));
    QVERIFY(!checkSaved(seconds).isEmpty());
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

void ScheduledRecordingTest::killedDaemonIsFoundAgainAndItsTaskRecordsWithoutAClick()
{
    RecordParameter::instance()->setTimerEnable(false);
    const QString reportPath = m_strWork + QStringLiteral("/report.json");
    QJsonObject report;
    const auto restartDaemon = [&] {
        QVERIFY(SrTest::spinUntil([&] { return QFile::exists(reportPath + QLatin1String(kUpFile)); }, 120000));
        m_daemon->process.kill(); // SIGKILL: no goodbye on the socket
        QVERIFY(m_daemon->process.waitForFinished(10000));
        QVERIFY(m_daemon->start({}, 30000));
        QFile restarted(reportPath + QLatin1String(kRestartedFile));
        QVERIFY(restarted.open(QIODevice::WriteOnly));
    };
    // Only the test's daemon serves: the application must not start one of its own.
    QCOMPARE(runApplication(QStringLiteral("restart"), &report, restartDaemon,
                            {QStringLiteral("SR_TASKD_PROGRAM=/nonexistent/screenrecorder-taskd")}),
             0);
    QVERIFY(!report.contains(QStringLiteral("error")));
    QVERIFY(report.value(QStringLiteral("questions")).toArray().isEmpty());
    QVERIFY(report.value(QStringLiteral("reconnected")).toBool());
    QCOMPARE(report.value(QStringLiteral("tasks")).toInt(), 1);
    QVERIFY(report.value(QStringLiteral("tasking")).toBool());
    QCOMPARE(report.value(QStringLiteral("DlgVideoClip")).toInt(-1), int(QDialog::Accepted));
    QVERIFY(!checkSaved(kTaskSeconds).isEmpty());
    QVERIFY(m_daemon->logText().contains(QStringLiteral("fired")));
}

void ScheduledRecordingTest::startDroppedWithoutTheApplicationIsToldAtItsNextStart()
{
    RecordParameter::instance()->setTimerEnable(false);
    const QString name = QStringLiteral("Nobody was there");
    m_daemon->stop();
    QVERIFY(m_daemon->start({QStringLiteral("--grace"), QStringLiteral("1")}, 30000));
    {
        QLocalSocket wire;
        wire.connectToServer(m_daemon->socket());
        QVERIFY(wire.waitForConnected(5000));
        RecordInfo info;
        info.recwhat = TaskManage::RecordVideo;
        const QJsonObject task{{"op", "addTask"}, {"name", name}, {"enable", true}, {"repeat", false},
                               {"week", taskwire::weekToText(0)},
                               {"date", taskwire::dateText(QDateTime::currentDateTime().addSecs(1))},
                               {"recinfo", TaskManage::convertRecInfo(info)}};
        wire.write(taskwire::frame(task));
        QVERIFY(wire.waitForBytesWritten(5000));
    }
    QVERIFY(SrTest::spinUntil([&] { return m_daemon->logText().contains(QStringLiteral("dropped")); }, 30000));
    QJsonObject report;
    QCOMPARE(runApplication(QStringLiteral("missed"), &report), 0);
    const QJsonArray questions = report.value(QStringLiteral("questions")).toArray();
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions.at(0).toString().contains(name), qPrintable(questions.at(0).toString()));
    QVERIFY(SrTest::filesIn(m_strOut).isEmpty());
}

SR_TEST_DISPLAY(ScheduledRecordingTest)
#include "tst_scheduledrecording.moc"
