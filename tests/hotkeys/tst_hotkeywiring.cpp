// The global hotkeys as a user presses them (xdotool on the test's own X display), through
// the main window built as main_entry builds it, on the fake engine: the start/stop chord
// records a file, a chord typed into a row is stored and fires, the float panel comes and
// goes, a chord pressed while a question is open starts nothing while one pressed with the
// History open acts, the webcam chord opens and closes the webcam window, and the float
// panel's clicks run a webcam-only recording.

#include "DesktopInput.h"
#include "FakeEngine.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "app/RecordHistoryTool.h"
#include "ScCamera.h"
#include "capture_tools/CameraDlg.h"
#include "output/RecordHistoryDlg.h"
#include "core/RecordParameter.h"
#include "core/RecordState.h"
#include "core/SignalsTransfer.h"
#include "hotkeys/DlgHotKeyMessage.h"
#include "hotkeys/FrameMASShotcut.h"
#include "hotkeys/MASShortcutView.h"
#include "recording/FfFloatWindow.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"

#include "OvUserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <optional>

namespace {
const char kStartStopChord[] = "ctrl+super+s";
const char kPauseChord[] = "ctrl+super+r";
const char kFloatChord[] = "ctrl+super+k";
const char kWebcamChord[] = "ctrl+super+w";

// Serves events for `ms` milliseconds.
void serve(int ms)
{
    SrTest::spinUntil([] { return false; }, ms);
}

// The preview after a stop is left to save by itself (the file is saved directly).
void answerPreviewWhenItEnds()
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
        bool ended = false;
        auto* dlg = qobject_cast<QDialog*>(request.widget);
        QObject::connect(dlg, &QDialog::finished, [&ended] { ended = true; });
        SrTest::spinUntil([&ended] { return ended; }, 20000);
        return QVariant();
    });
}

int controlBarCount()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<VideoRecCtlWdg*>(w) ? 1 : 0;
    return count;
}
} // namespace

class HotkeyWiringTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startStopChordRecordsAFile();
    void pauseChordLeavesThePauseOutOfTheFile();
    void chordTypedIntoARowIsStoredAndFires();
    void floatChordShowsAndHidesThePanelThatSlides();
    void chordDuringAQuestionStartsNothing();
    void chordStartsARecordingWhileHistoryIsOpen();
    void webcamChordOpensAndCloses();
    void floatPanelRunsAWebcamOnlyRecording();

private:
    void openMainWindow(bool remind);
    bool isRecording() const { return m_pMain->controlBar() && m_pMain->controlBar()->isRecording(); }

    std::optional<FakeSeam> m_seam;
    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
    QString m_strOut;
};

void HotkeyWiringTest::init()
{
    ModalAnswers::clear();
    m_seam.emplace();
    const QString folder = SrTest::newFolder(QTest::currentTestFunction());
    OvUserDefaults::instance()->setFileName(folder + "/UserDefaults.ini");
    m_strOut = SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentTestFunction()));
    Utils::setVideoOutputPath(m_strOut);
    SrTest::usePlainScreenRecording();
    RecordParameter::instance()->setCountDown(false);
    RecordParameter::instance()->setAutoSave(true);
    OvSettings::instance()->setApplicationParam(QStringLiteral("VideoLast/RecordMode"), 0);
}

void HotkeyWiringTest::openMainWindow(bool remind)
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(DlgHotKeyMessage::kRemindKey), !remind);
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
}

void HotkeyWiringTest::cleanup()
{
    if (m_pMain && m_pMain->isRecordBusy()) {
        answerPreviewWhenItEnds();
        m_pMain->onStopRecord();
        QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 20000));
    }
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    m_pMain = nullptr;
    m_seam.reset();
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void HotkeyWiringTest::startStopChordRecordsAFile()
{
    openMainWindow(false);
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return isRecording(); }, 10000));
    answerPreviewWhenItEnds();
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 20000));
    QCOMPARE(SrTest::filesIn(m_strOut).size(), 1);
}

void HotkeyWiringTest::pauseChordLeavesThePauseOutOfTheFile()
{
    m_seam.reset(); // the real engine: the file's length is what counts
    openMainWindow(false);
    QElapsedTimer wall;
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return isRecording(); }, 10000));
    wall.start();
    serve(1000);
    QVERIFY(SrTest::xdotool({"key", kPauseChord}));
    QVERIFY(SrTest::spinUntil([] { return RecordParameter::instance()->m_bPause.load(); }, 5000));
    serve(2000);
    QVERIFY(SrTest::xdotool({"key", kPauseChord}));
    QVERIFY(SrTest::spinUntil([] { return !RecordParameter::instance()->m_bPause; }, 5000));
    serve(1000);
    answerPreviewWhenItEnds();
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    const double wallSeconds = wall.elapsed() / 1000.0;
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 30000));
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const double recorded = Utils::getMediaDuration(m_strOut + QLatin1Char('/') + files.first());
    // About two seconds of the wall time were paused.
    QVERIFY2(recorded > 1.0 && recorded < wallSeconds - 1.5,
             qPrintable(QStringLiteral("recorded %1 s of %2 s").arg(recorded).arg(wallSeconds)));
}

void HotkeyWiringTest::chordTypedIntoARowIsStoredAndFires()
{
    openMainWindow(false);
    m_pMain->onHotKeyEnable(false); // the presses are watched at the hub
    QSignalSpy pressed(SignalsTransfer::instance(), &SignalsTransfer::hotKeyPressed);
    DlgHotKeyMessage* dlg = m_pMain->hotKeyMessage();
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    MASShortcutView* view = dlg->hotkeyFrame()->view(RP_HK_START);
    QVERIFY(SrTest::clickAt(view));
    QVERIFY(SrTest::spinUntil([view] { return view->isRecording(); }, 5000));
    QVERIFY(SrTest::xdotool({"key", "ctrl+super+j"}));
    QVERIFY(SrTest::spinUntil([view] { return !view->isRecording(); }, 5000));
    const MASShortcut typed = MASShortcut::shortcutWithData(OvUserDefaults::instance()->value("keysStop"));
    QCOMPARE(typed.description(), QString("Ctrl+Super+J"));
    dlg->hide();

    QVERIFY(SrTest::xdotool({"key", "ctrl+super+j"}));
    QVERIFY(SrTest::spinUntil([&pressed] { return pressed.count() == 1; }, 5000));
    QCOMPARE(pressed.at(0).at(0).toInt(), int(RP_HK_START));
    // The chord it had before is free again.
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    serve(300);
    QCOMPARE(pressed.count(), 1);
}

void HotkeyWiringTest::floatChordShowsAndHidesThePanelThatSlides()
{
    openMainWindow(false);
    QVERIFY(SrTest::xdotool({"mousemove", "0", "0"}));
    QVERIFY(SrTest::xdotool({"key", kFloatChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->floatWindow() && m_pMain->floatWindow()->isVisible(); }, 5000));
    FfFloatWindow* panel = m_pMain->floatWindow();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    // Away from the cursor only its grip stays on the screen; under the cursor it comes in.
    QVERIFY(SrTest::spinUntil([&] { return panel->x() == screen.right() + 1 - FfFloatWindow::kGripWidth; }, 3000));
    const QPoint grip(screen.right() - FfFloatWindow::kGripWidth / 2, panel->geometry().center().y());
    QVERIFY(SrTest::xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y())}));
    QVERIFY(SrTest::spinUntil([panel] { return panel->isSlidIn(); }, 3000));

    QVERIFY(SrTest::xdotool({"key", kFloatChord}));
    QVERIFY(SrTest::spinUntil([panel] { return !panel->isVisible(); }, 5000));
}

void HotkeyWiringTest::chordDuringAQuestionStartsNothing()
{
    openMainWindow(true);
    QSignalSpy pressed(SignalsTransfer::instance(), &SignalsTransfer::hotKeyPressed);
    int reminders = 0;
    // The record click's reminder is open when the chord is pressed again.
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) {
        reminders += request.className == QLatin1String("DlgHotKeyMessage");
        SrTest::xdotool({"key", kStartStopChord});
        SrTest::spinUntil([&pressed] { return pressed.count() == 2; }, 5000);
        serve(300);
        return QVariant(int(QDialog::Accepted));
    });
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return isRecording(); }, 10000));
    serve(300);
    QCOMPARE(reminders, 1);
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(controlBarCount(), 1);
}

void HotkeyWiringTest::chordStartsARecordingWhileHistoryIsOpen()
{
    openMainWindow(false);
    // After a save the History opens, as the preview leaves it.
    m_pMain->historyTool()->onShowHistory();
    RecordHistoryDlg* history = m_pMain->historyTool()->historyDlg();
    QVERIFY(QTest::qWaitForWindowExposed(history));
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return isRecording(); }, 10000));
    // It gave way: the control bar can be used.
    QVERIFY(!history->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    answerPreviewWhenItEnds();
    QVERIFY(SrTest::xdotool({"key", kStartStopChord}));
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 20000));
    QCOMPARE(SrTest::filesIn(m_strOut).size(), 1);
}

void HotkeyWiringTest::webcamChordOpensAndCloses()
{
    scSetSyntheticCamera("1");
    openMainWindow(false);
    QVERIFY(SrTest::xdotool({"key", kWebcamChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() && m_pMain->cameraDialog()->isVisible(); },
                              10000));
    QVERIFY(QTest::qWaitForWindowExposed(m_pMain->cameraDialog()));
    QVERIFY(SrTest::xdotool({"key", kWebcamChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() == nullptr; }, 10000));
    // And again: the chord keeps toggling.
    QVERIFY(SrTest::xdotool({"key", kWebcamChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() != nullptr; }, 10000));
    QVERIFY(SrTest::xdotool({"key", kWebcamChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() == nullptr; }, 10000));
    scSetSyntheticCamera(nullptr);
}

void HotkeyWiringTest::floatPanelRunsAWebcamOnlyRecording()
{
    scSetSyntheticCamera("1");
    openMainWindow(false);
    QVERIFY(SrTest::clickAt(SrTest::child(m_pBase, "btnWebcam")));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() && m_pMain->cameraDialog()->isVisible(); },
                              10000));
    CameraDlg* recorder = m_pMain->cameraDialog();
    QVERIFY(recorder->isOnlyCamera());
    QVERIFY(QTest::qWaitForWindowExposed(recorder));
    QVERIFY(SrTest::xdotool({"key", kFloatChord}));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->floatWindow() && m_pMain->floatWindow()->isVisible(); }, 5000));
    FfFloatWindow* panel = m_pMain->floatWindow();
    auto button = [panel](const char* name) { return panel->findChild<QToolButton*>(QLatin1String(name)); };
    // Each click goes to the panel slid in under the cursor.
    auto clickPanel = [panel, button](const char* name) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint grip(screen.right() - FfFloatWindow::kGripWidth / 2, panel->geometry().center().y());
        return SrTest::xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y())})
               && SrTest::spinUntil([panel] { return panel->isSlidIn(); }, 5000) && SrTest::clickAt(button(name));
    };
    RecordParameter* parameter = RecordParameter::instance();
    SystemStatusBar* status = SystemStatusBar::instance();

    QVERIFY(clickPanel("btnRec"));
    QVERIFY(SrTest::spinUntil([recorder] { return recorder->isBusy(); }, 10000));
    QVERIFY(parameter->m_bRecording && !parameter->m_bPause);
    QCOMPARE(status->sysBarState(), SBS_RECORDING);
    // The panel offers what the webcam recording can do: stop once the recorder takes it.
    QWidget* recorderStop = recorder->findChild<QWidget*>(QStringLiteral("btnStop"));
    QVERIFY(!button("btnRec")->isEnabled() && button("btnPause")->isEnabled());
    QCOMPARE(button("btnStop")->isEnabled(), recorderStop->isEnabled());

    QVERIFY(clickPanel("btnPause"));
    QVERIFY(SrTest::spinUntil([parameter] { return parameter->m_bPause.load(); }, 5000));
    QCOMPARE(status->sysBarState(), SBS_PAUSED2);
    QCOMPARE(RecordState::instance()->state(), RecordState::Paused);
    QVERIFY(!recorder->findChild<QWidget*>(QStringLiteral("btnResume"))->isHidden());
    QVERIFY(clickPanel("btnPause"));
    QVERIFY(SrTest::spinUntil([parameter] { return !parameter->m_bPause; }, 5000));
    QCOMPARE(status->sysBarState(), SBS_RECORDING);
    QVERIFY(parameter->m_bRecording);

    // Stop is taken once the recording is long enough to keep.
    QVERIFY(SrTest::spinUntil([&] { return button("btnStop")->isEnabled(); }, 20000));
    QVERIFY(recorderStop->isEnabled());
    answerPreviewWhenItEnds();
    QVERIFY(clickPanel("btnStop"));
    QVERIFY(SrTest::spinUntil([recorder] { return !recorder->isBusy(); }, 30000));
    QVERIFY(SrTest::spinUntil([] { return RecordState::instance()->state() == RecordState::Idle; }, 30000));
    QVERIFY(!parameter->m_bRecording && !parameter->m_bPause && !parameter->m_bPreview);
    QCOMPARE(status->sysBarState(), SBS_NORMAL);
    QVERIFY(button("btnRec")->isEnabled() && !button("btnStop")->isEnabled());
    QVERIFY(m_pMain->isHotKeyEnabled());
    scSetSyntheticCamera(nullptr);
}

SR_TEST_DISPLAY(HotkeyWiringTest)
#include "tst_hotkeywiring.moc"
