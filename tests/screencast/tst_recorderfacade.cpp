// The recorder facade driven by the settings model, recording the real Xvfb screen.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"
#include "RecorderSupport.h"

#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"
#include "services/Utils.h"
#include "services/PlatformSeam.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace RecorderTest;

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
