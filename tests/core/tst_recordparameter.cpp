#include "OvSettings.h"
#include "TestMain.h"
#include "core/RecordParameter.h"

#include <QTest>
#include <QThread>

class RecordParameterTest : public QObject {
    Q_OBJECT
private slots:
    // Stored settings files rely on these keys and value forms.
    void storedKeysOthersRelyOn()
    {
        RecordParameter* p = RecordParameter::instance();
        OvSettings* s = OvSettings::instance();
        p->setVideoOpt(60, RP_CODEC_PRORES4444, RP_QUALITY_LOSSLESS);
        p->setMouseColor(QColor(1, 2, 3), QColor(4, 5, 6));
        p->setUsedVideoFmt(RP_FMT_GIF);
        s->reload();
        QCOMPARE(s->applicationParam("VideoFrameRate").toInt(), 60);
        QCOMPARE(s->applicationParam("VideoCodec").toInt(), int(RP_CODEC_PRORES4444));
        QCOMPARE(s->applicationParam("VideoQuality").toInt(), int(RP_QUALITY_LOSSLESS));
        QCOMPARE(s->applicationParam("VideoFormat").toInt(), int(RP_FMT_GIF));
        QCOMPARE(s->applicationParam("MouseOpt/ColorHighLight").toString(), QStringLiteral("#010203"));
        QCOMPARE(p->getMouseNormalColor(), QColor(4, 5, 6));
    }

    void timedStopNeedsItsSwitchAndDuration()
    {
        RecordParameter* p = RecordParameter::instance();
        p->setTimerDuration(10);
        p->setTimerEnable(false);
        QVERIFY(!p->needStopRecord(100));
        p->setTimerEnable(true);
        QVERIFY(!p->needStopRecord(9));
        QVERIFY(p->needStopRecord(10));
        p->setTimerDuration(0);
        QVERIFY(!p->needStopRecord(100));
    }

    void runTimeStateIsSafeToShareBetweenThreads()
    {
        RecordParameter* p = RecordParameter::instance();
        QThread* writer = QThread::create([p] {
            for (int i = 1; i <= 20000; ++i)
                p->setVideoRect(QRect(0, 0, i, i));
        });
        writer->start();
        bool consistent = true;
        while (!writer->isFinished()) {
            const QRect r = p->getVideoRect();
            consistent = consistent && r.width() == r.height();
        }
        writer->wait();
        delete writer;
        QVERIFY(consistent);
        QCOMPARE(p->getVideoRect(), QRect(0, 0, 20000, 20000));
    }
};
SR_TEST(RecordParameterTest)

#include "tst_recordparameter.moc"
