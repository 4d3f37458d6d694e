// Screenshots and drawing on the real X display, driven by xdotool as a user would: a
// screenshot taken with the main window's button, dragged and saved, lands in the
// screenshot folder and in the history; a screen that cannot be grabbed is reported and
// gives the main window back; a rectangle drawn on the screen while recording is
// in the saved video, where it was drawn.

#include "FakeEngine.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "PlainScene.h"
#include "ScEngine.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "DesktopInput.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "capture_tools/DlgSnapshot.h"
#include "capture_tools/FfColor.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordBoundary.h"
#include "core/RecordParameter.h"
#include "output/DlgVideoClip.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using SrTest::clickAt;
using SrTest::dragOnScreen;
using SrTest::spinUntil;
using SrTest::xdotool;

namespace {
using SrTest::child;

// Answers the preview dialog with Save and waits for its end.
void answerPreviewWithSave()
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
        auto* dlg = qobject_cast<DlgVideoClip*>(request.widget);
        if (!dlg)
            return QVariant(0);
        spinUntil([dlg] { return dlg->isPlayerReady(); }, 20000);
        bool ended = false;
        QObject::connect(dlg, &QDialog::finished, [&ended] { ended = true; });
        dlg->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        spinUntil([&ended] { return ended; });
        return QVariant();
    });
}
} // namespace

class SnapshotFlowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(SrTest::awaitCompositor(), "the compositing manager did not come"); }
    void init();
    // First: the main window of the other test, once destroyed, is still known to the task
    // coordinator, which the end of a recording asks for its main window.
    void rectangleDrawnWhileRecordingIsInTheVideo();
    void screenThatCannotBeGrabbedIsReportedAndTheMainWindowReturns();
    void screenshotFromTheMainWindowIsSavedAndListed();
    void toolStripStaysAboveTheOverlayWhileDrawing();
    void screenshotWindowsLieAboveTheRecordingBoundary();
};

void SnapshotFlowTest::init() { ModalAnswers::clear(); }

void SnapshotFlowTest::screenshotFromTheMainWindowIsSavedAndListed()
{
    const QString folder = SrTest::newFolder(QStringLiteral("screenshots"));
    Utils::setSnapshotPath(folder);
    RecordParameter::instance()->setUsedImgFmt(RP_FMT_PNG);
    RecordParameter::instance()->setHideMainWhenScreenshot(true);
    // The save dialog is answered with the name it proposes.
    ModalAnswers::pushHandler(OvModalRequest::SaveFile, [](const OvModalRequest& request) { return request.text; });

    MainWindowBase* base = MainEntry::createMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(base));
    QVERIFY(SrTest::waitPlaced(base));
    MainWindow* main = base->mainWindow();
    QVERIFY(clickAt(child(base, "btnSnapshot")));
    QVERIFY(spinUntil([main] { return main->snapshotDialog() && main->snapshotDialog()->hasCapture(); }, 10000));
    QVERIFY(!base->isVisible());
    QVERIFY(SrTest::waitSelectionOverlay());
    QVERIFY(dragOnScreen(QPoint(300, 200), QPoint(700, 500)));
    DlgSnapshot* dlg = main->snapshotDialog();
    QVERIFY(spinUntil([dlg] { return dlg->isVisible(); }, 10000));
    QVERIFY(SrTest::waitPlaced(dlg));
    const QSize selected = dlg->selection().size();
    QVERIFY(clickAt(child(dlg, "btnSaveToDisc")));
    QVERIFY(spinUntil([folder] { return !SrTest::filesIn(folder).isEmpty(); }, 10000));

    const QStringList files = SrTest::filesIn(folder);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^Snapshot_\\d\\d-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.png$"))
                 .match(files[0])
                 .hasMatch(),
             qPrintable(files[0]));
    const QString saved = folder + QLatin1Char('/') + files[0];
    QImageReader reader(saved);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.size(), selected);
    const QList<HistoryFileUtils::HistoryFile> history = HistoryFileUtils::savefileHistroy();
    QVERIFY(!history.isEmpty());
    QCOMPARE(history[0].path, saved);
    QCOMPARE(history[0].type, int(HFT_IMAGE));
    QVERIFY(spinUntil([base] { return base->isVisible(); }, 5000));
    QVERIFY(!main->snapshotDialog());
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    MainEntry::destroyMainWindow(base);
}

void SnapshotFlowTest::screenThatCannotBeGrabbedIsReportedAndTheMainWindowReturns()
{
    FakeSeam seam;
    seam.captureRefused = true;
    RecordParameter::instance()->setHideMainWhenScreenshot(true);
    ModalAnswers::push(OvModalRequest::MessageBox, QMessageBox::Ok);

    MainWindowBase* base = MainEntry::createMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(base));
    MainWindow* main = base->mainWindow();
    QVERIFY(clickAt(child(base, "btnSnapshot")));
    QVERIFY(spinUntil([] { return !ModalAnswers::messages().isEmpty(); }, 10000));
    QCOMPARE(ModalAnswers::messages(), QStringList{DlgSnapshot::tr("The screen could not be captured.")});
    QVERIFY(spinUntil([base, main] { return base->isVisible() && !main->snapshotDialog(); }, 10000));
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    MainEntry::destroyMainWindow(base);
}

void SnapshotFlowTest::rectangleDrawnWhileRecordingIsInTheVideo()
{
    const QRect area(200, 150, 640, 480);
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordAudio(false);
    p->setOnlyRecordCamera(false);
    p->setWindowRecord(false);
    p->setAroundMouse(false);
    p->setFollowMouse(false);
    p->setUsedVideoFmt(RP_FMT_MOV);
    p->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_HIGH);
    p->setSystemAudioEnable(false);
    p->setMicrophoneEnable(false);
    p->setRecordLength(false, 0);
    p->setTimerEnable(false);
    p->setAutoSave(false);
    p->m_bHideCtrlBar = false;
    p->setVideoRect(area);
    const QString out = SrTest::newFolder(QStringLiteral("recordings"));
    Utils::setVideoOutputPath(out);
    QCOMPARE(scInitialize(), 0);

    // A plain grey scene, so that the drawing stands out.
    SrTest::PlainScene scene(area, QColor(0x80, 0x80, 0x80));
    QVERIFY(scene.showExposed());

    VideoRecCtlWdg bar;
    QSignalSpy finished(&bar, &VideoRecCtlWdg::sigRecordFinished);
    QVERIFY(bar.prepareRecord());
    bar.startRecord();
    QVERIFY(bar.isRecording());
    QTest::qWait(500);
    QVERIFY(clickAt(child(&bar, "btnEdit")));
    QVERIFY(spinUntil([&bar] { return bar.drawingBar()->isVisible(); }, 5000));
    QVERIFY(clickAt(child(bar.drawingBar(), "btnRect")));
    QVERIFY(spinUntil([&bar] { return bar.isDrawing(); }, 5000));
    QVERIFY(clickAt(child(bar.drawingBar(), "btnLarge")));
    const QRect drawn(area.topLeft() + QPoint(100, 100), QSize(200, 150));
    QVERIFY(dragOnScreen(drawn.topLeft(), drawn.bottomRight()));
    // A picture taken meanwhile holds the drawing too, and lands in the screenshot folder.
    const QString pictures = SrTest::newFolder(QStringLiteral("pictures"));
    Utils::setSnapshotPath(pictures);
    child(&bar, "btnSnapshot")->click();
    QVERIFY(spinUntil([pictures] { return !HistoryFileUtils::savefileHistroy().isEmpty()
                                          && HistoryFileUtils::savefileHistroy()[0].path.startsWith(pictures); }, 10000));
    const QImage picture(HistoryFileUtils::savefileHistroy()[0].path);
    QCOMPARE(picture.size(), area.size());
    QTest::qWait(1500);

    answerPreviewWithSave();
    child(&bar, "btnStop")->click();
    QVERIFY(spinUntil([&finished] { return !finished.isEmpty(); }, 60000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    const QStringList files = SrTest::filesIn(out);
    QCOMPARE(files.size(), 1);
    const QString video = out + QLatin1Char('/') + files[0];

    const QImage frame = SrTest::frameAt(video, Utils::getMediaDuration(video) - 0.5);
    QCOMPARE(frame.size(), area.size());
    // The large pen (8 pixels) draws inside the dragged box: the sides are checked at their middle.
    const int halfPen = getLineSize(CS_Rectangle, LS_LARGE) / 2;
    const QPoint topLeft = drawn.topLeft() - area.topLeft() + QPoint(halfPen, halfPen);
    const QPoint bottomRight = drawn.bottomRight() - area.topLeft() - QPoint(halfPen, halfPen);
    const int midY = (topLeft.y() + bottomRight.y()) / 2;
    const int midX = (topLeft.x() + bottomRight.x()) / 2;
    // The four sides are red; inside and outside the scene shows through.
    for (const QPoint& side : {QPoint(topLeft.x(), midY), QPoint(bottomRight.x(), midY), QPoint(midX, topLeft.y()),
                               QPoint(midX, bottomRight.y())}) {
        QVERIFY2(SrTest::nearColour(frame.pixel(side), Qt::red, 60),
                 qPrintable(QStringLiteral("%1,%2: %3").arg(side.x()).arg(side.y()).arg(QColor(frame.pixel(side)).name())));
        QVERIFY(SrTest::nearColour(picture.pixel(side), Qt::red, 10));
    }
    for (const QPoint& away : {QPoint(midX, midY), topLeft - QPoint(30, 30)})
        QVERIFY2(SrTest::nearColour(frame.pixel(away), QColor(0x80, 0x80, 0x80), 30),
                 qPrintable(QColor(frame.pixel(away)).name()));
}

void SnapshotFlowTest::toolStripStaysAboveTheOverlayWhileDrawing()
{
    RecordParameter::instance()->setUsedImgFmt(RP_FMT_PNG);
    DlgSnapshot dlg(nullptr, false);
    QSignalSpy finished(&dlg, &DlgSnapshot::finished);
    QVERIFY(dlg.createImageCapture());
    QVERIFY(SrTest::waitSelectionOverlay());
    const QRect selection(QPoint(400, 250), QPoint(1100, 700));
    QVERIFY(dragOnScreen(selection.topLeft(), selection.bottomRight()));
    QVERIFY(spinUntil([&dlg] { return dlg.isVisible(); }, 10000));
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(SrTest::waitPlaced(&dlg));
    FfColor* strip = dlg.toolBar();

    // Each tool draws a shape on the overlay, then the next tool is chosen on the strip.
    const QList<QPair<const char*, int>> tools{{"btnArrow", CS_Arrow}, {"btnRect", CS_Rectangle}, {"btnBrush", CS_Brush}};
    for (int i = 0; i < tools.size(); ++i) {
        QVERIFY2(clickAt(child(strip, tools[i].first)) && spinUntil([&] { return strip->getCanvsType() == tools[i].second && dlg.isDrawing(); }, 10000),
                 qPrintable(QStringLiteral("%1 did not react after %2 shapes").arg(tools[i].first).arg(i)));
        const QPoint from = selection.topLeft() + QPoint(40 + 150 * i, 60);
        QVERIFY(dragOnScreen(from, from + QPoint(100, 90)));
        QVERIFY(spinUntil([&dlg] { return dlg.canUndo(); }, 10000));
    }
    QVERIFY2(clickAt(child(strip, "btnUndo")) && spinUntil([&dlg] { return dlg.canRedo(); }, 10000), "Undo did not react");
    QVERIFY2(clickAt(child(&dlg, "btnClose")) && spinUntil([&finished] { return finished.count() == 1; }, 10000),
             "Close did not react");
}

void SnapshotFlowTest::screenshotWindowsLieAboveTheRecordingBoundary()
{
    // A screenshot taken while a region recording shows its boundary: the overlay covers the
    // boundary, and the tool strip and the Save As dialog, each moved so that the boundary's
    // left side runs through its buttons, show them whole.
    const QRect area(300, 200, 640, 480);
    RecordBoundary boundary;
    boundary.showAround(area);
    QVERIFY(QTest::qWaitForWindowExposed(&boundary));

    RecordParameter::instance()->setUsedImgFmt(RP_FMT_PNG);
    DlgSnapshot dlg(nullptr, false);
    QSignalSpy finished(&dlg, &DlgSnapshot::finished);
    QVERIFY(dlg.createImageCapture());
    QWidget* overlay = SrTest::waitSelectionOverlay();
    QVERIFY(overlay);
    QVERIFY(dragOnScreen(QPoint(1100, 300), QPoint(1600, 700)));
    QVERIFY(spinUntil([&dlg] { return dlg.isVisible(); }, 10000));
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(SrTest::waitPlaced(&dlg));
    const QRect outer = boundary.outerRect();
    const QRect leftSide(outer.left(), outer.top(), area.left() - outer.left(), outer.height());
    QVERIFY2(SrTest::shownWhole(overlay, leftSide.translated(-overlay->mapToGlobal(QPoint(0, 0)))),
             "the boundary runs across the screenshot's overlay");
    const QPoint onLeftSide(outer.left() + 1, area.center().y());
    QWidget* actions = child<QWidget>(&dlg, "frmAction");
    QVERIFY(SrTest::moveOnScreen(&dlg, actions, onLeftSide));
    QVERIFY2(SrTest::shownWhole(actions), "the boundary runs across the tool strip");
    QVERIFY(clickAt(child(&dlg, "btnClose")) && spinUntil([&finished] { return finished.count() == 1; }, 10000));

    QFileDialog saveAs(nullptr, DlgSnapshot::tr("Save as..."));
    saveAs.setAcceptMode(QFileDialog::AcceptSave);
    saveAs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&saveAs));
    QVERIFY(SrTest::waitPlaced(&saveAs));
    QWidget* accept = saveAs.findChild<QDialogButtonBox*>()->buttons().first();
    QVERIFY(SrTest::moveOnScreen(&saveAs, accept, onLeftSide));
    QVERIFY2(SrTest::shownWhole(accept), "the boundary runs across the Save As dialog's button");
}

SR_TEST_DISPLAY(SnapshotFlowTest)
#include "tst_snapshotflow.moc"
