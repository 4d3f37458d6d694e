// The placement editor's numbers: margins measured against the background (also when the
// background is smaller than the editor and sits off its corner), the preview-to-recording
// scale, and the rectangles that drags give.

#include "TestEnv.h"
#include "TestMain.h"
#include "WaterMarkTestUtil.h"

#include "watermark/WatermarkEditorFrame.h"
#include "watermark/WatermarkPlacementMath.h"

#include <QTest>

using namespace WmTest;
using Math = WatermarkPlacementMath;

class WatermarkPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void marginsFromItem_data()
    {
        QTest::addColumn<QRect>("background");
        QTest::addColumn<QRect>("item");
        QTest::addColumn<QList<int>>("margins");
        const QRect big(0, 0, 1000, 600);
        QTest::newRow("bottom-right") << big << QRect(800, 500, 100, 50) << QList<int>{-1, 100, 50, -1};
        QTest::newRow("top-left") << big << QRect(10, 20, 100, 50) << QList<int>{20, -1, -1, 10};
        QTest::newRow("centred") << big << QRect(450, 275, 100, 50) << QList<int>{-1, -1, -1, -1};
        QTest::newRow("right-middle") << big << QRect(850, 275, 100, 50) << QList<int>{-1, 50, -1, -1};
        // A 200x100 pick centred in a 350x250 editor: the background starts at (75,75).
        const QRect small(75, 75, 200, 100);
        QTest::newRow("small bottom-right") << small << QRect(215, 145, 50, 20) << QList<int>{-1, 10, 10, -1};
        QTest::newRow("small top-left") << small << QRect(80, 78, 50, 20) << QList<int>{3, -1, -1, 5};
    }
    void marginsFromItem()
    {
        QFETCH(QRect, background);
        QFETCH(QRect, item);
        QFETCH(QList<int>, margins);
        QCOMPARE(Math::margins(item, background), margins);
    }

    void scaleToRecording()
    {
        const double half = Math::backgroundScale(QSize(3840, 2160), 1920);
        QCOMPARE(half, 2.0);
        QCOMPARE(Math::convert(100, half, true), 200);
        QCOMPARE(Math::convert(200, half, false), 100);
        QCOMPARE(Math::convert(-1, half, true), -1);
        // 4x shown, fitted into the 3840x2160 frame cap (0.75).
        QCOMPARE(Math::backgroundScale(QSize(5120, 2880), 1280), 3.0);
    }

    void dragGeometry()
    {
        const QRect bg(0, 0, 1000, 600);
        const QRect item(100, 100, 200, 100);
        // The corner keeps the aspect ratio: the smaller stretch (1.5 wide, 3 high) wins.
        QCOMPARE(Math::dragged(Math::DragBottomRight, item, item.bottomRight(), QPoint(399, 399), bg),
                 QRect(100, 100, 300, 150));
        QCOMPARE(Math::dragged(Math::DragTopLeft, item, item.topLeft(), QPoint(0, 80), bg), QRect(60, 80, 240, 120));
        // A move against the right edge stops with the item one pixel inside; its size stays.
        QCOMPARE(Math::dragged(Math::DragMove, item, QPoint(150, 150), QPoint(2000, 150), bg),
                 QRect(799, 100, 200, 100));
        QCOMPARE(Math::dragMode(item, QPoint(102, 198)), Math::DragBottomLeft);
        QCOMPARE(Math::dragMode(item, QPoint(200, 97)), Math::DragTop);
        QCOMPARE(Math::dragMode(item, QPoint(200, 150)), Math::DragMove);
    }

    // A pick smaller than the editor: what the user places is stored relative to the picked
    // area and comes back at the same place when the editor opens the record again.
    void smallPickRoundTrips()
    {
        freshStore();
        const QString shot = makePicture(SrTest::newFolder("placement") + "/shot.png", QSize(200, 100), Qt::gray);
        WatermarkEditorFrame frame;
        frame.setBackGroundImg(shot, QRect(0, 0, 200, 100));
        QCOMPARE(frame.size(), QSize(350, 250));
        QVERIFY(!QFileInfo::exists(shot));
        QImage mark(50, 20, QImage::Format_ARGB32);
        mark.fill(Qt::red);
        WaterMarkData record;
        frame.onSetMaterialInfo(mark, &record);
        frame.onCalculationRect();
        QCOMPARE(frame.getBackGroundRect(), QRect(75, 75, 200, 100));

        frame.updateMaterialRect(QRect(215, 145, 50, 20));
        QCOMPARE(record.m_lstMargin, (QList<int>{-1, 10, 10, -1}));
        QCOMPARE(record.m_ItemSize, QSize(50, 20));
        frame.onCalculationRect();
        // One pixel further in on the anchored sides, as the recording places it.
        QCOMPARE(frame.getItemRect(), QRect(216, 146, 50, 20));
    }
};

SR_TEST(WatermarkPlacementTest)
#include "tst_watermarkplacement.moc"
