// The control bar's road on the fake engine (stop rules, refused starts, error codes,
// finishing, the status item), and on the real engine and X display what needs pixels or a
// real disk: the bar blacked out of a recording, a full disk, the progress of a GIF, a record
// length with a pause; and on a desktop with a window manager (once more with a compositor
// that draws shadows) what a user's clicks reach while drawing, pausing and resuming.

#include "DesktopInput.h"
#include "FindChild.h"
#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "OvMainWindowBase.h"
#include "PlainScene.h"
#include "ScEngine.h"
#include "SmallDisk.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "capture_tools/FfColor.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"
#include "output/DlgVideoClip.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <optional>
#include <thread>

using SrTest::spinUntil;

namespace {
// Answers the preview dialog: presses "Save" (unless it saves by itself) and waits for its end.
void answerPreviewWithSave(bool press, QString* page = nullptr)
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [press, page](const OvModalRequest& request) {
        auto* dlg = qobject_cast<DlgVideoClip*>(request.widget);
        if (!dlg)
            return QVariant(0);
        if (page)
            *page = dlg->findChild<QWidget*>(QStringLiteral("stackedWidget"))
                        ->property("currentIndex").toInt() == 0 ? QStringLiteral("pageClip") : QStringLiteral("pageWaiting");
        if (press) {
            spinUntil([dlg] { return dlg->isPlayerReady(); }, 20000);
            dlg->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        }
        bool ended = false;
        QObject::connect(dlg, &QDialog::finished, [&ended] { ended = true; });
        spinUntil([&ended] { return ended; });
        return QVariant();
    });
}

// Noise, new on every frame: as much for the encoder to write as there can be.
class Noise : public QWidget {
public:
    explicit Noise(const QRect& area)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(area);
        startTimer(30);
    }

protected:
    void timerEvent(QTimerEvent*) override { update(); }
    void paintEvent(QPaintEvent*) override
    {
        QImage image(size(), QImage::Format_RGB32);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(image.bits()),
                                              image.sizeInBytes() / int(sizeof(quint32)));
        QPainter(this).drawImage(0, 0, image);
    }
};


// Every test starts from the same settings, with an empty output folder of its own.
QString prepareTest()
{
    ModalAnswers::clear();
    SrTest::usePlainScreenRecording();
    RecordParameter::instance()->setAroundMouse(false);
    RecordParameter::instance()->setMouseRecorder(true);
    RecordParameter::instance()->setVideoRect(QRect(100, 120, 640, 360));
    const QString out = SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentTestFunction()));
    Utils::setVideoOutputPath(out);
    return out;
}
} // namespace

class ControlBarTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pauseResumeStopAndSave();
    void refusedAndFailedStartsEndTheRoadWith4001();
    void engineErrorsEndTheRoadWithTheirCode();
    void unplayableRecordingIsToldAndKept();
    void recordLengthStopsAndSavesDirectly();
    void stopReturnsAtOnceAndTheEndComesThroughTheHub();
    void destroyedWhileFinishingTheFileIsStillFinished();
    void statusItemIsIdleAndPreviewBelongsToTheMainWindowOnceStopped();
    void audioOnlySizeIsThatOfTheChosenFormat();
    void barIsPlacedOutsideTheRecordedArea();
    void fullScreenOffersDrawingWhenCtrlMovesRegions();

private:
    std::optional<FakeSeam> m_seam;
    QString m_strOut;
};

void ControlBarTest::init()
{
    m_seam.emplace();
    m_strOut = prepareTest();
}

void ControlBarTest::cleanup()
{
    m_seam.reset();
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void ControlBarTest::pauseResumeStopAndSave()
{
    FakeRecording& recording = m_seam->recording;
    VideoRecCtlWdg bar;
    QSignalSpy started(&bar, &VideoRecCtlWdg::sigRecordStarted);
    QSignalSpy paused(&bar, &VideoRecCtlWdg::sigRecordPaused);
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QCOMPARE(started.count(), 1);
    QVERIFY(RecordParameter::instance()->m_bRecording.load());
    QVERIFY(bar.isVisible());
    QVERIFY(!bar.frameGeometry().intersects(RecordParameter::instance()->getVideoRect()));

    // The tick shows what the recorder reports.
    recording.duration = 2.4;
    recording.fileSize = 3 * 1048576;
    auto* time = bar.findChild<QLabel*>(QStringLiteral("lblTime"));
    QVERIFY(spinUntil([time] { return time->text() == QLatin1String("00:00:02"); }, 3000));
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lblSize"))->text(), QStringLiteral("3.00MB"));
    bar.findChild<QToolButton*>(QStringLiteral("btnPause"))->click();
    QCOMPARE(paused.count(), 1);
    QCOMPARE(paused.at(0).at(0).toBool(), true);
    QVERIFY(RecordParameter::instance()->m_bPause.load() && recording.paused);
    bar.findChild<QToolButton*>(QStringLiteral("btnResume"))->click();
    QCOMPARE(paused.at(1).at(0).toBool(), false);
    QVERIFY(!recording.paused);

    answerPreviewWithSave(true);
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QVERIFY(spinUntil([&finished] { return finished.count() == 1; }));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(!bar.isVisible());
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, m_strOut + QLatin1Char('/') + files[0]);
    // The scratch folder went with the save.
    QVERIFY(!QFileInfo::exists(QFileInfo(recording.outputPath).absolutePath()));
}

void ControlBarTest::refusedAndFailedStartsEndTheRoadWith4001()
{
    // The engine refuses to prepare: no recorder and no scratch folder are left.
    m_seam->recording.refuse = true;
    VideoRecCtlWdg refused;
    QSignalSpy finished(&refused, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(!refused.prepareRecord());
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    refused.startRecord();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4001")));
    QVERIFY(QDir(Utils::getRecorderTmpRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

    // The recorder is made but does not start: it is released and the road ends the same way.
    m_seam->recording.refuse = false;
    m_seam->recording.startOk = false;
    VideoRecCtlWdg failed;
    QSignalSpy failedEnd(&failed, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(failed.prepareRecord());
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    failed.startRecord();
    QCOMPARE(failedEnd.count(), 1);
    QCOMPARE(failedEnd.at(0).at(0).toBool(), false);
    QVERIFY(ModalAnswers::messages().value(1).contains(QLatin1String("Error code: 4001")));
    QVERIFY(m_seam->recording.released);
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(!failed.isVisible());
}

void ControlBarTest::engineErrorsEndTheRoadWithTheirCode()
{
    FakeRecording& recording = m_seam->recording;
    {
        VideoRecCtlWdg bar;
        QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
        QVERIFY(bar.prepareRecord());
        bar.startRecord();
        // A closed window is no reason to stop.
        recording.reportError(SRE_WindowLost);
        QCoreApplication::processEvents();
        QVERIFY(bar.isRecording());

        // The user takes the offer to give feedback, then leaves what was recorded up to the
        // error in the preview.
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Dialog, 0);
        ModalAnswers::push(OvModalRequest::Dialog, 0);
        recording.reportError(SRE_Encoder);
        QVERIFY(spinUntil([&] { return finished.count() == 1; }));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(recording.stopped);
        QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4003")));
        QCOMPARE(ModalAnswers::asked().value(1).className, QStringLiteral("FeedBackDialog"));
        QCOMPARE(ModalAnswers::asked().value(2).className, QStringLiteral("DlgVideoClip"));
        QVERIFY(SrTest::filesIn(m_strOut).isEmpty());
    }

    // The sound server stopping is no fault to report: the message says what happened and
    // what to do, offers no feedback, and what was recorded goes to the preview.
    {
        ModalAnswers::clear();
        VideoRecCtlWdg bar;
        QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
        QVERIFY(bar.prepareRecord());
        bar.startRecord();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Dialog, 0);
        recording.reportError(SRE_AudioDevice);
        QVERIFY(spinUntil([&] { return finished.count() == 1; }));
        const QString said = ModalAnswers::messages().value(0);
        QVERIFY2(said.contains(QLatin1String("Error code: 4005")) && said.contains(QLatin1String("sound server"))
                     && !said.contains(QLatin1String("feedback")),
                 qPrintable(said));
        QCOMPARE(ModalAnswers::asked().size(), 2);
        QCOMPARE(ModalAnswers::asked().value(1).className, QStringLiteral("DlgVideoClip"));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // No playable file could be made: said so, and no preview of nothing.
    ModalAnswers::clear();
    recording.stopOk = false;
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    bar.onStop();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(ModalAnswers::asked().size(), 1);
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4006")));
}

void ControlBarTest::unplayableRecordingIsToldAndKept()
{
    m_seam->playerFails = true;
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    answerPreviewWithSave(false);
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    bar.onStop();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 5001")));
    QVERIFY(QFileInfo::exists(m_seam->recording.outputPath));
}

void ControlBarTest::recordLengthStopsAndSavesDirectly()
{
    RecordParameter::instance()->setRecordLength(true, 2);
    RecordParameter::instance()->setAutoSave(true);
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QString page;
    answerPreviewWithSave(false, &page);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    // A second and a half is not two: the length is whole seconds recorded, not the clock's
    // rounded figure (a late tick would otherwise stop a recording half a second short).
    m_seam->recording.duration = 1.6;
    auto* time = bar.findChild<QLabel*>(QStringLiteral("lblTime"));
    QVERIFY(spinUntil([time] { return time->text() == QLatin1String("00:00:02"); }, 30000));
    QTest::qWait(2 * 1000);
    QCOMPARE(finished.count(), 0);
    m_seam->recording.duration = 2.0;
    QVERIFY(spinUntil([&] { return finished.count() == 1; }, 30000));
    QCOMPARE(bar.stopReason(), RecordStopRules::StopRecordLength);
    // Saved without the player: the dialog opened on its waiting page.
    QCOMPARE(page, QStringLiteral("pageWaiting"));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(SrTest::filesIn(m_strOut).size(), 1);
}

void ControlBarTest::stopReturnsAtOnceAndTheEndComesThroughTheHub()
{
    RecordParameter::instance()->setUsedVideoFmt(RP_FMT_GIF);
    FakeRecording& recording = m_seam->recording;
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QSignalSpy reported(SignalsTransfer::instance(), &SignalsTransfer::recordFinished);
    answerPreviewWithSave(false); // a GIF is saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    recording.holdStop();
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();

    // Back in the event loop while the GIF is made: the bar says so, with the share done.
    QCOMPARE(finished.count(), 0);
    QVERIFY(bar.isVisible() && bar.isFinishing());
    QLabel* label = bar.findChild<QLabel*>(QStringLiteral("lblFinishing"));
    QVERIFY(label->isVisible());
    recording.finishProgress = 0.4;
    QVERIFY(spinUntil([label] { return label->text().contains(QLatin1String("40%")); }, 3000));
    QCOMPARE(reported.count(), 0);

    recording.releaseStop();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
    QCOMPARE(reported.count(), 1);
    QVERIFY(finished.first().value(0).toBool());
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].endsWith(QLatin1String(".gif")));
}

void ControlBarTest::destroyedWhileFinishingTheFileIsStillFinished()
{
    FakeRecording& recording = m_seam->recording;
    std::thread finisher;
    {
        VideoRecCtlWdg bar;
        QVERIFY(bar.prepareRecord());
        bar.startRecord();
        recording.holdStop();
        bar.onStop();
        QVERIFY(bar.isFinishing());
        // The file is still being finished when the application quits.
        finisher = std::thread([&recording] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            recording.releaseStop();
        });
    }
    finisher.join();
    QVERIFY(recording.stopped && recording.released);
    QVERIFY(QFileInfo::exists(recording.outputPath));
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(ModalAnswers::asked().isEmpty());
}

void ControlBarTest::statusItemIsIdleAndPreviewBelongsToTheMainWindowOnceStopped()
{
    OvMainWindowBase mainWindow;
    TaskManage::instance()->setMainWidBase(&mainWindow);
    SystemStatusBar* status = SystemStatusBar::instance();
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    status->setSysBarState(SBS_RECORDING); // as the main window does
    bar.startRecord();

    QWidget* previewParent = nullptr;
    SysBarState duringPreview = SBS_RECORDING;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) {
        previewParent = request.widget->parentWidget();
        duringPreview = status->sysBarState();
        return QVariant(0);
    });
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QCOMPARE(status->sysBarState(), SBS_NORMAL);
    QVERIFY(!status->action(QStringLiteral("actStop"))->isVisible());
    QVERIFY(!status->action(QStringLiteral("actRecord"))->isEnabled());
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
    QCOMPARE(duringPreview, SBS_NORMAL);
    QCOMPARE(previewParent, &mainWindow);
    TaskManage::instance()->setMainWidBase(nullptr);
}

void ControlBarTest::audioOnlySizeIsThatOfTheChosenFormat()
{
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordAudio(true);
    p->setUsedAudioFmt(RP_FMT_MP3);
    p->setAudioQuality(RP_QUALITY_MEDIUM);
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(m_seam->recording.audioOnly);
    // Ten seconds of uncompressed stereo sound written.
    m_seam->recording.duration = 10.0;
    m_seam->recording.fileSize = 10 * 192000;
    QVERIFY(spinUntil([&bar] { return bar.shownFileSize() > 0; }, 3000));
    // 128 kbit/s of MP3, not the 1536 kbit/s of the uncompressed sound being written.
    QVERIFY(bar.shownFileSize() * 8 < m_seam->recording.fileSize);
    ModalAnswers::push(OvModalRequest::Dialog, 0);
    bar.onStop();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
}

void ControlBarTest::barIsPlacedOutsideTheRecordedArea()
{
    const QSize size(300, 48);
    const QRect screen(0, 0, 1920, 1080);
    bool ok = false;
    // Room below: centred under the region.
    QPoint p = VideoRecCtlWdg::placeOutside(QRect(100, 100, 800, 600), size, {screen}, &ok);
    QVERIFY(ok);
    QCOMPARE(p, QPoint(500 - 150 - 1, 706));
    // A region reaching the bottom: above it.
    p = VideoRecCtlWdg::placeOutside(QRect(100, 300, 800, 780), size, {screen}, &ok);
    QVERIFY(ok);
    QCOMPARE(p.y(), 300 - 6 - 48);
    // A region at the left edge of the screen and as tall as it: slid along to the right side.
    p = VideoRecCtlWdg::placeOutside(QRect(0, 0, 1200, 1080), size, {screen}, &ok);
    QVERIFY(ok);
    QVERIFY(!QRect(p, size).intersects(QRect(0, 0, 1200, 1080)));
    QVERIFY(screen.contains(QRect(p, size)));
    // The full screen: no place on it; a second screen takes the bar.
    VideoRecCtlWdg::placeOutside(screen, size, {screen}, &ok);
    QVERIFY(!ok);
    p = VideoRecCtlWdg::placeOutside(screen, size, {screen, QRect(1920, 0, 1280, 1024)}, &ok);
    QVERIFY(ok);
    QVERIFY(QRect(1920, 0, 1280, 1024).contains(QRect(p, size)));
}

void ControlBarTest::fullScreenOffersDrawingWhenCtrlMovesRegions()
{
    // "Follow the mouse during capturing" moves regions only: a full-screen recording keeps
    // its pen button, a region that may move has none.
    RecordParameter* p = RecordParameter::instance();
    p->setMoveRegion(true);
    const auto restore = qScopeGuard([p] { p->setMoveRegion(false); });
    const auto penOffered = [](const QRect& area) {
        RecordParameter::instance()->setVideoRect(area);
        VideoRecCtlWdg bar;
        QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
        if (!bar.prepareRecord())
            return false;
        bar.startRecord();
        const bool offered = bar.isRecording() && !bar.findChild<QToolButton*>(QStringLiteral("btnEdit"))->isHidden();
        ModalAnswers::push(OvModalRequest::Dialog, 0);
        bar.onStop();
        spinUntil([&] { return finished.count() == 1; });
        return offered;
    };
    QVERIFY(penOffered(QGuiApplication::primaryScreen()->geometry()));
    QVERIFY(!penOffered(QRect(100, 120, 640, 360)));
    p->setMoveRegion(false);
    QVERIFY(penOffered(QRect(100, 120, 640, 360)));
}

// The real engine on the X display: what only pixels, a real disk or a real encoder show.
class ControlBarRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(scInitialize(), 0); }
    void init() { m_strOut = prepareTest(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }
    void barOnTheRecordedAreaIsBlackedOut();
    void barIsBlackedOutWhereTheAreaAroundTheMouseMeetsIt();
    void gifFinishingShowsTheShareDone();
    void fullDiskKeepsTheRecordingAndPreviewsIt();
    void recordLengthLeavesThePausesOut();

private:
    QString m_strOut;
};

void ControlBarRecordingTest::barOnTheRecordedAreaIsBlackedOut()
{
    // The whole display is recorded: no place is left beside it, so the bar sits on it,
    // stays at hand, and its area is black in the recording.
    const QRect display = QGuiApplication::primaryScreen()->geometry();
    RecordParameter::instance()->setVideoRect(display);
    RecordParameter::instance()->setAutoSave(true);
    SrTest::PlainScene backdrop(display, Qt::white);
    QVERIFY(backdrop.showExposed());

    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    answerPreviewWithSave(false); // saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(bar.isVisible());
    QVERIFY(display.contains(bar.frameGeometry()));
    const QRect barArea = bar.frameGeometry();
    QTest::qWait(2000);
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QVERIFY(spinUntil([&finished] { return finished.count() == 1; }, 30000));

    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QImage image = SrTest::frameAt(m_strOut + QLatin1Char('/') + files[0], 1.0);
    QCOMPARE(image.size(), display.size());
    const QPoint inside = barArea.center() - display.topLeft();
    const QPoint outside(barArea.center().x() - display.left(), barArea.top() - display.top() - 40);
    QVERIFY2(qGray(image.pixel(inside)) < 30, "the bar's area is not blacked out");
    QVERIFY2(qGray(image.pixel(outside)) > 200, "the rest of the display is not recorded");
}

void ControlBarRecordingTest::barIsBlackedOutWhereTheAreaAroundTheMouseMeetsIt()
{
    // The area follows the pointer; the bar is placed beside where it starts. The pointer
    // then goes onto the bar and rests there: from then on the area holds the bar, which
    // must be black in every frame, while the white desktop around it is recorded.
    const QRect display = QGuiApplication::primaryScreen()->geometry();
    const QSize size(480, 320);
    RecordParameter* param = RecordParameter::instance();
    param->setAroundMouse(true);
    param->setAroundMouseSize(size);
    param->setMouseRecorder(false); // the pointer rests on the bar: only the bar is looked for
    param->setAutoSave(true);
    QVERIFY(SrTest::xdotool({"mousemove", QString::number(display.center().x()), QString::number(display.center().y())}));
    param->setVideoRect(QRect(display.center() - QPoint(size.width() / 2, size.height() / 2), size));
    SrTest::PlainScene backdrop(display, Qt::white);
    QVERIFY(backdrop.showExposed());

    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QSignalSpy moved(SignalsTransfer::instance(), &SignalsTransfer::recordRectChanged);
    answerPreviewWithSave(false); // saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(bar.isRecording() && QTest::qWaitForWindowExposed(&bar) && SrTest::waitPlaced(&bar));
    const QRect barArea = bar.frameGeometry();
    QVERIFY2(!barArea.intersects(param->getVideoRect()), "the bar starts beside the area");

    const QPoint onBar = barArea.center();
    QVERIFY(SrTest::xdotool({"mousemove", QString::number(onBar.x()), QString::number(onBar.y())}));
    const auto areaNow = [&moved] { return moved.isEmpty() ? QRect() : moved.last().value(0).toRect(); };
    QVERIFY2(spinUntil([&] { return areaNow().contains(barArea); }, 20000), "the area did not come over the bar");
    const QRect area = areaNow();
    ScreenRecorder* recorder = ScreenRecorder::instance();
    const double arrived = recorder->duration();
    // Frames queued before the area came are written a little later: the ones looked at
    // begin a while after it.
    const double settled = arrived + 0.5;
    const double kLookedAt = 1.5;
    QVERIFY(spinUntil([&] { return recorder->duration() > settled + kLookedAt + 0.5; }, 60000));
    QCOMPARE(areaNow(), area); // the pointer rested
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QVERIFY(spinUntil([&finished] { return finished.count() == 1; }, 30000));

    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QString video = m_strOut + QLatin1Char('/') + files[0];
    const QRect inFrame = barArea.translated(-area.topLeft());
    // Colours bleed a few pixels across an edge in the encoded picture.
    const int kEdge = 3;
    const QRect inner = inFrame.adjusted(kEdge, kEdge, -kEdge, -kEdge);
    const QRect around = inFrame.adjusted(-3 * kEdge, -3 * kEdge, 3 * kEdge, 3 * kEdge);
    const double kStep = 0.25;
    for (double at = settled; at <= settled + kLookedAt; at += kStep) {
        const QImage frame = SrTest::frameAt(video, at);
        QCOMPARE(frame.size(), size);
        int shown = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                shown += qGray(frame.pixel(x, y)) > 40 ? 1 : 0;
        QVERIFY2(shown == 0, qPrintable(QStringLiteral("%1 pixels of the bar at %2 s").arg(shown).arg(at)));
        for (const QPoint& p : {QPoint(around.left(), inFrame.center().y()), QPoint(around.right(), inFrame.center().y()),
                                QPoint(inFrame.center().x(), around.top()), QPoint(inFrame.center().x(), around.bottom())})
            QVERIFY2(qGray(frame.pixel(p)) > 200, "the desktop beside the bar is not recorded");
    }
}

void ControlBarRecordingTest::gifFinishingShowsTheShareDone()
{
    RecordParameter::instance()->setUsedVideoFmt(RP_FMT_GIF);
    Noise scenery(RecordParameter::instance()->getVideoRect());
    scenery.show();
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    answerPreviewWithSave(false); // a GIF is saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QTest::qWait(3000);
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QLabel* label = bar.findChild<QLabel*>(QStringLiteral("lblFinishing"));
    QStringList shown;
    // Finished, however long a busy machine takes over a noisy GIF.
    constexpr int kFinishAtMostMs = 5 * 60 * 1000;
    QVERIFY(spinUntil(
        [&] {
            shown << label->text();
            return finished.count() == 1;
        },
        kFinishAtMostMs));
    QVERIFY2(!shown.filter(QRegularExpression(QStringLiteral("[1-9]\\d*%"))).isEmpty(), qPrintable(shown.join(',')));
    QVERIFY(finished.first().value(0).toBool());
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].endsWith(QLatin1String(".gif")));
}

void ControlBarRecordingTest::fullDiskKeepsTheRecordingAndPreviewsIt()
{
    // The recording's volume: a filesystem of 3 MB.
    const SrTest::SmallDisk disk(Utils::getRecorderTmpRoot(), 3);
    if (!disk.isMounted())
        QSKIP("a small filesystem cannot be mounted here");

    RecordParameter::instance()->setUsedVideoFmt(RP_FMT_MP4);
    RecordParameter::instance()->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_HIGHEST);
    RecordParameter::instance()->setAutoSave(true);
    Noise scenery(RecordParameter::instance()->getVideoRect());
    scenery.show();
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    answerPreviewWithSave(false);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }, 60000));

    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("disk is full")));
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4004")));
    // What was recorded went through the preview and was saved like any recording.
    QCOMPARE(ModalAnswers::asked().value(1).className, QStringLiteral("DlgVideoClip"));
    QVERIFY(finished.first().value(0).toBool());
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QString saved = m_strOut + QLatin1Char('/') + files[0];
    QCOMPARE(Utils::getVideoRect(saved).size(), QSize(640, 360));
    QVERIFY2(Utils::getMediaDuration(saved) >= 0.5, qPrintable(QString::number(Utils::getMediaDuration(saved))));
}

void ControlBarRecordingTest::recordLengthLeavesThePausesOut()
{
    const int kLength = 3;
    RecordParameter::instance()->setRecordLength(true, kLength);
    RecordParameter::instance()->setAutoSave(true);
    const auto reset = qScopeGuard([] { RecordParameter::instance()->setRecordLength(false, 0); });
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    answerPreviewWithSave(false); // saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(spinUntil([] { return ScreenRecorder::instance()->duration() >= 1.0; }, 30000));
    bar.onPause();
    QTest::qWait(500);
    bar.onResume();
    QVERIFY(spinUntil([&finished] { return finished.count() == 1; }, 30000));
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    // As long as set, within a fifth of a second.
    const double length = Utils::getMediaDuration(m_strOut + QLatin1Char('/') + files[0]);
    QVERIFY2(qAbs(length - kLength) <= 0.2, qPrintable(QString::number(length)));
}

// The bar on a desktop that a window manager stacks and places (and, in a second run, that a
// compositing manager draws with shadows), driven by real clicks as a user drives it.
class ControlBarDesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCOMPARE(scInitialize(), 0);
        QVERIFY2(SrTest::awaitCompositor(), "the compositing manager did not come");
    }
    void init();
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }
    void barAnswersClicksWhileDrawing_data();
    void barAnswersClicksWhileDrawing();
    void barKeepsItsSizeAndPlaceThroughPauseAndResume_data();
    void barKeepsItsSizeAndPlaceThroughPauseAndResume();
    void drawingLeavesTheRestOfTheRegionAsBright();
    void typedTextIsRecordedWithoutBlackBoxes();

private:
    // Starts `bar` recording and waits until it is on the screen.
    static bool startShown(VideoRecCtlWdg& bar);
    // Clicks `button` of the bar and waits for `done`.
    static bool clickUntil(QWidget* button, const std::function<bool()>& done);

    QString m_strOut;
};

namespace {
const QRect kRegion(100, 120, 640, 360);
// Time for the window manager to act on a change it was asked for.
const int kSettleMs = 500;

QRect fullDisplay() { return QGuiApplication::primaryScreen()->geometry(); }

// The mean grey of `area` of `image`.
double meanGrey(const QImage& image, const QRect& area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (area.width() * area.height());
}
} // namespace

void ControlBarDesktopTest::init()
{
    m_strOut = prepareTest();
    RecordParameter::instance()->setAutoSave(true); // saved directly, without the preview
    answerPreviewWithSave(false);
}

bool ControlBarDesktopTest::startShown(VideoRecCtlWdg& bar)
{
    if (!bar.prepareRecord())
        return false;
    bar.startRecord();
    return bar.isRecording() && QTest::qWaitForWindowExposed(&bar) && SrTest::waitPlaced(&bar);
}

bool ControlBarDesktopTest::clickUntil(QWidget* button, const std::function<bool()>& done)
{
    return SrTest::waitPlaced(button->window()) && SrTest::clickAt(button) && spinUntil(done, 10000);
}

void ControlBarDesktopTest::barAnswersClicksWhileDrawing_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::newRow("region") << false;
    QTest::newRow("full screen") << true;
}

void ControlBarDesktopTest::barAnswersClicksWhileDrawing()
{
    QFETCH(bool, fullScreen);
    const QRect region = fullScreen ? fullDisplay() : kRegion;
    RecordParameter::instance()->setVideoRect(region);
    VideoRecCtlWdg bar;
    QSignalSpy paused(&bar, &VideoRecCtlWdg::sigRecordPaused);
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(startShown(bar));
    FfColor* drawing = bar.drawingBar();
    QVERIFY(clickUntil(SrTest::child(&bar, "btnEdit"), [drawing] { return drawing->isVisible(); }));
    QTest::qWait(kSettleMs);
    QVERIFY(clickUntil(SrTest::child(drawing, "btnRect"), [&bar] { return bar.isDrawing(); }));
    // A shape, away from the bar.
    const QPoint from = region.topLeft() + QPoint(60, 60);
    QVERIFY(SrTest::dragOnScreen(from, from + QPoint(200, 120)));
    QTest::qWait(kSettleMs);

    QVERIFY2(clickUntil(SrTest::child(drawing, "btnEclips"), [drawing] { return drawing->getCanvsType() == CS_Ellipse; }),
             "the tool did not change");
    QVERIFY2(clickUntil(SrTest::child(drawing, "btnLarge"), [drawing] { return drawing->getPainterSize() == 8; }),
             "the size did not change");
    QVERIFY2(clickUntil(SrTest::child(&bar, "btnPause"), [&paused] { return paused.count() == 1; }), "Pause did not react");
    QVERIFY2(clickUntil(SrTest::child(&bar, "btnResume"), [&paused] { return paused.count() == 2; }),
             "Resume did not react");
    QVERIFY2(clickUntil(SrTest::child(drawing, "btnQuitEdit"), [&bar, drawing] { return !bar.isDrawing() && !drawing->isVisible(); }),
             "Exit did not react");
    QVERIFY2(clickUntil(SrTest::child(&bar, "btnStop"), [&finished] { return finished.count() == 1; }), "Stop did not react");
    QVERIFY(finished.first().value(0).toBool());
}

void ControlBarDesktopTest::barKeepsItsSizeAndPlaceThroughPauseAndResume_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("drawingBar");
    QTest::newRow("region") << false << false;
    QTest::newRow("region, drawing tool bar open") << false << true;
    QTest::newRow("full screen") << true << false;
}

void ControlBarDesktopTest::barKeepsItsSizeAndPlaceThroughPauseAndResume()
{
    QFETCH(bool, fullScreen);
    QFETCH(bool, drawingBar);
    RecordParameter::instance()->setVideoRect(fullScreen ? fullDisplay() : kRegion);
    VideoRecCtlWdg bar;
    QSignalSpy paused(&bar, &VideoRecCtlWdg::sigRecordPaused);
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(startShown(bar));
    if (drawingBar)
        QVERIFY(clickUntil(SrTest::child(&bar, "btnEdit"), [&bar] { return bar.drawingBar()->isVisible(); }));
    QTest::qWait(kSettleMs);
    const QRect placed = bar.frameGeometry();
    QWidget* pause = SrTest::child(&bar, "btnPause");
    const QPoint pausePlace = pause->mapToGlobal(pause->rect().center());
    const auto clickPausePlace = [pausePlace] {
        return SrTest::xdotool({"mousemove", QString::number(pausePlace.x()), QString::number(pausePlace.y()), "sleep",
                                "0.1", "click", "1"});
    };

    // Pause, Resume and Pause again, each a click on the same place.
    for (int click = 1; click <= 3; ++click) {
        QVERIFY(clickPausePlace());
        QVERIFY2(spinUntil([&paused, click] { return paused.count() == click; }, 10000),
                 qPrintable(QStringLiteral("click %1 on Pause's place did not pause or resume").arg(click)));
        QCOMPARE(paused.last().value(0).toBool(), click % 2 == 1);
        QTest::qWait(kSettleMs);
        QCOMPARE(bar.frameGeometry(), placed);
    }
    QVERIFY(clickUntil(SrTest::child(&bar, "btnStop"), [&finished] { return finished.count() == 1; }));
}

void ControlBarDesktopTest::drawingLeavesTheRestOfTheRegionAsBright()
{
    // A plain grey scene; the recording's first second has no drawing layer yet, its last
    // one has a shape in a corner (and the drawing ended): the rest of the region is as
    // bright in both.
    RecordParameter::instance()->setVideoRect(kRegion);
    SrTest::PlainScene scene(kRegion, QColor(0x80, 0x80, 0x80));
    QVERIFY(scene.showExposed());
    QTest::qWait(kSettleMs);

    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(startShown(bar));
    QTest::qWait(1500);
    FfColor* drawing = bar.drawingBar();
    QVERIFY(clickUntil(SrTest::child(&bar, "btnEdit"), [drawing] { return drawing->isVisible(); }));
    QTest::qWait(kSettleMs);
    QVERIFY(clickUntil(SrTest::child(drawing, "btnRect"), [&bar] { return bar.isDrawing(); }));
    const QPoint corner = kRegion.bottomRight() - QPoint(100, 80);
    QVERIFY(SrTest::dragOnScreen(corner, corner + QPoint(60, 50)));
    QVERIFY(clickUntil(SrTest::child(drawing, "btnQuitEdit"), [&bar] { return !bar.isDrawing(); }));
    QTest::qWait(1500);
    QVERIFY(clickUntil(SrTest::child(&bar, "btnStop"), [&finished] { return finished.count() == 1; }));

    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QString video = m_strOut + QLatin1Char('/') + files[0];
    const QImage before = SrTest::frameAt(video, 0.8);
    const QImage after = SrTest::frameAt(video, Utils::getMediaDuration(video) - 0.5);
    QCOMPARE(before.size(), kRegion.size());
    QCOMPARE(after.size(), kRegion.size());
    // The middle of the region and its top-left part, both well away from the shape.
    for (const QRect& patch : {QRect(220, 80, 200, 200), QRect(10, 10, 120, 120)}) {
        const double was = meanGrey(before, patch);
        const double is = meanGrey(after, patch);
        QVERIFY2(qAbs(was - 128) < 12, qPrintable(QStringLiteral("before drawing: %1").arg(was)));
        QVERIFY2(qAbs(is - was) < 6, qPrintable(QStringLiteral("mean grey %1 with the drawing, %2 without").arg(is).arg(was)));
    }
}

namespace {
// The text being typed on the drawing canvas, when its editor shows `text`.
bool typing(const QString& text)
{
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* editor = qobject_cast<QTextEdit*>(widget); editor && editor->isVisible() && editor->toPlainText() == text)
            return true;
    return false;
}

// Where `image` has a black block of `side` x `side` pixels (its top-left corner), or
// nothing: the typed text and the scene under it are never black.
std::optional<QPoint> blackBlock(const QImage& image, int side)
{
    const int kBlackest = 50;
    const auto black = [&image](int x, int y) {
        const QRgb c = image.pixel(x, y);
        return qMax(qMax(qRed(c), qGreen(c)), qBlue(c)) < kBlackest;
    };
    for (int y = 0; y + side <= image.height(); y += side / 2)
        for (int x = 0; x + side <= image.width(); x += side / 2) {
            bool all = true;
            for (int dy = 0; dy < side && all; ++dy)
                for (int dx = 0; dx < side && all; ++dx)
                    all = black(x + dx, y + dy);
            if (all)
                return QPoint(x, y);
        }
    return std::nullopt;
}

// The pixels of `area` of `image` that are red rather than grey (thin red strokes come out
// of the encoder as pinks and dark reds).
int redPixels(const QImage& image, const QRect& area)
{
    const int kRedOverOthers = 60;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += qRed(c) > qGreen(c) + kRedOverOthers && qRed(c) > qBlue(c) + kRedOverOthers ? 1 : 0;
        }
    return count;
}
} // namespace

void ControlBarDesktopTest::typedTextIsRecordedWithoutBlackBoxes()
{
    // Two texts typed on the recorded area, each after a click of the Text tool: whatever
    // the canvas shows around the text being typed, or where its editor starts, the
    // recording has the grey scene and the red text, never a black box.
    RecordParameter::instance()->setVideoRect(kRegion);
    RecordParameter::instance()->setMouseRecorder(false);
    SrTest::PlainScene scene(kRegion, QColor(0x80, 0x80, 0x80));
    QVERIFY(scene.showExposed());
    QTest::qWait(kSettleMs);

    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(startShown(bar));
    FfColor* drawing = bar.drawingBar();
    QVERIFY(clickUntil(SrTest::child(&bar, "btnEdit"), [drawing] { return drawing->isVisible(); }));
    QTest::qWait(kSettleMs);
    QVERIFY(clickUntil(SrTest::child(drawing, "btnText"), [&bar] { return bar.isDrawing(); }));
    ScreenRecorder* recorder = ScreenRecorder::instance();
    // Lets the recording go on for `seconds` more.
    const auto recordMore = [recorder](double seconds) {
        const double until = recorder->duration() + seconds;
        return spinUntil([&] { return recorder->duration() >= until; }, 60000);
    };
    const QList<QPoint> places{kRegion.topLeft() + QPoint(200, 120), kRegion.topLeft() + QPoint(240, 240)};
    const QStringList texts{QStringLiteral("HELLO"), QStringLiteral("WORLD")};
    QList<double> typed; // a moment of the recording while each text is still being typed
    for (int i = 0; i < places.size(); ++i) {
        const QPoint at = places[i];
        QVERIFY(SrTest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click", "1"}));
        QVERIFY2(spinUntil([] { return typing(QString()); }, 10000), "no text editor opened");
        QVERIFY(recordMore(0.5));
        QVERIFY(SrTest::typeText(texts[i]));
        QVERIFY2(spinUntil([&] { return typing(texts[i]); }, 10000), "the typed text did not reach the editor");
        typed << recorder->duration() + 0.5;
        QVERIFY(recordMore(1.0));
    }
    QVERIFY(clickUntil(SrTest::child(drawing, "btnQuitEdit"), [&bar] { return !bar.isDrawing(); }));
    QVERIFY(recordMore(1.0));
    QVERIFY(clickUntil(SrTest::child(&bar, "btnStop"), [&finished] { return finished.count() == 1; }));

    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QString video = m_strOut + QLatin1Char('/') + files[0];
    const double length = Utils::getMediaDuration(video);
    const double kStep = 0.2;
    const int kBlockSide = 6;
    // Where an editor that is not yet in its place would show, nothing is drawn at all.
    const QRect corner(0, 0, 40, 40);
    for (double t = 0.1; t < length; t += kStep) {
        const QImage frame = SrTest::frameAt(video, t);
        QCOMPARE(frame.size(), kRegion.size());
        if (const std::optional<QPoint> black = blackBlock(frame, kBlockSide))
            QFAIL(qPrintable(QStringLiteral("black at %1,%2 at %3 s").arg(black->x()).arg(black->y()).arg(t)));
        int marks = redPixels(frame, corner);
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            for (int x = corner.left(); x <= corner.right(); ++x)
                marks += qGray(frame.pixel(x, y)) < 30 ? 1 : 0;
        QVERIFY2(marks == 0, qPrintable(QStringLiteral("%1 pixels drawn in the corner at %2 s").arg(marks).arg(t)));
    }
    // Each text shows while it is typed, and both stay where they were typed.
    const QImage last = SrTest::frameAt(video, length - 0.3);
    const int kTextPixels = 100;
    for (int i = 0; i < places.size(); ++i) {
        const QRect textArea(places[i] - kRegion.topLeft() - QPoint(10, 10), QSize(120, 40));
        QVERIFY2(redPixels(SrTest::frameAt(video, typed[i]), textArea) > kTextPixels,
                 qPrintable(QStringLiteral("%1 does not show while it is typed").arg(texts[i])));
        QVERIFY2(redPixels(last, textArea) > kTextPixels, qPrintable(QStringLiteral("%1 is not kept").arg(texts[i])));
    }
}

SR_TEST(ControlBarTest)
SR_TEST_DISPLAY(ControlBarRecordingTest)
SR_TEST_DISPLAY(ControlBarDesktopTest)
#include "tst_controlbar.moc"
