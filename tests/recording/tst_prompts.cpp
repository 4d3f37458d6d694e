// The prompts around a recording: the re-record and quit questions and what they remember,
// the system-sound source page, the permission guide, the window-selection dialog, the
// countdown and the status item.

#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/RecordParameter.h"
#include "recording/AudioDriverManager.h"
#include "recording/CountdownWidget.h"
#include "recording/DlgQuitPrompt.h"
#include "recording/DlgReRecord.h"
#include "recording/DlgSelectWindow.h"
#include "recording/DlgSetPermissions.h"
#include "recording/SystemStatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>

namespace {
template <typename T> T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}
template <typename T> T* child(QObject& parent, const char* name) { return child<T>(&parent, name); }
// Answers the next dialog by ticking its check box (when asked) and pressing one of its buttons.
void answerCheckbox(bool check, bool confirm)
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [check, confirm](const OvModalRequest& request) {
        auto* dlg = qobject_cast<DlgMsgBoxWithCheckbox*>(request.widget);
        if (!dlg)
            return QVariant(0);
        child<QCheckBox>(dlg, "checkBox")->setChecked(check);
        (confirm ? child<QPushButton>(dlg, "btnOk") : child<QPushButton>(dlg, "btnCancel"))->click();
        return QVariant();
    });
}

int storedInt(const QString& key) { return OvSettings::instance()->applicationParam(key, 0).toInt(); }

QList<WindowListManger::WindowItem> threeWindows()
{
    QList<WindowListManger::WindowItem> list;
    for (int i = 1; i <= 3; ++i) {
        WindowListManger::WindowItem w;
        w.id = quint64(0x400000 + i);
        w.title = QStringLiteral("Window %1").arg(i);
        w.rect = QRect(10 * i, 10 * i, 300, 200);
        w.visible = true;
        list << w;
    }
    return list;
}
} // namespace

class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void reRecordRemembersOnlyACheckedConfirmation();
    void quitPromptKeepsRunningUnlessQuitIsChosen();
    void quitPromptNamesWhereTheProgramWaits();
    void audioSourceParsing_data();
    void audioSourceParsing();
    void audioSourceWithoutCurrentPactl();
    void audioStatusPageShowsTheSource();
    void audioCheckAgainClosesOnceTheSourceIsThere();
    void realSoundServerHasTheMonitor();
    void permissionGuideChecksAgain();
    void windowSelectionFollowsTheMode();
    void countdownShowsThreePicturesThenFinishes();
    void statusItemFollowsTheRecordingState();
};

void PromptsTest::init()
{
    ModalAnswers::clear();
    OvSettings::instance()->setApplicationParam(QStringLiteral("EndRecord/ReRecordChk"), 0);
    RecordParameter::instance()->setCloseWhenClose(false);
}

void PromptsTest::cleanup()
{
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void PromptsTest::reRecordRemembersOnlyACheckedConfirmation()
{
    const QString key = QStringLiteral("EndRecord/ReRecordChk");
    QCOMPARE(DlgReRecord().registerKey(), key);

    // Cancelled with the box checked: nothing remembered, asked again next time.
    answerCheckbox(true, false);
    QCOMPARE(DlgReRecord().ask(), int(QDialog::Rejected));
    QCOMPARE(storedInt(key), 0);

    // Confirmed without the box: confirmed, not remembered.
    answerCheckbox(false, true);
    QCOMPARE(DlgReRecord().ask(), 1);
    QCOMPARE(storedInt(key), 0);

    // Confirmed with the box: remembered, and the next ask answers without a question.
    answerCheckbox(true, true);
    QCOMPARE(DlgReRecord().ask(), 1);
    QCOMPARE(storedInt(key), 1);
    const int asked = ModalAnswers::asked().size();
    QCOMPARE(DlgReRecord().ask(), 1);
    QCOMPARE(ModalAnswers::asked().size(), asked);

    // Callers that run exec() themselves and read the key get the same memory.
    OvSettings::instance()->setApplicationParam(key, 0);
    answerCheckbox(true, true);
    QCOMPARE(DlgReRecord().exec(), 1);
    QCOMPARE(storedInt(key), 1);
}

void PromptsTest::quitPromptKeepsRunningUnlessQuitIsChosen()
{
    // "Keep Running" (also with the box checked) never stores the quit choice.
    answerCheckbox(true, false);
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::KeepRunning);
    QVERIFY(!RecordParameter::instance()->isCloseWhenClose());
    // Closing the prompt any other way keeps running too.
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::KeepRunning);

    answerCheckbox(false, true);
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::Quit);
    QVERIFY(!RecordParameter::instance()->isCloseWhenClose());

    answerCheckbox(true, true);
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::Quit);
    QVERIFY(RecordParameter::instance()->isCloseWhenClose());
    const int asked = ModalAnswers::asked().size();
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::Quit);
    QCOMPARE(ModalAnswers::asked().size(), asked);
}

void PromptsTest::quitPromptNamesWhereTheProgramWaits()
{
    // A window manager alone gives no status area: "Keep Running" leaves the window
    // minimised, and the question says so instead of naming a place that is not there.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    QString said;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&said](const OvModalRequest& request) {
        said = child<QLabel>(request.widget, "labelText")->text();
        return QVariant(int(QDialog::Rejected));
    });
    QCOMPARE(DlgQuitPrompt::askQuit(nullptr), DlgQuitPrompt::KeepRunning);
    QVERIFY2(!said.contains(QLatin1String("status area")) && said.contains(QLatin1String("minimised window")),
             qPrintable(said));
}

void PromptsTest::audioSourceParsing_data()
{
    QTest::addColumn<QString>("sink");
    QTest::addColumn<QString>("sources");
    QTest::addColumn<QString>("monitor");
    QTest::addColumn<bool>("available");
    const QString list = QStringLiteral("0\talsa_input.usb-mic\tmodule-alsa-card.c\ts16le 2ch 44100Hz\tSUSPENDED\n"
                                        "1\tnullsink.monitor\tmodule-null-sink.c\ts16le 2ch 44100Hz\tIDLE\n");
    QTest::newRow("monitor listed") << QStringLiteral("nullsink\n") << list << QStringLiteral("nullsink.monitor") << true;
    QTest::newRow("other sink") << QStringLiteral("hdmi") << list << QStringLiteral("hdmi.monitor") << false;
    // A sink whose name is a prefix of a listed monitor is not that monitor.
    QTest::newRow("prefix only") << QStringLiteral("null") << list << QStringLiteral("null.monitor") << false;
    QTest::newRow("no default sink") << QString() << list << QString() << false;
    QTest::newRow("unresolved default") << QStringLiteral("@DEFAULT_SINK@") << list << QString() << false;
}

void PromptsTest::audioSourceParsing()
{
    QFETCH(QString, sink);
    QFETCH(QString, sources);
    QFETCH(QString, monitor);
    QFETCH(bool, available);
    const AudioSourceStatus status = AudioSourceStatus::parse(sink, sources);
    QVERIFY(status.serverRunning);
    QCOMPARE(status.monitorSource, monitor);
    QCOMPARE(status.available, available);
}

void PromptsTest::audioSourceWithoutCurrentPactl()
{
    // Without pactl: the capture devices the sound system lists.
    AudioSourceStatus status = AudioSourceStatus::fromCaptureDevices(
        {QStringLiteral("alsa_input.usb-mic"), QStringLiteral("alsa_output.pci.analog-stereo.monitor")});
    QVERIFY(status.serverRunning && status.available);
    QCOMPARE(status.monitorSource, QStringLiteral("alsa_output.pci.analog-stereo.monitor"));
    status = AudioSourceStatus::fromCaptureDevices({QStringLiteral("alsa_input.usb-mic")});
    QVERIFY(status.serverRunning && !status.available);
    status = AudioSourceStatus::fromCaptureDevices({});
    QVERIFY(!status.serverRunning && !status.available);

    // An older pactl: the default sink from its "info".
    const QString info = QStringLiteral("Server String: /run/pulse/native\nDefault Sink: alsa_output.hdmi\n"
                                        "Default Source: alsa_input.mic\n");
    QCOMPARE(AudioSourceStatus::defaultSinkFromInfo(info), QStringLiteral("alsa_output.hdmi"));
    QVERIFY(AudioSourceStatus::defaultSinkFromInfo(QStringLiteral("Server Name: x\n")).isEmpty());
}

void PromptsTest::audioStatusPageShowsTheSource()
{
    FakeSeam seam;
    seam.audio = AudioSourceStatus::parse(QStringLiteral("speakers"), QStringLiteral("3\tspeakers.monitor\tx\ty\tIDLE"));
    AudioDriverManager page(nullptr, 1);
    QCOMPARE(child<QPushButton>(page, "btnOk")->text(), QStringLiteral("OK"));
    QVERIFY(child<QPushButton>(page, "btnCheck")->isHidden());
    QCOMPARE(child<QLabel>(page, "labelName")->text(), QStringLiteral("speakers.monitor"));
    QCOMPARE(child<QLabel>(page, "labelStatus")->text(), QStringLiteral("Ready"));

    seam.audio = AudioSourceStatus();
    AudioDriverManager down(nullptr, 1);
    QCOMPARE(child<QLabel>(down, "labelStatus")->text(), QStringLiteral("Not available"));
    QVERIFY(child<QLabel>(down, "labelHelp")->text().contains(QStringLiteral("PulseAudio")));
}

void PromptsTest::audioCheckAgainClosesOnceTheSourceIsThere()
{
    FakeSeam seam;
    seam.audio = AudioSourceStatus::parse(QStringLiteral("s"), QString());
    bool stayedOpen = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&seam, &stayedOpen](const OvModalRequest& request) {
        auto* dlg = qobject_cast<AudioDriverManager*>(request.widget);
        child<QPushButton>(dlg, "btnCheck")->click(); // still missing: the dialog stays
        stayedOpen = dlg->result() != QDialog::Accepted;
        seam.audio = AudioSourceStatus::parse(QStringLiteral("s"), QStringLiteral("1\ts.monitor\tx\ty\tIDLE"));
        child<QPushButton>(dlg, "btnCheck")->click();
        return QVariant();
    });
    AudioDriverManager dlg(nullptr, 0);
    QVERIFY(!child<QPushButton>(dlg, "btnCheck")->isHidden());
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QVERIFY(stayedOpen);
    QVERIFY(dlg.status().available);
}

void PromptsTest::realSoundServerHasTheMonitor()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty() || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("no test sound server (the test script starts one)");
    QString sink;
    {
        QProcess p;
        p.start(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")});
        QVERIFY(p.waitForFinished(5000));
        sink = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    const AudioSourceStatus status = AudioSourceStatus::query();
    QVERIFY(status.serverRunning);
    QCOMPARE(status.defaultSink, sink);
    QCOMPARE(status.monitorSource, sink + QStringLiteral(".monitor"));
    QVERIFY(status.available);
}

void PromptsTest::permissionGuideChecksAgain()
{
    FakeSeam seam;
    seam.unavailable = {PS_SCREEN, PS_MICROPHONE};
    DlgSetPermissions dlg;
    dlg.setshowGuide(PS_SCREEN, true);
    QVERIFY(child<QLabel>(dlg, "labelGuide")->text().contains(QStringLiteral("X11")));
    dlg.show();
    child<QPushButton>(dlg, "btnCheck")->click();
    QVERIFY(dlg.isVisible());
    QCOMPARE(child<QLabel>(dlg, "labelState")->text(), QStringLiteral("Still not available."));
    seam.unavailable = {PS_MICROPHONE};
    child<QPushButton>(dlg, "btnCheck")->click();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    dlg.setshowGuide(PS_MICROPHONE, true);
    QVERIFY(child<QLabel>(dlg, "labelGuide")->text().contains(QStringLiteral("sound server")));
    QVERIFY(child<QLabel>(dlg, "labelState")->text().isEmpty());
}

void PromptsTest::windowSelectionFollowsTheMode()
{
    const QList<WindowListManger::WindowItem> windows = threeWindows();
    const quint64 w1 = windows[0].id, w2 = windows[1].id, w3 = windows[2].id;
    DlgSelectWindow dlg;
    // Several checked windows given for single mode: only the first stays.
    dlg.setWindows(windows, {w2, w3}, WM_SINGLE);
    QCOMPARE(dlg.selectedWindows(), QList<quint64>{w2});
    QCOMPARE(child<QListWidget>(dlg, "listWindows")->count(), 3);
    // Checking another window in single mode unchecks the first.
    dlg.setWindowChecked(w3, true);
    QCOMPARE(dlg.selectedWindows(), QList<quint64>{w3});
    dlg.setWindowChecked(w3, false);
    QVERIFY(!child<QPushButton>(dlg, "btnOk")->isEnabled()); // nothing to record

    dlg.setWindowMode(WM_MULTIPLE);
    dlg.setWindowChecked(w1, true);
    dlg.setWindowChecked(w3, true);
    QCOMPARE(dlg.selectedWindows(), (QList<quint64>{w1, w3}));
    QVERIFY(child<QPushButton>(dlg, "btnOk")->isEnabled());
    // Back to single: one window is left.
    dlg.setWindowMode(WM_SINGLE);
    QCOMPARE(dlg.selectedWindows(), QList<quint64>{w1});

    // Excluding nothing is the whole screen: allowed.
    dlg.setWindowMode(WM_EXCLUDE);
    dlg.setWindowChecked(w1, false);
    QVERIFY(child<QPushButton>(dlg, "btnOk")->isEnabled());
    QCOMPARE(dlg.windowMode(), WM_EXCLUDE);

    dlg.setWindows({}, {}, WM_SINGLE);
    QVERIFY(child<QLabel>(dlg, "labelHint")->text().contains(QStringLiteral("Refresh")));
}

void PromptsTest::countdownShowsThreePicturesThenFinishes()
{
    CountdownWidget countdown;
    QList<int> seen;
    bool finished = false;
    connect(&countdown, &CountdownWidget::sigFinished, this, [&] { finished = true; });
    countdown.start(QRect(100, 100, 800, 600), 3, 150);
    QVERIFY(countdown.isVisible());
    QCOMPARE(countdown.geometry().center(), QRect(100, 100, 800, 600).center());
    QVERIFY(SrTest::spinUntil([&] {
        if (!seen.contains(countdown.currentNumber()) && countdown.currentNumber() > 0)
            seen << countdown.currentNumber();
        return finished;
    }, 10000));
    QCOMPARE(seen, (QList<int>{3, 2, 1}));
    QVERIFY(!countdown.isVisible());

    // Cancelled: it never finishes.
    finished = false;
    countdown.start(QRect(0, 0, 400, 300), 3, 50);
    countdown.cancel();
    QTest::qWait(300);
    QVERIFY(!finished);
    QVERIFY(!countdown.isVisible());

    // Each picture is the bundled one, drawn at the asked size.
    const QImage three = CountdownWidget::picture(3, 120).toImage();
    QCOMPARE(three.size(), QSize(120, 120));
    QVERIFY(three.pixelColor(60, 60).alpha() > 0);
    QCOMPARE(three.pixelColor(0, 0).alpha(), 0);
}

void PromptsTest::statusItemFollowsTheRecordingState()
{
    SystemStatusBar* bar = SystemStatusBar::instance();
    auto visible = [bar](const char* name) { return bar->action(QString::fromLatin1(name))->isVisible(); };
    auto enabled = [bar](const char* name) { return bar->action(QString::fromLatin1(name))->isEnabled(); };

    bar->setSysBarState(SBS_NORMAL);
    bar->setActionEnable(true);
    QVERIFY(visible("actRecord") && !visible("actPause") && !visible("actStop"));
    QVERIFY(enabled("actQuit") && enabled("actSettings"));

    int started = 0;
    connect(bar, &SystemStatusBar::sigStartRecord, this, [&started] { ++started; });
    bar->action(QStringLiteral("actRecord"))->trigger();
    QCOMPARE(started, 1);

    bar->setSysBarState(SBS_RECORDING);
    QVERIFY(!visible("actRecord") && visible("actPause") && visible("actStop"));
    QCOMPARE(bar->action(QStringLiteral("actPause"))->text(), QStringLiteral("Pause"));
    QVERIFY(!enabled("actQuit")); // stop the recording first
    bar->setStopEnable(false);
    QVERIFY(!enabled("actStop"));
    bar->setStopEnable(true);
    bar->setRecordInfo(QStringLiteral("00:00:05"), QStringLiteral("1.20MB"));
    QVERIFY(bar->action(QStringLiteral("actInfo"))->isVisible());
    QVERIFY(bar->action(QStringLiteral("actInfo"))->text().contains(QStringLiteral("00:00:05")));

    // The icon blinks once a second while recording.
    const QImage first = bar->currentIcon().pixmap(64, 64).toImage();
    QVERIFY(SrTest::spinUntil([bar] { return !bar->isBlinkOn(); }, 3000));
    QVERIFY(bar->currentIcon().pixmap(64, 64).toImage() != first);

    bar->setSysBarState(SBS_PAUSED);
    QCOMPARE(bar->action(QStringLiteral("actPause"))->text(), QStringLiteral("Resume"));
    const QImage paused = bar->currentIcon().pixmap(64, 64).toImage();
    QTest::qWait(1300);
    QCOMPARE(bar->currentIcon().pixmap(64, 64).toImage(), paused); // no blinking while paused

    // The preview can be asked for only while one is open.
    RecordParameter::instance()->m_bPreview = true;
    bar->setSysBarState(SBS_NORMAL);
    QVERIFY(enabled("actPreview"));
    RecordParameter::instance()->m_bPreview = false;
    bar->setSysBarState(SBS_NORMAL);
    QVERIFY(!enabled("actPreview"));

    // While a dialog holds the actions back, quitting stays reachable.
    bar->setSysBarState(SBS_NORMAL);
    bar->setActionEnable(false);
    QVERIFY(!enabled("actRecord") && !enabled("actShowMain") && enabled("actQuit"));
    bar->setActionEnable(true);
    QVERIFY(!bar->action(QStringLiteral("actInfo"))->isVisible());
}

SR_TEST_DISPLAY(PromptsTest)
#include "tst_prompts.moc"
