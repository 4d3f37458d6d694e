// The region box and the selection overlay: moving and resizing the capture rectangle
// within the display, the frame that stays outside the recorded area and below the program's
// dialogs, and the signals that reach the main window; on a desktop that draws shadows, the
// frame leaves the inside as it is.

#include "DesktopInput.h"
#include "PlainScene.h"
#include "TestMain.h"
#include "OvMessageBox.h"
#include "WaitFor.h"
#include "preferences/OptionDialog.h"
#include "recording/ScreenRegion.h"

#include <QGuiApplication>
#include <QPushButton>
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
    void dialogsOpenAboveTheFrame();
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
    const int f = rect.top() - box->geometry().top();
    QVERIFY(f > 0);
    // Four windows make the frame around the rectangle, and none takes a pixel of it: clicks
    // there reach what is below, and nothing of the frame's windows lies over what is recorded.
    QRegion frame;
    for (QWidget* side : box->frameWindows()) {
        QVERIFY(side->isVisible());
        QVERIFY(!side->geometry().intersects(rect));
        frame += side->geometry();
    }
    QCOMPARE(frame, QRegion(rect.adjusted(-f, -f, f, f)).subtracted(QRegion(rect)));

    ScreenRegion::instance()->hideRegion();
    QVERIFY(!ScreenRegion::instance()->isRegionVisible());
    for (QWidget* side : box->frameWindows())
        QVERIFY(!side->isVisible());
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

void RegionBoxTest::dialogsOpenAboveTheFrame()
{
    // Preferences and a message box open while the frame is shown, each moved so that the
    // frame's left side runs through its OK button: the screen shows the button whole.
    const QRect rect(300, 200, 640, 480);
    const QRect display(0, 0, 1920, 1080);
    OvMessageBox message(nullptr, false);
    message.setLabelInfo(QStringLiteral("The recording was saved."));
    message.setButtons(QMessageBox::Ok);
    OptionDialog preferences;
    const QList<std::pair<QDialog*, const char*>> dialogs = {{&message, "message box"}, {&preferences, "Preferences"}};
    for (const auto& [dialog, name] : dialogs) {
        ScreenRegion::instance()->showRegion(rect, display, false);
        QWidget* left = ScreenRegion::instance()->regionBox()->frameWindows()[2];
        QVERIFY(QTest::qWaitForWindowExposed(left));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(SrTest::waitPlaced(dialog));
        QPushButton* ok = dialog == &message ? qobject_cast<QPushButton*>(message.button(QMessageBox::Ok))
                                             : preferences.findChild<QPushButton*>(QStringLiteral("btnOK"));
        QVERIFY(ok);
        const QPoint target(left->geometry().center().x(), rect.center().y());
        QVERIFY(SrTest::moveOnScreen(dialog, ok, target));
        // On the screen the button shows what it paints itself.
        QVERIFY2(SrTest::shownWhole(ok),
                 qPrintable(QStringLiteral("the frame runs across the OK button of the %1").arg(QLatin1String(name))));
        ScreenRegion::instance()->hideRegion();
        dialog->hide();
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
    // Presses on `window` at `from`, moves by `by` with the button held, and lets go.
    const auto drag = [](QWidget* window, const QPoint& from, const QPoint& by) {
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, from + by, window->mapToGlobal(from + by), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(window, &move);
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, from + by);
    };
    const QPoint onFrame(120, 3); // top side, away from the handles
    drag(box, onFrame, QPoint(50, 40));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(0).toRect(), rect.translated(50, 40));
    QCOMPARE(region->regionRect(), rect.translated(50, 40));

    // A click that moves nothing reports no drag.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, onFrame);
    QCOMPARE(ended.count(), 1);

    // The bottom-right handle lies on the bottom side's window: dragging it resizes.
    QWidget* bottom = box->frameWindows()[1];
    drag(bottom, QPoint(bottom->width() - 2, bottom->height() - 2), QPoint(30, 20));
    QCOMPARE(ended.count(), 2);
    QCOMPARE(ended.at(1).at(0).toRect(), QRect(rect.topLeft() + QPoint(50, 40), rect.size() + QSize(30, 20)));
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
