// The scheduler window against the real task daemon (a private socket, store and log, and
// the dry-run power backend): what it shows, what reaches the daemon, and what the user's
// answers to its questions do.

#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvResourceMgr.h"
#include "SizeLimitedProcess.h"
#include "TaskDaemonRun.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "tasks/FfTaskItemWidget.h"
#include "tasks/TaskManage.h"
#include "tasks/dlgTaskScheduler.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

namespace {
const int kDaemonStartMs = 10000;

QString page(QWidget& dialog) { return SrTest::child<QStackedWidget>(&dialog, "stackedWidget")->currentWidget()->objectName(); }

QString storedNameOf(QWidget& dialog, int index)
{
    return SrTest::child<QListWidget>(&dialog, "taskList")->item(index)->data(Qt::UserRole).toString();
}

FfTaskItemWidget* row(QWidget& dialog, int index)
{
    auto* list = SrTest::child<QListWidget>(&dialog, "taskList");
    return qobject_cast<FfTaskItemWidget*>(list->itemWidget(list->item(index)));
}

// The daemon's list: a round trip on the old connection first, so that the requests sent
// on it (they have no reply) have been served.
QStringList daemonNames()
{
    TaskManage* manage = TaskManage::instance();
    if (!manage->isConnected())
        return {QStringLiteral("<not connected>")};
    manage->reConnectXPCServer();
    QStringList names;
    for (const TaskInfo& task : manage->getLstTaskInfo())
        names << task.name;
    return names;
}

// A stand-in "systemctl" first on PATH: it writes each call to $SR_FAKE_SYSTEMCTL_LOG and
// fails the subcommand named in $SR_FAKE_SYSTEMCTL_FAIL with a reason on stderr.
QString installFakeSystemctl(const QString& folder)
{
    const QString path = folder + "/systemctl";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n"
               "echo \"$*\" >>\"$SR_FAKE_SYSTEMCTL_LOG\"\n"
               "if [ -n \"${SR_FAKE_SYSTEMCTL_FAIL:-}\" ] && [ \"$2\" = \"$SR_FAKE_SYSTEMCTL_FAIL\" ]; then\n"
               "  echo \"Failed to $2 unit: Access denied\" >&2\n"
               "  exit 1\n"
               "fi\n");
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(folder) + ':' + qgetenv("PATH"));
    return folder + "/calls.txt";
}

QString textOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool answers(const QString& socket)
{
    QLocalSocket probe;
    probe.connectToServer(socket);
    return probe.waitForConnected(1000);
}

// The page of the daemon's state, once the script and the check after it have ended.
QString connectPageAfterScript(QWidget& dialog)
{
    auto* pages = SrTest::child<QStackedWidget>(&dialog, "stkConnect");
    SrTest::spinUntil([pages] { return pages->currentWidget()->objectName() != "pageCntWaitting"; }, 30000);
    return pages->currentWidget()->objectName();
}

// Runs the install script as the application does, with `program`, and HOME and
// XDG_CONFIG_HOME as given; its exit status, with its stderr in `reason`.
int runInstallScript(const QString& program, const QString& home, const QString& configHome, QString* reason)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", configHome);
    QProcess script;
    script.setProcessEnvironment(environment);
    script.start("/bin/sh", {OvResourceMgr::instance()->resourcesPath() + "/TaskXPC/install_TaskXPC.sh", program,
                             "/run/user/0/taskd.sock"});
    if (!script.waitForFinished(30000))
        return -1;
    *reason = QString::fromUtf8(script.readAllStandardError());
    return script.exitCode();
}

// A copy of the daemon program in `folder`.
QString daemonCopyIn(const QString& folder)
{
    const QString copy = folder + "/screenrecorder-taskd";
    QFile::copy(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd", copy);
    return copy;
}

TaskInfo oneOff(const QString& name)
{
    TaskInfo task;
    task.name = name;
    task.enable = true;
    task.date = QStringLiteral("12-05-2030 07:30:00");
    task.recinfo.date = QDateTime(QDate(2030, 12, 5), QTime(8, 0));
    return task;
}
} // namespace

class DlgTaskSchedulerTest : public QObject {
    Q_OBJECT
    SrTest::TaskDaemonRun m_daemon{SrTest::newFolder(QStringLiteral("scheduler-daemon"))};

private slots:
    void initTestCase()
    {
        qputenv("SR_TASKD_SOCKET", QFile::encodeName(m_daemon.socket()));
        qputenv("SR_TASKD_ARGS", QFile::encodeName(m_daemon.options().join(' ')));
        // Only this test's daemon serves: the client must not start one of its own.
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
        QVERIFY(m_daemon.start({}, kDaemonStartMs));
        TaskManage::instance()->reConnectXPCServer();
        QVERIFY(TaskManage::instance()->isConnected());
    }
    void cleanupTestCase()
    {
        m_daemon.stop();
        // An uninstall left half-way would keep the next tests' daemons from being started.
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/ScreenRecorder/taskd-uninstalled");
        for (const char* name : {"SR_TASKD_SOCKET", "SR_TASKD_PROGRAM"})
            qunsetenv(name);
        SrTest::useDryRunTaskDaemon();
    }
    void init()
    {
        ModalAnswers::clear();
        TaskManage* manage = TaskManage::instance();
        for (const TaskInfo& task : manage->getLstTaskInfo())
            manage->deleteTaskInfo(task.name);
        QCOMPARE(daemonNames(), QStringList());
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void firstUseOffersAddAndANewTaskThreeMinutesAhead()
    {
        dlgTaskScheduler dialog;
        QCOMPARE(page(dialog), QStringLiteral("pageAdd"));
        ModalAnswers::pushHandler(OvModalRequest::InputDialog, [](const OvModalRequest& r) { return QVariant(r.value); });
        const QDateTime before = QDateTime::currentDateTime();
        SrTest::child<QToolButton>(&dialog, "btnAdd")->click();
        QCOMPARE(page(dialog), QStringLiteral("pageSetting"));
        QCOMPARE(SrTest::child<QLineEdit>(&dialog, "edtName")->text(), QStringLiteral("New task"));
        QVERIFY(!SrTest::child<QCheckBox>(&dialog, "chbRepeat")->isChecked());
        QVERIFY(!SrTest::child<QCheckBox>(&dialog, "chbMon")->isChecked());
        QVERIFY(SrTest::child<QRadioButton>(&dialog, "rdbTime")->isChecked());
        const QDateTime start = SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStartTime")->dateTime();
        QVERIFY(qAbs(before.secsTo(start) - 180) <= 2);
        QCOMPARE(start.secsTo(SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStopTime")->dateTime()), 180);
    }

    void savedMondayTaskComesBackAsMondayOnly()
    {
        QDateTime start, stop;
        {
            dlgTaskScheduler dialog;
            ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("Weekly"));
            SrTest::child<QToolButton>(&dialog, "btnAdd")->click();
            SrTest::child<QCheckBox>(&dialog, "chbRepeat")->click(); // ticks every day
            for (const char* day : {"chbSun", "chbTues", "chbWed", "chbThur", "chbFri", "chbSat"})
                SrTest::child<QCheckBox>(&dialog, day)->setChecked(false);
            SrTest::child<QRadioButton>(&dialog, "rdbDuration")->click();
            SrTest::child<QTimeEdit>(&dialog, "dtEdtStopDuraion")->setTime(QTime(0, 0, 10));
            start = SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStartTime")->dateTime();
            stop = SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStopTime")->dateTime();
            SrTest::child<QPushButton>(&dialog, "btnOK")->click();
            QCOMPARE(page(dialog), QStringLiteral("pageList"));
        }
        QCOMPARE(daemonNames(), QStringList{"Weekly"});
        dlgTaskScheduler dialog;
        QCOMPARE(page(dialog), QStringLiteral("pageList"));
        row(dialog, 0)->findChild<QToolButton*>("btnEdit")->click();
        QVERIFY(SrTest::child<QCheckBox>(&dialog, "chbRepeat")->isChecked());
        for (const char* day : {"chbSun", "chbMon", "chbTues", "chbWed", "chbThur", "chbFri", "chbSat"})
            QCOMPARE(SrTest::child<QCheckBox>(&dialog, day)->isChecked(), QByteArray(day) == "chbMon");
        QCOMPARE(SrTest::child<QTimeEdit>(&dialog, "dtEdtStopDuraion")->time(), QTime(0, 0, 10));
        // Showing the time of day alone keeps the dates.
        QCOMPARE(SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStartTime")->dateTime(), start);
        QCOMPARE(SrTest::child<QDateTimeEdit>(&dialog, "dtEdtStopTime")->dateTime(), stop);
    }

    void renamesOnlyToAFreeName()
    {
        TaskManage::instance()->addTaskInfo(oneOff("A"));
        TaskManage::instance()->addTaskInfo(oneOff("B"));
        QCOMPARE(daemonNames(), (QStringList{"A", "B"}));
        dlgTaskScheduler dialog;
        for (const QString& name : {QStringLiteral("A"), QStringLiteral("C")}) {
            row(dialog, 1)->findChild<QToolButton*>("btnEdit")->click();
            SrTest::child<QLineEdit>(&dialog, "edtName")->setText(name);
            SrTest::child<QPushButton>(&dialog, "btnOK")->click();
        }
        QCOMPARE(daemonNames(), (QStringList{"A", "C"}));
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->item(1)->data(Qt::UserRole).toString(), QStringLiteral("C"));
    }

    void deletesOnlyOnYes()
    {
        TaskManage::instance()->addTaskInfo(oneOff("Keep"));
        QCOMPARE(daemonNames(), QStringList{"Keep"});
        dlgTaskScheduler dialog;
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel)); // Escape or close
        SrTest::child<QToolButton>(&dialog, "btnDelele")->click();
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->count(), 1);
        QCOMPARE(daemonNames(), QStringList{"Keep"});
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Yes));
        SrTest::child<QToolButton>(&dialog, "btnDelele")->click();
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->count(), 0);
        QCOMPARE(daemonNames(), QStringList());
    }

    void closingANewTaskAsksAndOnlyNoDiscardsIt()
    {
        dlgTaskScheduler dialog;
        dialog.show();
        ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("Draft"));
        SrTest::child<QToolButton>(&dialog, "btnAdd")->click();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(page(dialog), QStringLiteral("pageSetting"));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::No));
        dialog.close();
        QCOMPARE(ModalAnswers::messages().last(), QStringLiteral("Do you want to save this Task?"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(page(dialog), QStringLiteral("pageList"));
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->count(), 0);
        QCOMPARE(daemonNames(), QStringList());
    }

    // A daemon that can write no more (a file-size limit for a full disk): the save is refused,
    // the user is told, the list is what the daemon holds and its file is as it was.
    void refusedSaveIsToldAndTheListShowsWhatTheDaemonHolds()
    {
        SrTest::TaskDaemonRun full(SrTest::newFolder("full-daemon"));
        const qint64 diskBytes = 2048;
        SrTest::SizeLimitedProcess limited(diskBytes);
        limited.start(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd",
                      QStringList{"--socket", full.socket()} + full.options());
        QVERIFY(SrTest::spinUntil([&] { return answers(full.socket()); }, kDaemonStartMs));
        struct BackToTheTestsDaemon {
            QString socket;
            ~BackToTheTestsDaemon()
            {
                qputenv("SR_TASKD_SOCKET", QFile::encodeName(socket));
                TaskManage::instance()->reConnectXPCServer();
            }
        } back{m_daemon.socket()};
        qputenv("SR_TASKD_SOCKET", QFile::encodeName(full.socket()));
        TaskManage* manage = TaskManage::instance();
        manage->reConnectXPCServer();
        const QString large(diskBytes - 600, QLatin1Char('n')); // leaves room for less than one more task
        QVERIFY(manage->addTaskInfo(oneOff(large)));
        const QString kept = textOf(full.store());
        QVERIFY(kept.contains(large));

        dlgTaskScheduler dialog;
        QCOMPARE(page(dialog), QStringLiteral("pageList"));
        ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("Weekly"));
        SrTest::child<QToolButton>(&dialog, "btnNew")->click();
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->count(), 2);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        SrTest::child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY2(ModalAnswers::messages().at(0).contains("\"Weekly\" could not be saved"),
                 qPrintable(ModalAnswers::messages().at(0)));
        QCOMPARE(page(dialog), QStringLiteral("pageList"));
        QCOMPARE(SrTest::child<QListWidget>(&dialog, "taskList")->count(), 1);
        QCOMPARE(storedNameOf(dialog, 0), large);
        QCOMPARE(daemonNames(), QStringList{large});
        QCOMPARE(textOf(full.store()), kept);

        limited.terminate();
        QVERIFY(limited.waitForFinished(5000));
        QVERIFY(full.start({}, kDaemonStartMs));
        manage->reConnectXPCServer();
        QCOMPARE(daemonNames(), QStringList{large});
    }

    // The daemon gone (and not startable): the page says the service is abnormal, and that it
    // runs normally once the daemon is back, with nothing clicked.
    void daemonStateShownFollowsTheConnection()
    {
        dlgTaskScheduler dialog;
        auto* state = SrTest::child<QStackedWidget>(&dialog, "stkConnect");
        m_daemon.stop();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok)); // it cannot be started
        dialog.onCheckXPC();
        QCOMPARE(state->currentWidget()->objectName(), QStringLiteral("pageCntInvalid"));
        QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 30000));
        QVERIFY(m_daemon.start({}, kDaemonStartMs));
        QVERIFY(SrTest::spinUntil([state] { return state->currentWidget()->objectName() == "pageCntWorking"; }, 30000));
    }

    // systemd starts a program only from a full path that has no "$", quote, backslash or
    // control character (it undoes no escaping there): such a path is refused before any unit
    // is written, with the reason on the scheduler's page; so is a missing home folder.
    void installRefusesWhatSystemdCannotStartAndLeavesNoUnit()
    {
        const QString calls = installFakeSystemctl(SrTest::newFolder("fake-systemctl-refused"));
        QVERIFY(!calls.isEmpty());
        qputenv("SR_FAKE_SYSTEMCTL_LOG", QFile::encodeName(calls));
        const QString unit = qEnvironmentVariable("XDG_CONFIG_HOME") + "/systemd/user/screenrecorder-taskd.service";
        QVERIFY(!QFile::exists(unit));

        qputenv("SR_TASKD_PROGRAM", QFile::encodeName(daemonCopyIn(SrTest::newFolder("Screen $HOME Recorder"))));
        {
            dlgTaskScheduler dialog;
            dialog.show();
            dialog.onInstallXPC();
            QCOMPARE(connectPageAfterScript(dialog), QStringLiteral("pageCntInvalid"));
            QVERIFY2(SrTest::child<QLabel>(&dialog, "lblInvalid")->text().contains("systemd cannot start a program"),
                     qPrintable(SrTest::child<QLabel>(&dialog, "lblInvalid")->text()));
        }
        qputenv("SR_TASKD_PROGRAM", "/nonexistent/screenrecorder-taskd");
        QVERIFY(!QFile::exists(unit));
        QVERIFY(!textOf(calls).contains("enable"));

        const QString home = SrTest::newFolder("install-home");
        const QString config = home + "/config";
        QString reason;
        for (const QString& folder : {QStringLiteral("it's"), QStringLiteral("say \"hi\""), QStringLiteral("back\\slash"),
                                      QStringLiteral("tab\there")}) {
            QCOMPARE(runInstallScript(daemonCopyIn(SrTest::newFolder(folder)), home, config, &reason), 1);
            QVERIFY2(reason.contains("systemd cannot start a program"), qPrintable(reason));
        }
        QCOMPARE(runInstallScript(daemonCopyIn(SrTest::newFolder("no-home")), "", "", &reason), 1);
        QVERIFY2(reason.contains("HOME does not name your home folder"), qPrintable(reason));
        // A step of systemd's that fails takes back the unit it was given.
        qputenv("SR_FAKE_SYSTEMCTL_FAIL", "enable");
        QCOMPARE(runInstallScript(daemonCopyIn(SrTest::newFolder("fine")), home, config, &reason), 1);
        qunsetenv("SR_FAKE_SYSTEMCTL_FAIL");
        QVERIFY2(reason.contains("Access denied"), qPrintable(reason));
        QCOMPARE(QDir(config + "/systemd/user").entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(!QDir("/.config/systemd/user").exists("screenrecorder-taskd.service"));

        // What is written, systemd takes: a "%" and spaces in the path.
        const QString fine = daemonCopyIn(SrTest::newFolder("Screen Recorder 100%"));
        QCOMPARE(runInstallScript(fine, home, config, &reason), 0);
        QByteArray verified;
        QVERIFY2(SrTest::run("systemd-analyze", {"verify", config + "/systemd/user/screenrecorder-taskd.service"}, 60000,
                             &verified),
                 verified.constData());
    }

    // Last: it uninstalls this test's daemon. The scripts run exactly as for the user (the
    // same program and arguments; /bin/sh is dash on Debian) against a stand-in systemctl.
    void scriptsInstallReportFailureAndUninstallOnlyTheirOwnDaemon()
    {
        const QString calls = installFakeSystemctl(SrTest::newFolder("fake-systemctl"));
        QVERIFY(!calls.isEmpty());
        qputenv("SR_FAKE_SYSTEMCTL_LOG", QFile::encodeName(calls));
        const QString daemon = QCoreApplication::applicationDirPath() + "/screenrecorder-taskd";
        qputenv("SR_TASKD_PROGRAM", QFile::encodeName(daemon));
        const QString unit = qEnvironmentVariable("XDG_CONFIG_HOME") + "/systemd/user/screenrecorder-taskd.service";

        dlgTaskScheduler dialog;
        dialog.show();
        dialog.onInstallXPC();
        QCOMPARE(connectPageAfterScript(dialog), QStringLiteral("pageCntWorking"));
        QVERIFY2(textOf(calls).contains("--user daemon-reload\n--user enable --now screenrecorder-taskd.service\n"),
                 qPrintable(textOf(calls)));
        const QString unitText = textOf(unit);
        QVERIFY2(unitText.contains(QString("ExecStart=\"%1\" --socket \"%2\"").arg(daemon, m_daemon.socket())),
                 qPrintable(unitText));

        // A failing systemctl: its reason, and the page that offers "Reinstall".
        qputenv("SR_FAKE_SYSTEMCTL_FAIL", "enable");
        SrTest::child<QPushButton>(&dialog, "btnReInstall")->click();
        QCOMPARE(connectPageAfterScript(dialog), QStringLiteral("pageCntInvalid"));
        QVERIFY2(SrTest::child<QLabel>(&dialog, "lblInvalid")->text().contains("Failed to enable unit: Access denied"),
                 qPrintable(SrTest::child<QLabel>(&dialog, "lblInvalid")->text()));
        qunsetenv("SR_FAKE_SYSTEMCTL_FAIL");

        // Uninstall stops this socket's daemon only, and nothing starts it again.
        SrTest::TaskDaemonRun other(SrTest::newFolder("other-daemon"));
        QVERIFY(other.start({}, kDaemonStartMs));
        QTest::mouseClick(SrTest::child<QLabel>(&dialog, "lblUninstall"), Qt::LeftButton);
        QCOMPARE(connectPageAfterScript(dialog), QStringLiteral("pageCntNotInstalled"));
        QVERIFY(textOf(calls).contains("--user disable --now screenrecorder-taskd.service\n"));
        QVERIFY(!QFile::exists(unit));
        QVERIFY(SrTest::spinUntil([this] { return m_daemon.process.state() == QProcess::NotRunning; }, 10000));
        QVERIFY(answers(other.socket()));
        QTest::qWait(1000);
        QVERIFY(!answers(m_daemon.socket()));
        QVERIFY(!TaskManage::instance()->isConnected());

        // "Install now" lets the application start its daemon again.
        SrTest::child<QPushButton>(&dialog, "btnInstallNow")->click();
        QCOMPARE(connectPageAfterScript(dialog), QStringLiteral("pageCntWorking"));
        QVERIFY(TaskManage::instance()->isConnected());
        QFile pid(m_daemon.socket() + ".pid");
        QVERIFY(pid.open(QIODevice::ReadOnly));
        QProcess::execute("kill", {QString::fromLatin1(pid.readAll().trimmed())});
    }
};

SR_TEST(DlgTaskSchedulerTest)
#include "tst_dlgtaskscheduler.moc"
