// The main window in this process, as main_entry builds it. On the fake engine: the
// switches, the checks of a record click in their order, a recorder that cannot be prepared
// or started, the countdown before the control bar starts, hotkeys, tasks, quitting and the
// history; with the synthetic camera, the webcam recorder and the webcam window over the
// screen reached from the window. On the X display: what each capture mode records, the region box and the
// selection overlay, picking a real window, the size of the window's picture, and the status
// item docking in a tray that comes later.

#include "FindChild.h"
#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "StatusItemTray.h"
#include "ScCamera.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "app/RecordHistoryTool.h"
#include "capture_tools/CameraDlg.h"
#include "core/DeviceManager.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/SignalsTransfer.h"
#include "core/WindowListManger.h"
#include "output/HistoryFileListWidget.h"
#include "output/RecordHistoryDlg.h"
#include "recording/DlgSelectWindow.h"
#include "recording/ScreenRegion.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "tasks/TaskManage.h"
#include "watermark/WaterMarkDataManage.h"
#include "widgets/FfSwitchButton.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QProcess>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTest>
#include <QMessageBox>
#include <QTimer>
#include <optional>

namespace {
using SrTest::child;

// True when QApplication::quit was called while `action` ran. The application's own loop
// is used: it forgets the quit when it returns, so later modal loops still run.
bool quitsDuring(const std::function<void()>& action)
{
    QTimer::singleShot(0, qApp, action);
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
    fallback.start(3000);
    return QApplication::exec() == 0;
}

// No window of that id is on the screen.
const quint64 kGoneWindow = 0x7ffffff0;
} // namespace

// Opens the main window before each test, in full-screen mode, and closes it after.
class MainWindowFixture : public QObject {
protected:
    void openFresh();
    void open();
    void reopen();
    void close();
    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
};

void MainWindowFixture::openFresh()
{
    ModalAnswers::clear();
    RecordParameter::instance()->setCountDown(false);
    RecordParameter::instance()->setCloseWhenClose(false);
    OvSettings::instance()->setApplicationParam(QStringLiteral("VideoLast/RecordMode"), 0);
    // The hotkey reminder at a record click is tested with the hotkeys.
    OvSettings::instance()->setApplicationParam(QStringLiteral("HotkeyRemind"), true);
    open();
}

void MainWindowFixture::open()
{
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
}

void MainWindowFixture::reopen()
{
    MainEntry::destroyMainWindow(m_pBase);
    open();
}

void MainWindowFixture::close()
{
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgress"), QString());
    RecordParameter::instance()->m_bRecording = false;
    RecordParameter::instance()->m_bPreview = false;
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

class MainWindowTest : public MainWindowFixture {
    Q_OBJECT
private slots:
    void init()
    {
        m_seam.emplace();
        openFresh();
    }
    void cleanup()
    {
        close();
        m_seam.reset();
        scSetSyntheticCamera(nullptr);
    }
    void switchesWriteTheSettings();
    void recordClickChecksInOrder();
    void refusedOrFailedRecorderShowsError4001();
    void countdownThenControlBarStarts();
    void stopWhileWaitingForTheSoundStartsNothing();
    void hotkeysAreServedOnlyWhenEnabled();
    void taskStartPicksTheRecordingKind();
    void quittingAsksAndRefusesDuringARecording();
    void historyOpensOnceAndShowsNewFilesFirst();
    void webcamCardRecordsTheCameraInPlaceOfTheWindow();
    void webcamSwitchFollowsTheWindowOverTheScreen();

private:
    std::optional<FakeSeam> m_seam;
};

class MainWindowScreenTest : public MainWindowFixture {
    Q_OBJECT
private slots:
    void init() { openFresh(); }
    void cleanup() { close(); }
    void modesShapeTheRecordingAndAreRemembered();
    void selectAreaDragsANewRegion();
    void windowSelectionListsOpenWindows();
    void screenshotOfTheMainWindow();
    void statusItemDocksInATrayThatComesLater();
};

void MainWindowScreenTest::modesShapeTheRecordingAndAreRemembered()
{
    const QRect display = DeviceManager::instance()->getSelectedDisplayRect();
    auto* stack = child<QStackedWidget>(m_pBase, "stackOptions");

    child(m_pBase, "btnFullScreen")->click();
    m_pMain->refreshRecordParameter();
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageFullScreen"));
    QCOMPARE(RecordParameter::instance()->getVideoRect(), display);
    QVERIFY(RecordParameter::instance()->getVideoEnable() && !RecordParameter::instance()->isWindowRecord() && !RecordParameter::instance()->isAroundMouse());

    // Region: the box shows a region inside the display, and that region is recorded.
    child(m_pBase, "btnRegion")->click();
    QVERIFY(ScreenRegion::instance()->isRegionVisible());
    const QRect region = ScreenRegion::instance()->regionRect();
    QVERIFY(display.contains(region) && region != display);
    m_pMain->refreshRecordParameter();
    QCOMPARE(RecordParameter::instance()->getVideoRect(), region);
    // A preset size resizes the box around its centre.
    auto* sizes = child<QComboBox>(m_pBase, "cmbRegionSize");
    const int preset = sizes->findText(QStringLiteral("800 x 600"));
    sizes->setCurrentIndex(preset);
    emit sizes->activated(preset);
    QCOMPARE(ScreenRegion::instance()->regionRect().size(), QSize(800, 600));
    QCOMPARE(ScreenRegion::instance()->regionRect().center(), region.center());

    // Around the mouse: the chosen size, inside the display.
    child(m_pBase, "btnAroundMouse")->click();
    QVERIFY(!ScreenRegion::instance()->isRegionVisible());
    auto* mouseSizes = child<QComboBox>(m_pBase, "cmbMouseSize");
    const int m = mouseSizes->findText(QStringLiteral("1024 x 768"));
    mouseSizes->setCurrentIndex(m);
    emit mouseSizes->activated(m);
    m_pMain->refreshRecordParameter();
    QVERIFY(RecordParameter::instance()->isAroundMouse());
    QCOMPARE(RecordParameter::instance()->getAroundMouseSize(), QSize(1024, 768));
    QCOMPARE(RecordParameter::instance()->getVideoRect().size(), QSize(1024, 768));
    QVERIFY(display.contains(RecordParameter::instance()->getVideoRect()));

    child(m_pBase, "btnAudioOnly")->click();
    m_pMain->refreshRecordParameter();
    QVERIFY(RecordParameter::instance()->isOnlyRecordAudio() && !RecordParameter::instance()->getVideoEnable());
    QVERIFY(!child<FfSwitchButton>(m_pBase, "swCursor")->isEnabled());

    // The mode, the region and its preset survive a restart.
    child(m_pBase, "btnRegion")->click();
    const QRect before = ScreenRegion::instance()->regionRect();
    reopen();
    QVERIFY(child(m_pBase, "btnRegion")->isChecked());
    QCOMPARE(m_pMain->recordMode(), RecordTarget::Region);
    QCOMPARE(ScreenRegion::instance()->regionRect(), before);
    QCOMPARE(child<QComboBox>(m_pBase, "cmbRegionSize")->currentText(), QStringLiteral("800 x 600"));
}

void MainWindowTest::switchesWriteTheSettings()
{
    auto* mic = child<FfSwitchButton>(m_pBase, "swMicrophone");
    const bool was = RecordParameter::instance()->isMicrophoneEnable();
    QCOMPARE(mic->isChecked(), was);
    QTest::mouseClick(mic, Qt::LeftButton);
    QCOMPARE(RecordParameter::instance()->isMicrophoneEnable(), !was);
    auto* cursor = child<FfSwitchButton>(m_pBase, "swCursor");
    QTest::mouseClick(cursor, Qt::LeftButton);
    const bool cursorOn = RecordParameter::instance()->isMouseEnable();
    reopen();
    QCOMPARE(child<FfSwitchButton>(m_pBase, "swMicrophone")->isChecked(), !was);
    QCOMPARE(child<FfSwitchButton>(m_pBase, "swCursor")->isChecked(), cursorOn);
    QTest::mouseClick(child<FfSwitchButton>(m_pBase, "swMicrophone"), Qt::LeftButton);
    QCOMPARE(RecordParameter::instance()->isMicrophoneEnable(), was);
}

void MainWindowScreenTest::selectAreaDragsANewRegion()
{
    child(m_pBase, "btnRegion")->click();
    auto* sizes = child<QComboBox>(m_pBase, "cmbRegionSize");
    sizes->setCurrentIndex(2);
    emit sizes->activated(2);
    child(m_pBase, "btnSelectRegion")->click();
    QCOMPARE(sizes->currentIndex(), 0); // a dragged area has a free size
    RegionSelector* overlay = ScreenRegion::instance()->regionSelector();
    QVERIFY(SrTest::spinUntil([overlay] { return overlay->isVisible(); }, 5000));
    QVERIFY(!m_pBase->isVisible()); // out of the way of the selection
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    const QPoint a = overlay->mapFromGlobal(QPoint(100, 120));
    const QPoint b = overlay->mapFromGlobal(QPoint(740, 600));
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, a);
    QMouseEvent move(QEvent::MouseMove, b, overlay->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, b);
    const QRect dragged(QPoint(100, 120), QPoint(740, 600));
    QVERIFY(SrTest::spinUntil([this] { return m_pBase->isVisible(); }, 5000));
    QCOMPARE(ScreenRegion::instance()->regionRect(), dragged);
    QVERIFY(ScreenRegion::instance()->isRegionVisible());
    QCOMPARE(OvSettings::instance()->applicationParam(QStringLiteral("VideoLast/VideoRect")).toRect(), dragged);
    m_pMain->refreshRecordParameter();
    QCOMPARE(RecordParameter::instance()->getVideoRect(), dragged);

    // Cancelled: the region stays as it was and the window comes back.
    child(m_pBase, "btnSelectRegion")->click();
    QVERIFY(SrTest::spinUntil([overlay] { return overlay->isVisible(); }, 5000));
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::keyClick(overlay, Qt::Key_Escape);
    QVERIFY(SrTest::spinUntil([this] { return m_pBase->isVisible(); }, 5000));
    QCOMPARE(ScreenRegion::instance()->regionRect(), dragged);
}

void MainWindowScreenTest::windowSelectionListsOpenWindows()
{
    QProcess probe;
    probe.start(QStringLiteral("xmessage"), {QStringLiteral("-title"), QStringLiteral("<b>SR</b> pick me"),
                                             QStringLiteral("-geometry"), QStringLiteral("300x100+50+50"), QStringLiteral("x")});
    QVERIFY(probe.waitForStarted(5000));
    QVERIFY(SrTest::spinUntil([] {
        for (const auto& w : WindowListManger::instance()->refreshWindowList())
            if (w.title == QLatin1String("<b>SR</b> pick me"))
                return true;
        return false;
    }, 10000));
    child(m_pBase, "btnWindow")->click();
    RecordParameter::instance()->setWindowList({});
    quint64 picked = 0;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&picked](const OvModalRequest& request) {
        auto* dlg = qobject_cast<DlgSelectWindow*>(request.widget);
        auto* list = dlg->findChild<QListWidget*>(QStringLiteral("listWindows"));
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->toolTip() == QLatin1String("<b>SR</b> pick me"))
                picked = list->item(i)->data(Qt::UserRole).value<quint64>();
        dlg->setWindowMode(WM_SINGLE);
        dlg->setWindowChecked(picked, true);
        dlg->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
        return QVariant();
    });
    child(m_pBase, "btnSelectWindow")->click();
    QVERIFY(picked != 0);
    QCOMPARE(RecordParameter::instance()->getWindowList(), QList<quint64>{picked});
    QCOMPARE(RecordParameter::instance()->getWindowMode(), WM_SINGLE);
    // A window's title is shown as it is, never read as markup.
    QCOMPARE(child<QLabel>(m_pBase, "labelWindows")->text(), QStringLiteral("Window: <b>SR</b> pick me"));
    QCOMPARE(child<QLabel>(m_pBase, "labelWindows")->textFormat(), Qt::PlainText);
    m_pMain->refreshRecordParameter();
    QVERIFY(RecordParameter::instance()->isWindowRecord());
    QCOMPARE(RecordParameter::instance()->getVideoRect().size(), QSize(300, 100));
    probe.kill();
    probe.waitForFinished(5000);
}

void MainWindowTest::recordClickChecksInOrder()
{
    QAbstractButton* rec = child(m_pBase, "btnRec");
    auto lastDialog = [] { return ModalAnswers::asked().isEmpty() ? QString() : ModalAnswers::asked().last().className; };

    // A recording or a preview is open: the click does nothing at all.
    RecordParameter::instance()->m_bPreview = true;
    rec->click();
    QVERIFY(ModalAnswers::asked().isEmpty());
    RecordParameter::instance()->m_bPreview = false;

    // Audio only with no sound source.
    child(m_pBase, "btnAudioOnly")->click();
    RecordParameter::instance()->setSystemAudioEnable(false);
    RecordParameter::instance()->setMicrophoneEnable(false);
    reopen();
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    child(m_pBase, "btnRec")->click();
    QVERIFY(ModalAnswers::messages().last().startsWith(QStringLiteral("Nothing to record")));
    QVERIFY(!m_pMain->isRecordBusy());

    // The screen cannot be read: the guide, and nothing starts when it is closed.
    m_seam->unavailable = {PS_SCREEN};
    child(m_pBase, "btnFullScreen")->click();
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    child(m_pBase, "btnRec")->click();
    QCOMPARE(lastDialog(), QStringLiteral("DlgSetPermissions"));
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
    m_seam->unavailable.clear();

    // Window mode without a chosen window: said, then the selection opens.
    child(m_pBase, "btnWindow")->click();
    RecordParameter::instance()->setWindowMode(WM_SINGLE);
    RecordParameter::instance()->setWindowList({});
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    child(m_pBase, "btnRec")->click();
    QVERIFY(ModalAnswers::messages().last().startsWith(QStringLiteral("Select the window")));
    QCOMPARE(lastDialog(), QStringLiteral("DlgSelectWindow"));

    // A chosen window that has gone away.
    RecordParameter::instance()->setWindowList({kGoneWindow});
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    child(m_pBase, "btnRec")->click();
    QVERIFY(ModalAnswers::messages().last().contains(QStringLiteral("no longer visible")));
    QVERIFY(!m_pMain->isRecordBusy());

    // An excluded program runs.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(sleeper.waitForStarted(5000));
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgress"), QStringLiteral("sleep"));
    child(m_pBase, "btnFullScreen")->click();
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    child(m_pBase, "btnRec")->click();
    QCOMPARE(ModalAnswers::messages().last(), QStringLiteral("Please close sleep before recording."));
    sleeper.kill();
    sleeper.waitForFinished(5000);
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgress"), QString());

    // System sound is on but cannot be recorded: the system-sound page, and no recording.
    m_seam->audio = AudioSourceStatus();
    RecordParameter::instance()->setSystemAudioEnable(true);
    reopen();
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    child(m_pBase, "btnRec")->click();
    QCOMPARE(lastDialog(), QStringLiteral("AudioDriverManager"));
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
    QVERIFY(m_pBase->isVisible());

    // The chosen picture watermark's file is cut short: said before anything records, and
    // nothing does when the user would not record without it.
    RecordParameter::instance()->setSystemAudioEnable(false);
    reopen();
    WaterMarkDataManage* marks = WaterMarkDataManage::instance();
    const QString picture = marks->m_lstWaterMarkData.value(0).m_strWaterMarkPath;
    QFile file(picture);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray whole = file.readAll();
    QVERIFY(file.resize(whole.size() / 2));
    marks->m_nCurIndex = 0;
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    child(m_pBase, "btnRec")->click();
    marks->m_nCurIndex = -1;
    QVERIFY(file.seek(0) && file.write(whole) == whole.size());
    QVERIFY2(ModalAnswers::messages().last().startsWith(QStringLiteral("The watermark \"%1\" cannot be used: its picture")
                                                            .arg(marks->getWatermarkName(0))),
             qPrintable(ModalAnswers::messages().last()));
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
}

void MainWindowTest::refusedOrFailedRecorderShowsError4001()
{
    // The engine refuses to create the recorder: said, and the main window is back.
    m_seam->recording.refuse = true;
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    child(m_pBase, "btnRec")->click();
    QVERIFY(ModalAnswers::messages().last().contains(QStringLiteral("4001")));
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
    QVERIFY(m_pBase->isVisible());
    QCOMPARE(SystemStatusBar::instance()->sysBarState(), SBS_NORMAL);

    // The recorder is made but does not start: the road ends all the same.
    m_seam->recording.refuse = false;
    m_seam->recording.startOk = false;
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    child(m_pBase, "btnRec")->click();
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 5000));
    QCOMPARE(ModalAnswers::messages().size(), 2);
    QVERIFY(ModalAnswers::messages().last().contains(QStringLiteral("4001")));
    QVERIFY(m_pBase->isVisible());
    QCOMPARE(SystemStatusBar::instance()->sysBarState(), SBS_NORMAL);
}

void MainWindowTest::countdownThenControlBarStarts()
{
    RecordParameter::instance()->setCountDown(true);
    m_pMain->setCountdownStep(100);
    child(m_pBase, "btnFullScreen")->click();
    child(m_pBase, "btnRec")->click();
    QVERIFY(m_pMain->isRecordBusy());
    QVERIFY(!m_pBase->isVisible());
    QVERIFY(m_pMain->countdown() && m_pMain->countdown()->isRunning());
    QVERIFY(m_pMain->controlBar() && !m_pMain->controlBar()->isRecording());
    QVERIFY(!m_pMain->isHotKeyEnabled()); // no hotkeys during the countdown
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->controlBar() && m_pMain->controlBar()->isRecording(); }, 10000));
    QCOMPARE(SystemStatusBar::instance()->sysBarState(), SBS_RECORDING);
    QVERIFY(m_pMain->isHotKeyEnabled());

    // A second record request while recording starts nothing.
    VideoRecCtlWdg* bar = m_pMain->controlBar();
    m_pMain->onBtnRecClicked();
    QCOMPARE(m_pMain->controlBar(), bar);

    // Paused and resumed through the status item.
    SystemStatusBar::instance()->action(QStringLiteral("actPause"))->trigger();
    QVERIFY(SrTest::spinUntil([] { return SystemStatusBar::instance()->sysBarState() == SBS_PAUSED; }, 5000));
    SystemStatusBar::instance()->action(QStringLiteral("actPause"))->trigger();
    QVERIFY(SrTest::spinUntil([] { return SystemStatusBar::instance()->sysBarState() == SBS_RECORDING; }, 5000));

    // Stopped through the status item: the preview is answered "cancel" here, and the main
    // window comes back.
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    SystemStatusBar::instance()->action(QStringLiteral("actStop"))->trigger();
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 10000));
    QVERIFY(m_seam->recording.stopped);
    QVERIFY(m_pBase->isVisible());
    QCOMPARE(SystemStatusBar::instance()->sysBarState(), SBS_NORMAL);
}

void MainWindowTest::stopWhileWaitingForTheSoundStartsNothing()
{
    // A task's start (no countdown) waits for a recorder whose sound does not flow yet; the
    // record hotkey stops it then.
    m_seam->recording.soundFlowing = false;
    TaskManage::instance()->m_bTasking = true;
    child(m_pBase, "btnRec")->click();
    QVERIFY(m_pMain->isRecordBusy() && m_pMain->controlBar());
    m_pMain->onHotKeyPressed(RP_HK_START);
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
    QVERIFY(m_seam->recording.released);
    QVERIFY(m_pBase->isVisible());
    QVERIFY2(!TaskManage::instance()->m_bTasking, "a later task would be refused");
    // Nothing starts later either.
    bool later = false;
    QTimer::singleShot(3000, [&later] { later = true; });
    QVERIFY(SrTest::spinUntil([&later] { return later; }, 30000));
    QCOMPARE(m_seam->recording.starts.load(), 0);
    QCOMPARE(SystemStatusBar::instance()->sysBarState(), SBS_NORMAL);
}

void MainWindowTest::hotkeysAreServedOnlyWhenEnabled()
{
    child(m_pBase, "btnAudioOnly")->click();
    RecordParameter::instance()->setSystemAudioEnable(false);
    RecordParameter::instance()->setMicrophoneEnable(false);
    reopen();
    emit SignalsTransfer::instance()->hotKeyEnable(false);
    emit SignalsTransfer::instance()->hotKeyPressed(RP_HK_START);
    QTest::qWait(50);
    QVERIFY(ModalAnswers::asked().isEmpty());

    // Served again: the start hotkey is a record click (here refused for want of sound).
    emit SignalsTransfer::instance()->hotKeyEnable(true);
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    emit SignalsTransfer::instance()->hotKeyPressed(RP_HK_START);
    QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 2000));
    QVERIFY(ModalAnswers::messages().last().startsWith(QStringLiteral("Nothing to record")));
}

void MainWindowTest::taskStartPicksTheRecordingKind()
{
    RecordParameter::instance()->setSystemAudioEnable(false);
    RecordParameter::instance()->setMicrophoneEnable(false);
    child(m_pBase, "btnAudioOnly")->click();
    m_pMain->onTaskStartRec(4); // webcam tasks need the webcam window
    QCOMPARE(m_pMain->recordMode(), RecordTarget::AudioOnly);
    QVERIFY(!TaskManage::instance()->m_bTasking);

    // A video task from audio mode switches to the screen and presses record 500 ms later
    // (here it is refused: a running recording is pretended).
    RecordParameter::instance()->m_bRecording = true;
    m_pMain->onTaskStartRec(1);
    QCOMPARE(m_pMain->recordMode(), RecordTarget::AudioOnly); // refused while recording
    RecordParameter::instance()->m_bRecording = false;
    TaskManage::instance()->sendPerformTaskRecInfo(TaskManage::convertRecInfo(RecordInfo()));
    QVERIFY(SrTest::spinUntil([] { return TaskManage::instance()->m_bTasking; }, 2000));
    QCOMPARE(m_pMain->recordMode(), RecordTarget::FullScreen);

    // Before the task's delayed press, audio only is chosen with no sound source on: the
    // press is refused with a message, and the task mark is cleared so that the next task
    // may start.
    child(m_pBase, "btnAudioOnly")->click();
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    QVERIFY(SrTest::spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 5000));
    QVERIFY(ModalAnswers::messages().last().startsWith(QStringLiteral("Nothing to record")));
    QVERIFY(!TaskManage::instance()->m_bTasking);
}

void MainWindowTest::quittingAsksAndRefusesDuringARecording()
{
    // Keep running: no quit, and the window stays reachable (no tray on this display:
    // minimised); the region box leaves with it and comes back with it.
    child(m_pBase, "btnRegion")->click();
    QVERIFY(ScreenRegion::instance()->isRegionVisible());
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    QVERIFY(!quitsDuring([this] { m_pBase->close(); }));
    QCOMPARE(ModalAnswers::asked().last().className, QStringLiteral("DlgQuitPrompt"));
    QVERIFY(!m_pBase->isHidden()); // no status area here to bring it back from
    QVERIFY(!ScreenRegion::instance()->isRegionVisible());
    m_pMain->showMainWindow();
    QVERIFY(ScreenRegion::instance()->isRegionVisible());

    // The status item's Quit is refused while a recording runs.
    RecordParameter::instance()->m_bRecording = true;
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    QVERIFY(!quitsDuring([] { emit SystemStatusBar::instance()->sigQuit(); }));
    QVERIFY(ModalAnswers::messages().last().contains(QStringLiteral("before quitting")));
    RecordParameter::instance()->m_bRecording = false;

    QVERIFY(quitsDuring([] { SystemStatusBar::instance()->action(QStringLiteral("actQuit"))->trigger(); }));

    // Closing with the prompt answered "Quit".
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Accepted));
    QVERIFY(quitsDuring([this] { m_pBase->close(); }));
    // "CloseWhenClos": no question at all.
    RecordParameter::instance()->setCloseWhenClose(true);
    const int asked = ModalAnswers::asked().size();
    QVERIFY(quitsDuring([this] { m_pBase->close(); }));
    QCOMPARE(ModalAnswers::asked().size(), asked);
}

void MainWindowTest::historyOpensOnceAndShowsNewFilesFirst()
{
    child(m_pBase, "btnHistory")->click();
    auto* dlg = m_pBase->findChild<RecordHistoryDlg*>();
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->isModal());
    QCOMPARE(dlg->windowTitle(), OvProductInfo::instance()->productName());
    dlg->hide();

    const QString saved = SrTest::newFolder(QStringLiteral("history")) + QStringLiteral("/Video_new.mov");
    QVERIFY(SrTest::writeFile(saved, 10));
    SignalsTransfer::instance()->addHistoryFile(saved, 1, QStringLiteral("2*2"), QStringLiteral("00:00:01"),
                                                QStringLiteral("1KB"));
    child(m_pBase, "btnHistory")->click();
    QCOMPARE(m_pBase->findChildren<RecordHistoryDlg*>().size(), 1); // created once
    QCOMPARE(dlg->historyList()->count() > 0, true);
    QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, saved);
    dlg->hide();
}

void MainWindowTest::webcamCardRecordsTheCameraInPlaceOfTheWindow()
{
    scSetSyntheticCamera("1");
    child(m_pBase, "btnWebcam")->click();
    CameraDlg* recorder = m_pMain->cameraDialog();
    QVERIFY(recorder && recorder->isOnlyCamera() && recorder->isVisible());
    QVERIFY(!m_pBase->isVisible());

    // The start and pause hotkeys drive the webcam recording, not a screen recording.
    emit SignalsTransfer::instance()->hotKeyPressed(RP_HK_START);
    QVERIFY(SrTest::spinUntil([recorder] { return recorder->isBusy(); }, 5000));
    QVERIFY(!m_pMain->isRecordBusy() && m_pMain->controlBar() == nullptr);
    emit SignalsTransfer::instance()->hotKeyPressed(RP_HK_PAUSE);
    QVERIFY(SrTest::spinUntil([] { return SystemStatusBar::instance()->sysBarState() == SBS_PAUSED2; }, 5000));

    // Closed: the recording is finished through the preview, then the main window is back.
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Yes));
    ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    recorder->close();
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() == nullptr; }, 30000));
    QVERIFY(m_pBase->isVisible());
    QVERIFY(!RecordParameter::instance()->isOnlyRecordCamera());
    QCOMPARE(ModalAnswers::asked().last().className, QStringLiteral("DlgVideoClip"));

    // REC on the Webcam card opens it again; another card closes it.
    child(m_pBase, "btnRec")->click();
    QVERIFY(m_pMain->cameraDialog() && m_pMain->cameraDialog()->isOnlyCamera());
    m_pMain->setRecordMode(RecordTarget::FullScreen);
    QVERIFY(m_pMain->cameraDialog() == nullptr && m_pBase->isVisible());
}

void MainWindowTest::webcamSwitchFollowsTheWindowOverTheScreen()
{
    scSetSyntheticCamera("1");
    auto* webcam = child<FfSwitchButton>(m_pBase, "swWebcam");
    QTest::mouseClick(webcam, Qt::LeftButton);
    QPointer<CameraDlg> overlay = m_pMain->cameraDialog();
    QVERIFY(overlay && !overlay->isOnlyCamera() && overlay->isVisible());
    QVERIFY(m_pBase->isVisible());
    QTest::mouseClick(webcam, Qt::LeftButton);
    QVERIFY(overlay.isNull() && !webcam->isChecked());

    // Closed by itself: the switch goes off.
    QTest::mouseClick(webcam, Qt::LeftButton);
    overlay = m_pMain->cameraDialog();
    QVERIFY(webcam->isChecked());
    overlay->close();
    QVERIFY(SrTest::spinUntil([&] { return overlay.isNull(); }, 5000));
    QVERIFY(!webcam->isChecked());

    // The options dialog, while the window over the screen steps aside.
    QTest::mouseClick(webcam, Qt::LeftButton);
    bool overlayAside = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest&) {
        overlayAside = m_pMain->cameraDialog() == nullptr;
        return QVariant(int(QDialog::Rejected));
    });
    child(m_pBase, "btnWebcamOptions")->click();
    QCOMPARE(ModalAnswers::asked().last().className, QStringLiteral("DlgWebcamOptions"));
    QVERIFY(overlayAside);
    QVERIFY(m_pMain->cameraDialog() && webcam->isChecked());
}

void MainWindowScreenTest::screenshotOfTheMainWindow()
{
    // As a first start shows it: system sound and cursor on, microphone off.
    RecordParameter::instance()->setSystemAudioEnable(true);
    RecordParameter::instance()->setMicrophoneEnable(false);
    RecordParameter::instance()->setMouseRecorder(true);
    reopen();
    child(m_pBase, "btnFullScreen")->click();
    QTest::qWait(100);
    const QImage shot = m_pBase->grab().toImage();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.width() >= 600 && shot.height() >= 360);
}

void MainWindowScreenTest::statusItemDocksInATrayThatComesLater()
{
    // The panel comes up after the main window, as in a login session, and is restarted.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    SrTest::StatusItemTray tray;
    for (const char* when : {"started", "restarted"}) {
        QVERIFY2(tray.startHost(QStringLiteral(SR_TRAYHOST)) && tray.waitDocked(), when);
        QVERIFY(SrTest::spinUntil([] { return SystemStatusBar::instance()->trayIcon()->geometry().isValid(); }, 10000));
    }
}

SR_TEST(MainWindowTest)
SR_TEST_DISPLAY(MainWindowScreenTest)
#include "tst_mainwindow.moc"
