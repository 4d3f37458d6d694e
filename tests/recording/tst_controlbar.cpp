// The control bar driving real recordings of the X display and the sound server, with the
// preview dialog and every message answered through the scripted modal answers.

#include "ModalAnswers.h"
#include "OvMainWindowBase.h"
#include "ScEngine.h"
#include "ScRecorder.h"
#include "OvResourceMgr.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"
#include "output/DlgVideoClip.h"
#include "output/HistoryFileUtils.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QAction>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <sys/mount.h>

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
            if (!qEnvironmentVariableIsEmpty("SR_SCREENSHOT_DIR")) {
                OvResourceMgr::instance()->setSkin(QStringLiteral("default"));
                dlg->resize(900, 600);
                dlg->show();
                QTest::qWait(1500);
                dlg->grab().save(qEnvironmentVariable("SR_SCREENSHOT_DIR") + QStringLiteral("/preview-dialog.png"));
            }
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

void resetSettings()
{
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordAudio(false);
    p->setOnlyRecordCamera(false);
    p->setWindowRecord(false);
    p->setUsedVideoFmt(RP_FMT_MOV);
    p->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_MEDIUM);
    p->setSystemAudioEnable(true);
    p->setMicrophoneEnable(false);
    p->setRecordLength(false, 0);
    p->setTimerEnable(false);
    p->setAutoSave(false);
    p->m_bHideCtrlBar = false;
}
} // namespace

class ControlBarTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(scInitialize(), 0); }
    void init();
    void recordPauseResumeStopAndSave();
    void recordLengthStopsAndSavesDirectly();
    void engineErrorStopsWithItsCode();
    void refusedRecorderEndsTheRoad();
    void barIsPlacedOutsideTheRecordedArea();
    void barOnTheRecordedAreaIsBlackedOut();
    void stopReturnsAtOnceAndTheEndComesThroughTheHub();
    void destroyedWhileFinishingTheFileIsStillFinished();
    void fullDiskKeepsTheRecordingAndPreviewsIt();
    void statusItemIsIdleAndPreviewBelongsToTheMainWindowOnceStopped();
    void audioOnlySizeIsThatOfTheChosenFormat();

private:
    QString m_strOut;
};

void ControlBarTest::init()
{
    ModalAnswers::clear();
    resetSettings();
    m_strOut = SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentTestFunction()));
    Utils::setVideoOutputPath(m_strOut);
    RecordParameter::instance()->setVideoRect(QRect(100, 120, 640, 360));
}

void ControlBarTest::recordPauseResumeStopAndSave()
{
    // Something to record in the region.
    QLabel scenery(QStringLiteral("Quarterly figures\n\n  North   1,240\n  South     980\n  East    1,515"));
    scenery.setWindowFlags(Qt::FramelessWindowHint);
    scenery.setStyleSheet(QStringLiteral("background:#1d4e89; color:white; font-size:34px; padding:30px;"));
    scenery.setGeometry(RecordParameter::instance()->getVideoRect());
    scenery.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scenery));

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

    QTest::qWait(2000);
    if (!qEnvironmentVariableIsEmpty("SR_SCREENSHOT_DIR"))
        bar.grab().save(qEnvironmentVariable("SR_SCREENSHOT_DIR") + QStringLiteral("/control-bar.png"));
    bar.findChild<QToolButton*>(QStringLiteral("btnPause"))->click();
    QCOMPARE(paused.count(), 1);
    QCOMPARE(paused.at(0).at(0).toBool(), true);
    QVERIFY(RecordParameter::instance()->m_bPause.load());
    const QString shown = bar.findChild<QLabel*>(QStringLiteral("lblTime"))->text();
    QTest::qWait(1200);
    // The clock stands while paused.
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lblTime"))->text(), shown);
    bar.findChild<QToolButton*>(QStringLiteral("btnResume"))->click();
    QCOMPARE(paused.at(1).at(0).toBool(), false);
    QTest::qWait(1000);

    answerPreviewWithSave(true);
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();
    QVERIFY(spinUntil([&finished] { return finished.count() == 1; }));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(!bar.isVisible());

    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    const QString saved = m_strOut + QLatin1Char('/') + files[0];
    // Three recorded seconds: the paused one is not in the file.
    const double length = Utils::getMediaDuration(saved);
    QVERIFY2(qAbs(length - 3.0) <= 0.5, qPrintable(QString::number(length)));
    QCOMPARE(Utils::getVideoRect(saved).size(), QSize(640, 360));
    QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, saved);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
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
    QVERIFY(spinUntil([&] { return finished.count() == 1; }, 30000));
    QCOMPARE(bar.stopReason(), RecordStopRules::StopRecordLength);
    // Saved without the player: the dialog opened on its waiting page.
    QCOMPARE(page, QStringLiteral("pageWaiting"));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    QVERIFY(qAbs(Utils::getMediaDuration(m_strOut + QLatin1Char('/') + files[0]) - 2.0) <= 0.5);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void ControlBarTest::engineErrorStopsWithItsCode()
{
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QTest::qWait(1500);
    // A closed window is no reason to stop.
    emit SignalsTransfer::instance()->recordError(SRE_WindowLost);
    QTest::qWait(100);
    QVERIFY(bar.isRecording());

    // The user takes the offer to give feedback, then leaves what was recorded up to the
    // error in the preview.
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    ModalAnswers::push(OvModalRequest::Dialog, 0);
    ModalAnswers::push(OvModalRequest::Dialog, 0);
    emit SignalsTransfer::instance()->recordError(SRE_Encoder);
    QVERIFY(spinUntil([&] { return finished.count() == 1; }, 30000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4003")));
    QCOMPARE(ModalAnswers::asked().value(1).className, QStringLiteral("FeedBackDialog"));
    QCOMPARE(ModalAnswers::asked().value(2).className, QStringLiteral("DlgVideoClip"));
    QVERIFY(SrTest::filesIn(m_strOut).isEmpty());
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void ControlBarTest::refusedRecorderEndsTheRoad()
{
    // No area to record: the engine refuses to prepare.
    RecordParameter::instance()->setVideoRect(QRect());
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(!bar.prepareRecord());
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
    bar.startRecord();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("Error code: 4001")));
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(!bar.isVisible());
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

void ControlBarTest::barOnTheRecordedAreaIsBlackedOut()
{
    // The whole display is recorded: no place is left beside it, so the bar sits on it,
    // stays at hand, and its area is black in the recording.
    const QRect display = QGuiApplication::primaryScreen()->geometry();
    RecordParameter::instance()->setVideoRect(display);
    RecordParameter::instance()->setAutoSave(true);
    QWidget backdrop;
    backdrop.setWindowFlags(Qt::FramelessWindowHint);
    backdrop.setStyleSheet(QStringLiteral("background:#ffffff;"));
    backdrop.setGeometry(display);
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));

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

void ControlBarTest::stopReturnsAtOnceAndTheEndComesThroughTheHub()
{
    RecordParameter::instance()->setUsedVideoFmt(RP_FMT_GIF);
    Noise scenery(RecordParameter::instance()->getVideoRect());
    scenery.show();
    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QSignalSpy reported(SignalsTransfer::instance(), &SignalsTransfer::recordFinished);
    answerPreviewWithSave(false); // a GIF is saved directly
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QTest::qWait(3000);
    bar.findChild<QToolButton*>(QStringLiteral("btnStop"))->click();

    // Back in the event loop while the GIF is made: the bar says so, with the share done.
    QCOMPARE(reported.count(), 0);
    QCOMPARE(finished.count(), 0);
    QVERIFY(bar.isVisible());
    QLabel* label = bar.findChild<QLabel*>(QStringLiteral("lblFinishing"));
    QVERIFY(label->isVisible());
    QStringList shown;
    QVERIFY(spinUntil([&] {
        shown << label->text();
        return reported.count() == 1;
    }));
    QVERIFY(reported.first().value(0).toBool());
    QVERIFY2(!shown.filter(QRegularExpression(QStringLiteral("[1-9]\\d*%"))).isEmpty(), qPrintable(shown.join(',')));
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
    QVERIFY(finished.first().value(0).toBool());
    const QStringList files = SrTest::filesIn(m_strOut);
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].endsWith(QLatin1String(".gif")));
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void ControlBarTest::destroyedWhileFinishingTheFileIsStillFinished()
{
    QString file;
    {
        VideoRecCtlWdg bar;
        QVERIFY(bar.prepareRecord());
        bar.startRecord();
        QTest::qWait(1500);
        file = ScreenRecorder::instance()->outputPath();
        bar.onStop();
        QVERIFY(bar.isFinishing());
    } // the application quits
    QVERIFY(!RecordParameter::instance()->m_bRecording.load());
    QVERIFY(qAbs(Utils::getMediaDuration(file) - 1.5) <= 0.4);
    QVERIFY(ModalAnswers::asked().isEmpty());
}

void ControlBarTest::fullDiskKeepsTheRecordingAndPreviewsIt()
{
    // The recording's volume: a filesystem of 3 MB.
    const QByteArray scratch = QFile::encodeName(Utils::getRecorderTmpRoot());
    if (::mount("tmpfs", scratch.constData(), "tmpfs", 0, "size=3m") != 0)
        QSKIP("a small filesystem cannot be mounted here");
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{scratch};

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
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
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
    QTest::qWait(1000);

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
    // The sound server delivers in chunks: the size shows from the first tick after one.
    QVERIFY(spinUntil([&bar] { return bar.shownFileSize() > 0; }, 10000));
    // 128 kbit/s of MP3, not the 1536 kbit/s of the uncompressed sound being written.
    QVERIFY(bar.shownFileSize() * 8 < ScreenRecorder::instance()->fileSize());
    ModalAnswers::push(OvModalRequest::Dialog, 0);
    bar.onStop();
    QVERIFY(spinUntil([&] { return finished.count() == 1; }));
}

SR_TEST_DISPLAY(ControlBarTest)
#include "tst_controlbar.moc"
