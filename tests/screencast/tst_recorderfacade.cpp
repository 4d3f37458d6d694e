// The recorder facade driven by the settings model, recording the real Xvfb screen.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"
#include "RecorderSupport.h"

#include "core/RecordBoundary.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"
#include "services/Utils.h"
#include "services/PlatformSeam.h"
#include "recording/FfFloatWindow.h"
#include "DesktopInput.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <memory>

using namespace RecorderTest;
using SrTest::frameAt;
using SrTest::nearColour;

namespace {
// Records the settings model's area for `ms` milliseconds; the file, or empty.
QString recordFor(int ms)
{
    ScreenRecorder* recorder = ScreenRecorder::instance();
    if (!recorder->recordVideo() || !recorder->start())
        return QString();
    spin(ms);
    return recorder->stop() ? recorder->outputPath() : QString();
}
} // namespace

class RecorderFacadeTest : public QObject {
    Q_OBJECT

private:
    // Counts the watermark hand-overs to the engine; the recorders stay real.
    struct HandOverCounter : PlatformSeam {
        int count = 0;
        void setWatermark(const char*, int, int, int, int) override { ++count; }
    } m_handOvers;

    static void resetSettings()
    {
        RecordParameter* p = RecordParameter::instance();
        p->setVideoRect(QRect(0, 0, 400, 300));
        p->setWindowRecord(false);
        p->setWindowList({});
        p->setAroundMouse(false);
        p->setFollowMouse(false);
        p->setOnlyRecordAudio(false);
        p->setSystemAudioEnable(false);
        p->setMicrophoneEnable(false);
        p->setUsedVideoFmt(RP_FMT_MOV);
        p->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_MEDIUM);
        p->setMouseRecorder(true);
        p->setMouseClick(RP_CLICK_NONE);
        p->setMouseShow(false);
        p->setShowBoundary(false);
        p->setExcludeFloatBar(false);
        p->setMoveRegion(false);
    }

private slots:
    void initTestCase()
    {
        scInitialize();
        PlatformSeam::install(&m_handOvers);
    }
    void init()
    {
        resetSettings();
        m_handOvers.count = 0;
    }
    void cleanupTestCase()
    {
        PlatformSeam::install(nullptr);
        ScreenRecorder::release();
    }

    void recordsTheScreenAsTheSettingsSay()
    {
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(recorder->recordVideo());
        QCOMPARE(m_handOvers.count, 1); // the watermark goes over once, before the recorder starts
        SrTest::RecordedSpan span;
        QVERIFY(span.mark([&] { return recorder->start(); }));
        QVERIFY(recorder->isRecording());
        spin(1500);
        QVERIFY(recorder->duration() > 0);
        QVERIFY(span.mark([&] { return recorder->stop(); }));
        QVERIFY(!recorder->isRecording());
        const QString file = recorder->outputPath();
        QCOMPARE(QFileInfo(QFileInfo(file).absolutePath()).absolutePath(), Utils::getRecorderTmpRoot());
        QCOMPARE(QFileInfo(file).suffix(), QStringLiteral("mov"));
        QCOMPARE(videoSize(file), QSize(400, 300));
        QCOMPARE(MediaTest::probe(file).codecs.value(0), QStringLiteral("h264"));
        QVERIFY2(span.holds(durationOf(file), kLateStart, kLastFrame), qPrintable(QString::number(durationOf(file))));
        QVERIFY(recorder->fileSize() > 0);
        // A second recording never overwrites the first.
        QVERIFY(recorder->recordVideo() && recorder->start());
        spin(500);
        QVERIFY(recorder->stop());
        QVERIFY(recorder->outputPath() != file);
        QVERIFY(QFile::exists(file));
    }

    void gifFormatRecordsAGif()
    {
        RecordParameter::instance()->setUsedVideoFmt(RP_FMT_GIF);
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(recorder->recordVideo() && recorder->start());
        spin(1000);
        QVERIFY(recorder->stop());
        QCOMPARE(QFileInfo(recorder->outputPath()).suffix(), QStringLiteral("gif"));
        QCOMPARE(MediaTest::probe(recorder->outputPath()).format, QStringLiteral("gif"));
    }

    void optionsTheEngineCannotRecordAreRefused()
    {
        RecordParameter::instance()->setUsedVideoFmt(RP_FMT_MP4);
        RecordParameter::instance()->setVideoOpt(30, RP_CODEC_PRORES422, RP_QUALITY_MEDIUM);
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(!recorder->recordVideo());
        QVERIFY(!recorder->start());
        QCOMPARE(m_handOvers.count, 1); // handed over even so: no watermark of an earlier recording lingers
    }

    void engineErrorsReachTheSignalHub()
    {
        QSignalSpy errors(SignalsTransfer::instance(), &SignalsTransfer::recordError);
        RecordParameter* p = RecordParameter::instance();
        p->setWindowRecord(true);
        p->setWindowMode(WM_SINGLE);
        p->setWindowList({0x7fffff0}); // no such window
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(recorder->recordVideo());
        QVERIFY(!recorder->start());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().value(0).toInt(), int(SRE_CaptureOpen));
    }

    void noCursorMeansNoClickEffectsOrHighlight()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(0, 0, 600, 500));
        RecordParameter* p = RecordParameter::instance();
        p->setVideoRect(QRect(100, 100, 200, 160));
        p->setMouseShow(true);
        p->setMouseColor(QColor("#0000ff"), QColor("#ff0000"));
        p->setMouseClick(RP_CLICK_SHOW);
        QVERIFY(SrTest::xdotool({"mousemove", "200", "180", "mousedown", "1"}));
        // Left of the pointer: inside the halo and the highlight, clear of the arrow.
        const QPoint nearPointer(85, 80);
        const QString withCursor = recordFor(1000);
        p->setMouseRecorder(false);
        const QString withoutCursor = recordFor(1000);
        QVERIFY(SrTest::xdotool({"mouseup", "1"}));
        QVERIFY(!withCursor.isEmpty() && !withoutCursor.isEmpty());
        QVERIFY2(!nearColour(frameAt(withCursor, 0.5).pixel(nearPointer), Qt::white), "effects drawn with the cursor");
        QVERIFY2(nearColour(frameAt(withoutCursor, 0.5).pixel(nearPointer), Qt::white), "none without it");
    }

    void boundaryFramesTheAreaOutsideTheRecording()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(200, 100, 600, 500));
        RecordParameter* p = RecordParameter::instance();
        const QRect area(300, 200, 400, 300);
        p->setVideoRect(area);
        ScreenRecorder* recorder = ScreenRecorder::instance();

        QVERIFY(recorder->recordVideo() && recorder->start());
        spin(500);
        QVERIFY2(!shownBoundary(), "the option is off");
        QVERIFY(recorder->stop());

        p->setShowBoundary(true);
        QVERIFY(recorder->recordVideo() && recorder->start());
        QVERIFY(SrTest::spinUntil([] { return shownBoundary() != nullptr; }, 5000));
        spin(800);
        const QRect outer = shownBoundary()->outerRect();
        QVERIFY(outer.contains(area) && outer != area);
        // On the screen the frame lies just outside the area, on each side.
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const int line = RecordBoundary::kGap + RecordBoundary::kLine / 2 + 1;
        const QColor red(0xd9, 0x25, 0x2b);
        for (const QPoint& at : {QPoint(area.left() - line, area.center().y()), QPoint(area.right() + line, area.center().y()),
                                 QPoint(area.center().x(), area.top() - line), QPoint(area.center().x(), area.bottom() + line)})
            QVERIFY2(nearColour(screen.pixel(at), red), qPrintable(QStringLiteral("no frame at %1,%2").arg(at.x()).arg(at.y())));
        QVERIFY(recorder->stop());
        QVERIFY2(!shownBoundary(), "the frame goes with the recording");
        // The recording's edges show what is under the area, not the frame.
        const QImage frame = frameAt(recorder->outputPath(), 0.5);
        for (const QPoint& at : {QPoint(0, 150), QPoint(399, 150), QPoint(200, 0), QPoint(200, 299)})
            QVERIFY(nearColour(frame.pixel(at), Qt::white));
    }

    void floatPanelIsLeftOutOnlyWhenExcluded()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(1420, 240, 500, 600));
        FfFloatWindow panel;
        panel.toggle();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(SrTest::xdotool({"mousemove", "100", "100"}));
        spin(1000); // slid out to its grip
        const QRect shown = panel.frameGeometry() & QGuiApplication::primaryScreen()->geometry();
        QVERIFY(!shown.isEmpty());
        RecordParameter* p = RecordParameter::instance();
        const QRect area(1520, 240, 400, 600);
        p->setVideoRect(area);
        const QPoint at = shown.center() - area.topLeft();
        const QString included = recordFor(1000);
        p->setExcludeFloatBar(true);
        const QString excluded = recordFor(1000);
        QVERIFY(!included.isEmpty() && !excluded.isEmpty());
        QVERIFY2(!nearColour(frameAt(included, 0.5).pixel(at), Qt::black, 12), "the panel is recorded by default");
        QVERIFY2(nearColour(frameAt(excluded, 0.5).pixel(at), Qt::black, 12), "excluded, it is blacked out");
        QVERIFY(nearColour(frameAt(excluded, 0.5).pixel(at - QPoint(60, 0)), Qt::white));
    }

    void audioOnlyRecordingHandsItsTracksOver()
    {
        RecordParameter* p = RecordParameter::instance();
        p->setOnlyRecordAudio(true);
        p->setSystemAudioEnable(true);
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(recorder->recordAudio());
        SrTest::RecordedSpan span;
        QVERIFY(span.mark([&] { return recorder->start(); }));
        spin(1500);
        QVERIFY(span.mark([&] { return recorder->stop(); }));
        QVERIFY(recorder->outputPath().startsWith(Utils::getRecorderTmpRoot()));
        QVERIFY(span.holds(scGetLastAudioDuration(), kLateStart, kLastFrame));
        QCOMPARE(m_handOvers.count, 0); // no watermark for sound
        p->setSystemAudioEnable(false);
        QVERIFY(!recorder->recordAudio());
    }
};

SR_TEST_DISPLAY(RecorderFacadeTest)

#include "tst_recorderfacade.moc"
