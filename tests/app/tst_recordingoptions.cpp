// The recording options of Preferences as the next recording takes them, in this process's
// main window on the real X display and engine: a cursor turned off in Preferences stays
// off, a hidden control bar stays hidden while the recording runs, and the webcam window
// over the screen (the synthetic camera) stays on top while recording only, so that the
// preview that follows takes a real click on Save.

#include "DesktopInput.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "capture_tools/CameraDlg.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "output/DlgVideoClip.h"
#include "services/Utils.h"
#include "ScCamera.h"
#include "TestEnv.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "widgets/FfSwitchButton.h"
#include "OvWindowList.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

using SrTest::child;

class RecordingOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cursorTurnedOffInPreferencesStaysOff();
    void hiddenControlBarStaysHiddenWhileRecording();
    void previewIsAboveTheWebcamWindow();

private:
    // Records the full screen from a click on the record button, runs `during` while it
    // records and stops it through the status item; the preview is cancelled.
    void recordByClick(const std::function<void()>& during);
    // The same, started by `start`; the test answers the preview itself unless `cancelPreview`.
    void record(const std::function<bool()>& start, const std::function<void()>& during, bool cancelPreview);

    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
};

void RecordingOptionsTest::init()
{
    ModalAnswers::clear();
    SrTest::usePlainScreenRecording();
    RecordParameter* p = RecordParameter::instance();
    p->setSystemAudioEnable(false);
    p->setCountDown(false);
    p->setMouseRecorder(true);
    p->setHideFloat(false);
    OvSettings::instance()->setApplicationParam(QStringLiteral("VideoLast/RecordMode"), 0);
    OvSettings::instance()->setApplicationParam(QStringLiteral("HotkeyRemind"), true);
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
}

void RecordingOptionsTest::cleanup()
{
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void RecordingOptionsTest::recordByClick(const std::function<void()>& during)
{
    record([this] { return SrTest::clickAt(child<QPushButton>(m_pBase, "btnRec")); }, during, true);
}

void RecordingOptionsTest::record(const std::function<bool()>& start, const std::function<void()>& during,
                                  bool cancelPreview)
{
    QVERIFY(start());
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->controlBar() && m_pMain->controlBar()->isRecording(); }, 20000));
    during();
    // Stopped once something is recorded, as a user who watched the clock run: a stop before
    // the first picture (a busy machine can take that long) leaves nothing to preview.
    QVERIFY(SrTest::spinUntil([] { return ScreenRecorder::instance()->duration() > 0.5
                                          && ScreenRecorder::instance()->fileSize() > 0; }, 30000));
    if (cancelPreview)
        ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected));
    SystemStatusBar::instance()->action(QStringLiteral("actStop"))->trigger();
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 30000));
}

void RecordingOptionsTest::cursorTurnedOffInPreferencesStaysOff()
{
    auto* cursorSwitch = child<FfSwitchButton>(m_pBase, "swCursor");
    QVERIFY(cursorSwitch->isChecked());
    // Preferences, opened from the status item: Mouse page, "Record mouse cursor" off, OK.
    bool unticked = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&unticked](const OvModalRequest& request) {
        QDialog* dialog = qobject_cast<QDialog*>(request.widget);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            return QVariant(int(QDialog::Rejected));
        auto* box = child<QCheckBox>(dialog, "chbCursor");
        SrTest::clickAt(child<QPushButton>(dialog, "btnMouse"));
        SrTest::spinUntil([box] { return box->isVisible(); }, 5000);
        SrTest::clickAt(box);
        unticked = SrTest::spinUntil([box] { return !box->isChecked(); }, 5000);
        SrTest::clickAt(child<QPushButton>(dialog, "btnOK"));
        SrTest::spinUntil([dialog] { return !dialog->isVisible(); }, 5000);
        return QVariant(dialog->result());
    });
    SystemStatusBar::instance()->action(QStringLiteral("actSettings"))->trigger();
    QVERIFY(SrTest::spinUntil([] { return ModalAnswers::asked().size() == 1; }, 20000));
    QVERIFY(unticked);
    QVERIFY(!RecordParameter::instance()->isMouseEnable());
    QVERIFY2(SrTest::spinUntil([cursorSwitch] { return !cursorSwitch->isChecked(); }, 5000),
             "the main window's switch shows the choice");

    // The next recording keeps it.
    recordByClick([] { QVERIFY(!RecordParameter::instance()->isMouseEnable()); });
    QVERIFY(!RecordParameter::instance()->isMouseEnable());
    QVERIFY(!cursorSwitch->isChecked());
}

void RecordingOptionsTest::hiddenControlBarStaysHiddenWhileRecording()
{
    for (const bool hide : {false, true}) {
        RecordParameter::instance()->setHideFloat(hide);
        recordByClick([this, hide] {
            VideoRecCtlWdg* bar = m_pMain->controlBar();
            // Shown when it is to be seen; given a while to show when it is not.
            const bool shown = SrTest::spinUntil([bar] { return OvWindowList::isWindowVisible(bar->winId()); },
                                                 hide ? 1500 : 10000);
            QCOMPARE(shown, !hide);
            QCOMPARE(bar->isVisible(), !hide);
        });
    }
}

void RecordingOptionsTest::previewIsAboveTheWebcamWindow()
{
    scSetSyntheticCamera("1");
    const auto noCamera = qScopeGuard([] { scSetSyntheticCamera(nullptr); });
    const QString out = SrTest::newFolder(QStringLiteral("out_webcam"));
    Utils::setVideoOutputPath(out);
    QVERIFY(SrTest::clickAt(child<FfSwitchButton>(m_pBase, "swWebcam")));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->cameraDialog() && m_pMain->cameraDialog()->isVisible(); }, 10000));
    QPointer<CameraDlg> overlay = m_pMain->cameraDialog();
    QVERIFY(!overlay->isOnlyCamera());
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    const auto onTop = [overlay] { return bool(overlay->windowHandle()->flags() & Qt::WindowStaysOnTopHint); };
    QVERIFY2(!onTop(), "on top before the recording");

    // The preview, moved over the webcam window, takes a click on Save.
    bool saved = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [overlay, &saved](const OvModalRequest& request) {
        auto* preview = qobject_cast<DlgVideoClip*>(request.widget);
        if (!preview)
            return QVariant(int(QDialog::Rejected));
        preview->show();
        if (!QTest::qWaitForWindowExposed(preview) || !SrTest::spinUntil([preview] { return preview->isPlayerReady(); }, 20000))
            return QVariant(int(QDialog::Rejected));
        auto* save = child<QPushButton>(preview, "btnSave");
        const QPoint target = overlay->geometry().center();
        preview->move(preview->pos() + target - save->mapToGlobal(save->rect().center()));
        SrTest::spinUntil([save, target] { return save->mapToGlobal(save->rect().center()) == target; }, 10000);
        SrTest::waitPlaced(preview);
        SrTest::clickAt(save);
        saved = SrTest::spinUntil([preview] { return !preview->isVisible(); }, 20000);
        if (!saved)
            preview->reject();
        return QVariant(preview->result());
    });
    // Started from the status item: the webcam window lies over the main window.
    record([] {
        SystemStatusBar::instance()->action(QStringLiteral("actRecord"))->trigger();
        return true;
    }, [&onTop] { QVERIFY2(onTop(), "not on top while recording"); }, false);
    QVERIFY2(saved, "the click on Save did not reach the preview");
    QCOMPARE(SrTest::filesIn(out).size(), 1);
    QVERIFY(overlay);
    QVERIFY2(!onTop(), "on top after the recording");
}

SR_TEST_DISPLAY(RecordingOptionsTest)

#include "tst_recordingoptions.moc"
