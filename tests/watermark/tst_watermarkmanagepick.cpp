// The area pick of "Customize Watermark" under the window manager: the picture the area is
// picked from is grabbed once the manager and its frame have left the screen.

#include "DesktopInput.h"
#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "WaterMarkTestUtil.h"

#include "OvWindowList.h"
#include "ScEngine.h"
#include "capture_tools/DlgSnapshot.h"
#include "core/ScreenRecorder.h"
#include "watermark/DlgWatermarkManage.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class WatermarkAreaPickTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(scInitialize(), 0); }
    void cleanupTestCase() { ScreenRecorder::release(); }

    void pickedPictureHoldsNoPixelOfTheManager()
    {
        ModalAnswers::clear();
        WaterMarkDataManage* store = WmTest::freshStore();
        WaterMarkData record;
        record.m_strWaterMarkName = QStringLiteral("A");
        record.m_strWaterMarkPath = WmTest::makePicture(WmTest::folder() + "/A.png", QSize(40, 20), Qt::blue);
        store->m_lstWaterMarkData.append(record);
        store->m_nCurIndex = store->m_lstWaterMarkData.size() - 1;
        DlgWatermarkManage dialog;
        dialog.onInitUI();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(SrTest::spinUntil([&] { return dialog.isActiveWindow(); }, 5000));
        // Nothing but the manager is on the screen: the picture of the whole screen is all
        // background.
        const QRect where = QGuiApplication::primaryScreen()->geometry();
        ModalAnswers::push(OvModalRequest::Dialog, int(QDialog::Rejected)); // the placement editor

        auto* button = dialog.findChild<QPushButton*>("btnPreview");
        QVERIFY(SrTest::spinUntil([button] { return button->isVisible() && button->isEnabled(); }, 10000));
        // Clicked where the X server shows the button.
        QVERIFY(SrTest::spinUntil([&] { return OvWindowList::windowRect(dialog.winId()).isValid(); }, 5000));
        const QPoint at = OvWindowList::windowRect(dialog.winId()).topLeft()
                        + button->mapTo(&dialog, button->rect().center());
        QVERIFY(SrTest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1"}));
        QVERIFY(SrTest::xdotool({"click", "1"}));
        DlgSnapshot* pick = nullptr;
        QVERIFY(SrTest::spinUntil([&] { return (pick = dialog.findChild<DlgSnapshot*>()) != nullptr; }, 5000));
        QSignalSpy picked(pick, &DlgSnapshot::cusSnapshotSave);
        // The placement editor takes the picture in and removes its file: a copy is kept the
        // moment it is named, before the manager, which hears of it through the event queue.
        QTemporaryDir keep;
        const QString kept = keep.filePath(QStringLiteral("picked.png"));
        connect(pick, &DlgSnapshot::cusSnapshotSave, this,
                [kept](const QString& path) { QFile::copy(path, kept); }, Qt::DirectConnection);
        QVERIFY(SrTest::spinUntil([pick] { return pick->hasCapture(); }, 10000));
        // The overlay shows the frozen picture; the user drags the area out on it.
        QVERIFY(SrTest::waitSelectionOverlay());
        QVERIFY(SrTest::dragOnScreen(where.topLeft(), where.bottomRight()));
        QVERIFY(SrTest::spinUntil([&picked] { return picked.count() == 1; }, 10000));
        // The picture is the file the pick names, once it can be read whole.
        QVERIFY(!picked.at(0).at(0).toString().isEmpty());
        QImage image;
        QVERIFY2(image.load(kept), qPrintable(picked.at(0).at(0).toString()));
        QVERIFY(image.width() > where.width() / 2 && image.height() > where.height() / 2);
        const QRgb background = image.pixel(0, 0);
        int foreign = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                foreign += image.pixel(x, y) != background ? 1 : 0;
        QCOMPARE(foreign, 0);
        QVERIFY(SrTest::spinUntil([&] { return dialog.isVisible(); }, 10000));
        dialog.hide();
    }
};

SR_TEST_DISPLAY(WatermarkAreaPickTest)
#include "tst_watermarkmanagepick.moc"
