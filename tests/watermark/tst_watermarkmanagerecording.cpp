// End to end on the X display: a text watermark made in the manager, anchored to the
// bottom-right cell of the grid and applied, is drawn at the bottom-right of a recording.

#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "WaterMarkTestUtil.h"

#include "ScEngine.h"
#include "core/ScreenRecorder.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/PicClrFrm.h"
#include "watermark/WMCustomListWidget.h"
#include "watermark/WaterMarkRenderer.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

using namespace WmTest;

namespace {
int countNear(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += SrTest::nearColour(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}
} // namespace

class WatermarkManageRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(scInitialize(), 0); }
    void cleanupTestCase() { ScreenRecorder::release(); }

    void textWatermarkFromManagerIsRecorded()
    {
        WaterMarkDataManage* store = freshStore();
        const QColor magenta(255, 0, 255);
        DlgWatermarkManage dialog;
        dialog.onInitUI();
        dialog.show();
        dialog.findChild<QPushButton*>("btnUseText")->click();
        auto* list = dialog.findChild<WMCustomListWidget*>("listWidget2");
        const int rows = list->count();
        dialog.findChild<QPushButton*>("btnAdd2")->click();
        QVERIFY(SrTest::spinUntil([&] { return list->count() == rows + 1; }, 5000));
        dialog.findChild<QTextEdit*>("textEdit")->setPlainText(QString(2, QChar(0x2588)));
        emit dialog.findChild<PicClrFrm*>("frmPicClr")->sigSelColor(magenta);
        dialog.findChild<QComboBox*>("cbFontSize")->setCurrentText(QStringLiteral("72"));
        dialog.findChild<QPushButton*>("btnRB2")->click();
        dialog.findChild<QPushButton*>("btnApply")->click();
        QVERIFY(SrTest::spinUntil([&] { return !dialog.isVisible(); }, 10000));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // Picked as the drop-down picks it.
        store->m_nCurIndex = dialog.m_nAppliedIndex;
        QCOMPARE(store->m_lstWaterMarkData.size(), 3);
        QCOMPARE(store->m_nCurIndex, 2);

        WaterMarkData applied = store->m_lstWaterMarkData.at(2);
        store->generateTextMarkFile(&applied);
        const QSize frame(640, 480);
        const QRect placed = WaterMarkRenderer::placement(QRect(QPoint(0, 0), frame), QImage(applied.m_strWaterMarkPath).size(), applied);
        QVERIFY(placed.right() > frame.width() / 2 && placed.bottom() > frame.height() / 2);

        const QImage image = WmTest::recordedFrame(frame);
        QCOMPARE(image.size(), frame);
        const int inside = countNear(image, placed, magenta);
        QVERIFY2(inside > placed.width() * placed.height() / 4, qPrintable(QString::number(inside)));
        QCOMPARE(countNear(image, QRect(QPoint(0, 0), frame / 2), magenta), 0);
    }
};

SR_TEST_DISPLAY(WatermarkManageRecordingTest)
#include "tst_watermarkmanagerecording.moc"
