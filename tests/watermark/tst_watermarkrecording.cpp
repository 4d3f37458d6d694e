// End to end on the X display: a picture watermark is selected, a screen recording is made
// through the recorder facade (which hands the watermark to the engine), and the watermark's
// pixels are found in a decoded frame exactly where the placement put them.

#include "TestEnv.h"
#include "TestMain.h"
#include "WaterMarkTestUtil.h"

#include "ScEngine.h"
#include "core/ScreenRecorder.h"

#include <QTest>

using namespace WmTest;

class WaterMarkRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(scInitialize(), 0); }
    void cleanupTestCase() { ScreenRecorder::release(); }

    void watermarkIsInTheRecording()
    {
        WaterMarkDataManage* store = freshStore();
        const QString dir = SrTest::newFolder("recording");
        const QColor magenta(255, 0, 255);
        WaterMarkData record;
        record.m_strWaterMarkPath = makePicture(dir + "/mark.png", QSize(96, 48), magenta);
        record.m_lstMargin = {40, -1, -1, 30}; // 30 in from the left, 40 down
        store->m_lstWaterMarkData.append(record);
        store->m_nCurIndex = store->m_lstWaterMarkData.size() - 1;
        const QSize frame(640, 480);
        const QRect placed(30, 40, 96, 48);

        const QImage image = WmTest::recordedFrame(frame);
        QCOMPARE(image.size(), frame);
        // Inside the placed rectangle (away from its edges, where colour subsampling blends):
        // the watermark; just outside it: not.
        for (const QPoint& at : {placed.center(), placed.topLeft() + QPoint(4, 4), placed.bottomRight() - QPoint(4, 4)})
            QVERIFY2(SrTest::nearColour(image.pixel(at), magenta),
                     qPrintable(QStringLiteral("no watermark at %1,%2").arg(at.x()).arg(at.y())));
        for (const QPoint& at : {placed.topLeft() - QPoint(6, 6), placed.bottomRight() + QPoint(6, 6),
                                 QPoint(placed.right() + 6, placed.center().y())})
            QVERIFY2(!SrTest::nearColour(image.pixel(at), magenta),
                     qPrintable(QStringLiteral("watermark at %1,%2").arg(at.x()).arg(at.y())));
    }
};

SR_TEST_DISPLAY(WaterMarkRecordingTest)
#include "tst_watermarkrecording.moc"
