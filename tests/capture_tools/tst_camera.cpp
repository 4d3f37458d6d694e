// The webcam window and its rules: the tick rules with a made-up clock and free space; with
// the synthetic camera, a timed stop lasts its length, a start or an end that fails tells
// the user by its code and leaves the window idle, photos taken in one second are all kept,
// and the overlay window is in a screen recording where it stands.

#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "ScCamera.h"
#include "Screencast.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "../screencast/RecorderSupport.h"
#include "capture_tools/CameraDlg.h"
#include "capture_tools/CameraTickRules.h"
#include "core/CameraManager.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "output/DlgVideoClip.h"
#include "services/Utils.h"

#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using SrTest::spinUntil;

class CameraRulesTest : public QObject {
    Q_OBJECT
private slots:
    void lowSpaceStopsEvenBeforeStopIsOffered()
    {
        qint64 free = CameraTickRules::kMinFreeBytes;
        CameraTickRules rules(CameraTickRules::Settings(), [&free] { return free; });
        const CameraTickRules::Result first = rules.tick(1);
        QVERIFY(!first.stopEnabled);
        QCOMPARE(first.action, CameraTickRules::StopLowSpace);
        free = CameraTickRules::kMinFreeBytes + 1;
        QCOMPARE(rules.tick(6).action, CameraTickRules::Continue);
        QCOMPARE(rules.lastFreeSpace(), free);
    }

    void stopIsOfferedFromFourSecondsAndPlannedEndsWaitForIt()
    {
        CameraTickRules::Settings settings;
        settings.timerEnabled = true;
        settings.timerStop = [](qint64) { return true; };
        CameraTickRules rules(settings, [] { return qint64(-1); });
        QCOMPARE(rules.tick(3).action, CameraTickRules::Continue);
        QVERIFY(!rules.tick(3).stopEnabled);
        const CameraTickRules::Result at4 = rules.tick(4);
        QVERIFY(at4.stopEnabled);
        QCOMPARE(at4.action, CameraTickRules::StopTimer);
        // Found ahead, so that the window stops when that second is recorded, between ticks.
        QCOMPARE(rules.plannedStopAfter(1.5), qint64(-1));
        QCOMPARE(rules.plannedStopAfter(2.5), qint64(4));
        settings.timerStop = [](qint64 seconds) { return seconds >= 6; };
        QCOMPARE(CameraTickRules(settings, {}).plannedStopAfter(4.9), qint64(6));
    }

    void taskRuleReplacesTimerRule()
    {
        bool taskDone = false;
        CameraTickRules::Settings settings;
        settings.tasking = true;
        settings.taskStop = [&taskDone](qint64) { return taskDone; };
        settings.timerEnabled = true;
        settings.timerStop = [](qint64) { return true; };
        CameraTickRules rules(settings, [] { return qint64(-1); });
        QCOMPARE(rules.tick(10).action, CameraTickRules::Continue);
        taskDone = true;
        QCOMPARE(rules.tick(11).action, CameraTickRules::StopTask);
    }
};
SR_TEST(CameraRulesTest)

class CameraDlgTest : public QObject {
    Q_OBJECT
    QString tempFile() const { return Utils::getRecorderTmpRoot() + QStringLiteral("/.CaptureCamera.mov"); }

private slots:
    void init()
    {
        scSetSyntheticCamera("1");
        ModalAnswers::clear();
    }
    void cleanup()
    {
        CameraManager::release();
        QDir(tempFile()).removeRecursively();
        QFile::remove(tempFile());
        RecordParameter::instance()->m_bRecording = false;
        RecordParameter::instance()->setTimerEnable(false);
        scSetSyntheticCamera(nullptr);
    }

    void timedStopLastsItsLength()
    {
        constexpr qint64 kSeconds = 5;
        RecordParameter* param = RecordParameter::instance();
        param->setTimerEnable(true);
        param->setTimerRepeat(false);
        param->setTimerDuration(kSeconds);
        param->setTimerStopEvent(RSE_NOTHING);
        CameraDlg dlg(true);
        double length = -1;
        // Read when the finished recording is previewed.
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest&) {
            length = Utils::getMediaDuration(dlg.tempFile());
            return QVariant(0);
        });
        dlg.on_btnRec_clicked();
        QVERIFY(spinUntil([&] { return length >= 0; }, 30000));
        QVERIFY2(qAbs(length - kSeconds) <= 0.2, qPrintable(QString::number(length)));
    }

    void failedStartLeavesTheWindowIdleWithItsCode_data()
    {
        QTest::addColumn<bool>("cameraBusy");
        // Something that is not a file stands where the recording goes.
        QTest::newRow("file cannot be written") << false;
        // Another program holds the camera: it is listed but does not open.
        QTest::newRow("camera held elsewhere") << true;
    }
    void failedStartLeavesTheWindowIdleWithItsCode()
    {
        QFETCH(bool, cameraBusy);
        FakeSeam seam;
        if (cameraBusy)
            seam.busyCameras << QStringLiteral(SC_SYNTHETIC_CAMERA_NAME);
        else
            QVERIFY(QDir().mkpath(tempFile()));
        CameraDlg dlg(true);
        QCOMPARE(CameraManager::instance()->isCameraRunning(), !cameraBusy);
        ModalAnswers::push(OvModalRequest::MessageBox, QMessageBox::Cancel);
        dlg.on_btnRec_clicked();
        QVERIFY(ModalAnswers::messages().value(0).contains(QStringLiteral("1001")));
        QVERIFY(!dlg.isBusy());
        QVERIFY(!RecordParameter::instance()->m_bRecording);
        QVERIFY(!dlg.findChild<QWidget*>(QStringLiteral("btnRec"))->isHidden());
        QVERIFY(dlg.findChild<QWidget*>(QStringLiteral("btnStop"))->isHidden());
        if (cameraBusy)
            QVERIFY(!QFileInfo::exists(tempFile()));
    }

    void failedEndTellsItsCodeAndClosingNeverDropsTheRecording()
    {
        CameraDlg dlg(true);
        dlg.on_btnRec_clicked();
        QVERIFY(dlg.isBusy());
        QTest::qWait(1500);
        // The finished file cannot be made where it belongs.
        QVERIFY(QDir().mkpath(tempFile()));
        // Closing asks first and, in the first seconds too, ends the recording.
        ModalAnswers::push(OvModalRequest::MessageBox, QMessageBox::Yes);
        ModalAnswers::push(OvModalRequest::MessageBox, QMessageBox::Cancel);
        // What was written is still offered for saving.
        QString offered;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&offered](const OvModalRequest& request) {
            if (auto* preview = qobject_cast<DlgVideoClip*>(request.widget))
                offered = preview->clipFile();
            return QVariant(0);
        });
        QSignalSpy closes(&dlg, &CameraDlg::closes);
        dlg.close();
        QVERIFY(spinUntil([&] { return !dlg.isBusy(); }, 30000));
        const QStringList messages = ModalAnswers::messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages.at(1).contains(QStringLiteral("1002")));
        QVERIFY(!offered.isEmpty());
        // ... and kept.
        QCOMPARE(QDir(Utils::getRecorderTmpRoot())
                     .entryList({QStringLiteral(".CaptureCamera.mov?*")}, QDir::Files | QDir::Hidden)
                     .size(),
                 1);
        QVERIFY(spinUntil([&] { return closes.count() == 1; }, 5000));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
        QVERIFY(!RecordParameter::instance()->m_bRecording);
    }

    void photosInOneSecondAreAllKept()
    {
        CameraDlg dlg(true);
        QVERIFY(spinUntil([] {
            int w = 0, h = 0;
            CameraManager::instance()->getVideoSize(w, h);
            return w > 0;
        }, 5000));
        QTest::qWait(300); // a first picture
        // Early in a second, so that all three land in it.
        QVERIFY(spinUntil([] { return QTime::currentTime().msec() < 300; }, 2000));
        for (int i = 0; i < 3; ++i)
            dlg.snapshot();
        const QStringList photos = QDir(Utils::getSnapshotPath()).entryList({QStringLiteral("Camera_*.jpg")}, QDir::Files);
        QCOMPARE(photos.size(), 3);
        const QString first = photos.filter(QRegularExpression(QStringLiteral("^Camera_[0-9_-]+\\.jpg$"))).value(0);
        QVERIFY(!first.isEmpty());
        const QString stem = first.chopped(4);
        QVERIFY(photos.contains(stem + QStringLiteral("(1).jpg")));
        QVERIFY(photos.contains(stem + QStringLiteral("(2).jpg")));
        int entries = 0;
        for (const HistoryFileUtils::HistoryFile& entry : HistoryFileUtils::savefileHistroy())
            entries += entry.fileName.startsWith(stem) && entry.resolution == QStringLiteral("1280*720") ? 1 : 0;
        QCOMPARE(entries, 3);
    }
};
SR_TEST(CameraDlgTest)

class CameraOverlayTest : public QObject {
    Q_OBJECT
private slots:
    void screenRecordingShowsTheOverlayWhereItStands()
    {
        using namespace RecorderTest;
        QCOMPARE(scInitialize(), 0);
        scSetSyntheticCamera("1");
        RecordParameter::instance()->m_bRecording = true; // a screen recording runs
        {
            CameraDlg overlay(false);
            overlay.setGeometry(100, 80, 320, 180);
            overlay.show();
            QVERIFY(QTest::qWaitForWindowExposed(&overlay));
            QTest::qWait(800);
            const QWidget* render = overlay.findChild<QWidget*>(QStringLiteral("wdgRender"));
            const QRect place(render->mapToGlobal(QPoint(0, 0)), render->size());
            const QString video = SrTest::newFolder(QStringLiteral("overlay")) + QStringLiteral("/screen.mp4");
            Reports reports;
            ScVideoOptions options;
            options.codec = VC_H264;
            options.container = OVFT_MP4;
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            options.rect = rectOf(screen.x(), screen.y(), screen.width(), screen.height());
            QVERIFY(record(reports, options, video, 1.5).stopped);
            const QImage frame = SrTest::frameAt(video, 1.0);
            QVERIFY(!frame.isNull());
            // The camera's moving test picture has many colours; the bare screen has one.
            QSet<QRgb> inside, outside;
            for (int y = place.top() + 4; y < place.bottom() - 4; y += 6)
                for (int x = place.left() + 4; x < place.right() - 4; x += 6)
                    inside.insert(frame.pixel(x, y) & 0xF0F0F0);
            for (int y = place.bottom() + 40; y < place.bottom() + 100; y += 6)
                for (int x = place.left(); x < place.right(); x += 6)
                    outside.insert(frame.pixel(x, y) & 0xF0F0F0);
            QVERIFY2(inside.size() > 20, qPrintable(QString::number(inside.size())));
            QVERIFY(outside.size() < 5);
        }
        // The overlay left the screen recording's state alone.
        QVERIFY(RecordParameter::instance()->m_bRecording);
        RecordParameter::instance()->m_bRecording = false;
        scSetSyntheticCamera(nullptr);
    }
};
SR_TEST_DISPLAY(CameraOverlayTest)

#include "tst_camera.moc"
