// The region box and the selection overlay: moving and resizing the capture rectangle
// within the display, the frame that stays outside the recorded area, and the signals that
// reach the main window; on a desktop that draws shadows, the frame leaves the inside as it is.

#include "DesktopInput.h"
#include "PlainScene.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "recording/ScreenRegion.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class RegionBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(SrTest::awaitCompositor(), "the compositing manager did not come"); }
    void cleanup() { ScreenRegion::release(); }
    void moveStaysInsideTheDisplay();
    void resizeIsCutAtTheDisplayAndKeepsAMinimum();
    void handlesAreFoundOnTheFrameOnly();
    void frameLiesOutsideTheRecordedArea();
    void frameLeavesTheInsideAsBright();
    void draggingTheFrameMovesTheRegion();
    void selectionOverlayReportsTheDraggedRectangle();
    void selectionOverlayCancels();
};

void RegionBoxTest::moveStaysInsideTheDisplay()
{
    const QRect display(0, 0, 1920, 1080);
    const QRect start(100, 100, 400, 300);
    QCOMPARE(RegionBox::dragged(start, RegionBox::Move, QPoint(50, -20), display, 64), QRect(150, 80, 400, 300));
    QCOMPARE(RegionBox::dragged(start, RegionBox::Move, QPoint(-500, -500), display, 64), QRect(0, 0, 400, 300));
    QCOMPARE(RegionBox::dragged(start, RegionBox::Move, QPoint(5000, 5000), display, 64), QRect(1520, 780, 400, 300));
    // A second display to the right: its own left edge holds.
    const QRect right(1920, 0, 1280, 1024);
    QCOMPARE(RegionBox::dragged(QRect(2000, 10, 200, 100), RegionBox::Move, QPoint(-300, 0), right, 64),
             QRect(1920, 10, 200, 100));
}

void RegionBoxTest::resizeIsCutAtTheDisplayAndKeepsAMinimum()
{
    const QRect display(0, 0, 1920, 1080);
    const QRect start(100, 100, 400, 300);
    QCOMPARE(RegionBox::dragged(start, RegionBox::BottomRight, QPoint(40, 30), display, 64), QRect(100, 100, 440, 330));
    QCOMPARE(RegionBox::dragged(start, RegionBox::Left, QPoint(-30, 99), display, 64), QRect(70, 100, 430, 300));
    QCOMPARE(RegionBox::dragged(start, RegionBox::TopLeft, QPoint(-500, -500), display, 64), QRect(0, 0, 500, 400));
    QCOMPARE(RegionBox::dragged(start, RegionBox::Right, QPoint(9000, 0), display, 64).right(), 1919);
    // Dragging one side over the other stops at the minimum size instead of turning over.
    QCOMPARE(RegionBox::dragged(start, RegionBox::Right, QPoint(-1000, 0), display, 64), QRect(100, 100, 64, 300));
    QCOMPARE(RegionBox::dragged(start, RegionBox::Top, QPoint(0, 1000), display, 64), QRect(100, 336, 400, 64));
}

void RegionBoxTest::handlesAreFoundOnTheFrameOnly()
{
    const QSize size(400, 300);
    const int f = 8; // window is 416 x 316
    QCOMPARE(RegionBox::handleAt(QPoint(2, 2), size, f, false), RegionBox::TopLeft);
    QCOMPARE(RegionBox::handleAt(QPoint(413, 313), size, f, false), RegionBox::BottomRight);
    QCOMPARE(RegionBox::handleAt(QPoint(208, 3), size, f, false), RegionBox::Top);
    QCOMPARE(RegionBox::handleAt(QPoint(3, 158), size, f, false), RegionBox::Left);
    QCOMPARE(RegionBox::handleAt(QPoint(412, 158), size, f, false), RegionBox::Right);
    QCOMPARE(RegionBox::handleAt(QPoint(120, 3), size, f, false), RegionBox::Move);
    QCOMPARE(RegionBox::handleAt(QPoint(200, 150), size, f, false), RegionBox::None);
    QCOMPARE(RegionBox::handleAt(QPoint(-1, 5), size, f, false), RegionBox::None);
    // A preset size can only be moved.
    QCOMPARE(RegionBox::handleAt(QPoint(2, 2), size, f, true), RegionBox::Move);
}

void RegionBoxTest::frameLiesOutsideTheRecordedArea()
{
    const QRect rect(300, 200, 640, 480);
    ScreenRegion::instance()->showRegion(rect, QRect(0, 0, 1920, 1080), false);
    RegionBox* box = ScreenRegion::instance()->regionBox();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(ScreenRegion::instance()->isRegionVisible());
    const int f = box->geometry().left() < rect.left() ? rect.left() - box->geometry().left() : 0;
    QVERIFY(f > 0);
    QCOMPARE(box->geometry(), rect.adjusted(-f, -f, f, f));
    // The window takes no pixel of the rectangle: clicks there reach what is below.
    const QRegion mask = box->mask();
    QVERIFY(!mask.contains(box->mapFromGlobal(rect.center())));
    QVERIFY(!mask.contains(box->mapFromGlobal(rect.topLeft())));
    QVERIFY(mask.contains(QPoint(0, 0)));

    ScreenRegion::instance()->hideRegion();
    QVERIFY(!ScreenRegion::instance()->isRegionVisible());
    ScreenRegion::instance()->restoreRegion();
    QVERIFY(ScreenRegion::instance()->isRegionVisible());
    ScreenRegion::instance()->closeRegion();
    ScreenRegion::instance()->restoreRegion();
    QVERIFY(!ScreenRegion::instance()->isRegionVisible());
}

void RegionBoxTest::frameLeavesTheInsideAsBright()
{
    // A plain grey scene: inside the frame, up to its edges, the screen shows the scene as it
    // is (no shadow of the frame's window falls on what is recorded).
    const QRect rect(300, 200, 640, 480);
    SrTest::PlainScene scene(rect.adjusted(-100, -100, 100, 100), QColor(0x80, 0x80, 0x80));
    QVERIFY(scene.showExposed());
    ScreenRegion::instance()->showRegion(rect, QRect(0, 0, 1920, 1080), false);
    QVERIFY(QTest::qWaitForWindowExposed(ScreenRegion::instance()->regionBox()));
    QTest::qWait(500); // the compositing manager draws the new window

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage();
    QCOMPARE(screen.size(), rect.size());
    // Along each edge, a band as deep as a shadow reaches.
    const int depth = 40;
    for (const QRect& band : {QRect(0, 0, rect.width(), depth), QRect(0, 0, depth, rect.height()),
                              QRect(0, rect.height() - depth, rect.width(), depth),
                              QRect(rect.width() - depth, 0, depth, rect.height())}) {
        int darkest = 255;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                darkest = qMin(darkest, qGray(screen.pixel(x, y)));
        QVERIFY2(darkest >= 120, qPrintable(QStringLiteral("a pixel of grey %1 inside the frame").arg(darkest)));
    }
}

void RegionBoxTest::draggingTheFrameMovesTheRegion()
{
    const QRect rect(300, 200, 640, 480);
    ScreenRegion* region = ScreenRegion::instance();
    QSignalSpy ended(region, &ScreenRegion::RREndDrag);
    region->showRegion(rect, QRect(0, 0, 1920, 1080), false);
    RegionBox* box = region->regionBox();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    const QPoint onFrame(120, 3); // top side, away from the handles
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, onFrame);
    QMouseEvent move(QEvent::MouseMove, onFrame + QPoint(50, 40), box->mapToGlobal(onFrame + QPoint(50, 40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, onFrame + QPoint(50, 40));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(0).toRect(), rect.translated(50, 40));
    QCOMPARE(region->regionRect(), rect.translated(50, 40));

    // A click that moves nothing reports no drag.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, onFrame);
    QCOMPARE(ended.count(), 1);
}

void RegionBoxTest::selectionOverlayReportsTheDraggedRectangle()
{
    ScreenRegion* region = ScreenRegion::instance();
    QSignalSpy hide(region, &ScreenRegion::toHideMainWindow);
    QSignalSpy ended(region, &ScreenRegion::endSelectRegion);
    const QRect display(0, 0, 1920, 1080);
    region->startSelectRegion(display);
    QCOMPARE(hide.count(), 1);
    RegionSelector* overlay = region->regionSelector();
    QVERIFY(SrTest::spinUntil([overlay] { return overlay->isVisible(); }, 5000));
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QVERIFY(region->isSelecting());
    // A click without a drag selects nothing and keeps the overlay.
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(500, 500));
    QCOMPARE(ended.count(), 0);
    QVERIFY(overlay->isVisible());

    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(900, 700));
    QMouseEvent move(QEvent::MouseMove, QPoint(200, 150), overlay->mapToGlobal(QPoint(200, 150)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(0).toRect(), QRect(QPoint(200, 150), QPoint(900, 700)));
    QVERIFY(!overlay->isVisible());

    // Cut to the display it was started on.
    QCOMPARE(RegionSelector::selection(QPoint(-50, -50), QPoint(100, 80), display, 16), QRect(0, 0, 101, 81));
    QVERIFY(RegionSelector::selection(QPoint(10, 10), QPoint(12, 300), display, 16).isEmpty());
}

void RegionBoxTest::selectionOverlayCancels()
{
    ScreenRegion* region = ScreenRegion::instance();
    QSignalSpy ended(region, &ScreenRegion::endSelectRegion);
    region->startSelectRegion(QRect(0, 0, 1920, 1080));
    RegionSelector* overlay = region->regionSelector();
    QVERIFY(SrTest::spinUntil([overlay] { return overlay->isVisible(); }, 5000));
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::keyClick(overlay, Qt::Key_Escape);
    QCOMPARE(ended.count(), 1);
    QVERIFY(ended.at(0).at(0).toRect().isEmpty());
    QVERIFY(!region->isSelecting());

    region->startSelectRegion(QRect(0, 0, 1920, 1080));
    QVERIFY(SrTest::spinUntil([overlay] { return overlay->isVisible(); }, 5000));
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::mouseClick(overlay, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(ended.count(), 2);
    QVERIFY(ended.at(1).at(0).toRect().isEmpty());
}

SR_TEST_DISPLAY(RegionBoxTest)
#include "tst_regionbox.moc"
