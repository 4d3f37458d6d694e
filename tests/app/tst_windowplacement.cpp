// Where the program's windows go under the window manager: the main window comes back where
// it was after each recording, the webcam recorder opens wholly on the screen whatever place
// was stored, and the webcam window over the screen opens at the "Position:" of the options.

#include "DesktopInput.h"
#include "FakeEngine.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "ScCamera.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "app/RecordHistoryTool.h"
#include "capture_tools/CameraDlg.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "core/SettingsKeys.h"
#include "hotkeys/DlgHotKeyMessage.h"
#include "output/RecordHistoryDlg.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "widgets/FfSwitchButton.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <optional>

namespace {
// The window manager has framed `window` (the native window knows its frame; QWidget's own
// idea of it may lag behind), and the frame's place.
bool framed(const QWidget* window) { return !window->windowHandle()->frameMargins().isNull(); }
QRect frameOf(const QWidget* window) { return window->windowHandle()->frameGeometry(); }

QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
} // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void mainWindowComesBackWhereItWasAfterEachRecording();
    void webcamRecorderOpensWhollyOnTheScreen();
    void positionChosenInTheOptionsWinsOverTheStoredPlace();

private:
    std::optional<FakeSeam> m_seam;
    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
};

void WindowPlacementTest::init()
{
    ModalAnswers::clear();
    m_seam.emplace();
    Utils::setVideoOutputPath(SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentTestFunction())));
    SrTest::usePlainScreenRecording();
    RecordParameter::instance()->setCountDown(false);
    RecordParameter::instance()->setAutoSave(true);
    OvSettings::instance()->setApplicationParam(QStringLiteral("VideoLast/RecordMode"), 0);
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(DlgHotKeyMessage::kRemindKey), true);
    scSetSyntheticCamera("1");
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
    QVERIFY(SrTest::spinUntil([this] { return framed(m_pBase); }, 5000));
}

void WindowPlacementTest::cleanup()
{
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    m_seam.reset();
    scSetSyntheticCamera(nullptr);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void WindowPlacementTest::mainWindowComesBackWhereItWasAfterEachRecording()
{
    // Where the user has dragged it by its title bar, away from where the window manager put it.
    const QPoint opened = frameOf(m_pBase).topLeft();
    const QPoint title(m_pBase->geometry().center().x(), (frameOf(m_pBase).top() + m_pBase->geometry().top()) / 2);
    QVERIFY(SrTest::dragOnScreen(title, title - QPoint(250, 150)));
    QVERIFY(SrTest::spinUntil([&] { return frameOf(m_pBase).topLeft() != opened; }, 5000));
    SrTest::spinUntil([] { return false; }, 300);
    const QPoint place = frameOf(m_pBase).topLeft();
    for (int round = 0; round < 2; ++round) {
        QVERIFY(SrTest::clickAt(SrTest::child(m_pBase, "btnRec")));
        QVERIFY(SrTest::spinUntil([this] { return m_pMain->controlBar() && m_pMain->controlBar()->isRecording(); },
                                  10000));
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
            bool ended = false;
            QObject::connect(qobject_cast<QDialog*>(request.widget), &QDialog::finished, [&ended] { ended = true; });
            SrTest::spinUntil([&ended] { return ended; }, 20000);
            return QVariant();
        });
        m_pMain->onStopRecord();
        QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy() && m_pBase->isVisible(); }, 20000));
        // The History opens after the save; Escape closes it.
        RecordHistoryDlg* history = m_pMain->historyTool()->historyDlg();
        QVERIFY(QTest::qWaitForWindowExposed(history));
        QVERIFY(SrTest::spinUntil([history] { return history->isActiveWindow(); }, 5000));
        QVERIFY(SrTest::xdotool({"key", "Escape"}));
        QVERIFY(SrTest::spinUntil([history] { return !history->isVisible(); }, 5000));
        QVERIFY(SrTest::spinUntil([&] { return frameOf(m_pBase).topLeft() == place; }, 5000));
    }
}

void WindowPlacementTest::webcamRecorderOpensWhollyOnTheScreen()
{
    // A place stored when the window was on a screen below this one's bottom.
    const QRect area = available();
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(SettingsKeys::kCameraWindowPos),
                                                QPoint(area.left() + 100, area.bottom() - 300));
    QVERIFY(SrTest::clickAt(SrTest::child(m_pBase, "btnWebcam")));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() != nullptr; }, 10000));
    CameraDlg* recorder = m_pMain->cameraDialog();
    QVERIFY(recorder->isOnlyCamera());
    QVERIFY(QTest::qWaitForWindowExposed(recorder));
    QVERIFY(SrTest::spinUntil([recorder] { return framed(recorder); }, 5000));
    QVERIFY2(area.contains(frameOf(recorder)),
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frameOf(recorder).x()).arg(frameOf(recorder).y())
                            .arg(frameOf(recorder).width()).arg(frameOf(recorder).height())));
    // It went as near to the stored place as it could.
    QCOMPARE(frameOf(recorder).left(), area.left() + 100);
    QCOMPARE(frameOf(recorder).bottom(), area.bottom());
}

void WindowPlacementTest::positionChosenInTheOptionsWinsOverTheStoredPlace()
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(SettingsKeys::kCameraWindowPos), QPoint(500, 400));
    RecordParameter::instance()->setCameraDefaultPos(RP_POS_TOPLEFT);
    QVERIFY(SrTest::clickAt(SrTest::child<FfSwitchButton>(m_pBase, "swWebcam")));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() != nullptr; }, 10000));
    CameraDlg* overlay = m_pMain->cameraDialog();
    QVERIFY(!overlay->isOnlyCamera());
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    const QRect display = DeviceManager::instance()->getSelectedDisplayRect();
    QVERIFY(SrTest::spinUntil([&] { return frameOf(overlay).topLeft() == display.topLeft(); }, 5000));
}

SR_TEST_DISPLAY(WindowPlacementTest)
#include "tst_windowplacement.moc"
