// The colour pop-up's table and grid, nine-patch scaling, and the shadow pop-up's binding
// and edits.

#include "TestMain.h"
#include "TestEnv.h"
#include "ModalAnswers.h"
#include "WaterMarkTestUtil.h"

#include "watermark/NinePatch.h"
#include "watermark/PicClrFrm.h"
#include "watermark/PickClrDlg.h"
#include "watermark/ShadowParam.h"
#include "watermark/ShadowSetDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace WmTest;

class WaterMarkColorPickerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    // Runs first: the table is read once per process.
    void gridFromTableAndWithout()
    {
        const QString odd = SrTest::root() + QStringLiteral("/odd.json");
        static const char kOdd[] = "{\"row\": 1, \"col\": 2, \"clrTab\": [[\"#111111\",\"#222222\",\"#333333\"],"
                                   "[\"#444444\"]]}\0garbage";
        QVERIFY(writeAll(odd, QByteArray(kOdd, sizeof(kOdd) - 1)));
        const PickClrDlg::ColorTable table = PickClrDlg::readColorTable(odd);
        QCOMPARE(table.row, 1);
        QCOMPARE(table.col, 2);
        QCOMPARE(table.colors.size(), 2);
        QVERIFY(PickClrDlg::readColorTable(SrTest::root() + QStringLiteral("/missing.json")).colors.isEmpty());

        // Without a table the pop-up still offers the full colour dialog (when no pop-up of
        // this program has read the table yet).
        qputenv("SR_RESOURCES_DIR", QFile::encodeName(SrTest::root()));
        if (PickClrDlg::colorTable().colors.isEmpty()) {
            PickClrDlg bare;
            QCOMPARE(bare.findChildren<QToolButton*>(QStringLiteral("btnColor")).size(), 0);
            auto* grid = bare.findChild<QGridLayout*>(QStringLiteral("gridLayout"));
            QCOMPARE(grid->indexOf(bare.findChild<QToolButton*>(QStringLiteral("btnMore"))), 0);
        }
        qunsetenv("SR_RESOURCES_DIR");

        // The shipped table is read at the next pop-up: every swatch, "More" in the last cell.
        PickClrDlg popup;
        QSignalSpy chosen(&popup, &PickClrDlg::sigSelColor);
        const QList<QToolButton*> swatches = popup.findChildren<QToolButton*>(QStringLiteral("btnColor"));
        QCOMPARE(swatches.size(), 31);
        auto* grid = popup.findChild<QGridLayout*>(QStringLiteral("gridLayout"));
        int row = 0, col = 0, span = 0;
        grid->getItemPosition(grid->indexOf(popup.findChild<QToolButton*>(QStringLiteral("btnMore"))), &row, &col,
                              &span, &span);
        QCOMPARE(QPoint(col, row), QPoint(7, 3));

        popup.setClr(QColor(QStringLiteral("#FF0000")));
        QToolButton* red = nullptr;
        for (QToolButton* swatch : swatches)
            if (swatch->isChecked())
                red = swatch;
        QVERIFY(red && red->property("color").toString() == QStringLiteral("#ff0000"));
        popup.setClr(QColor(1, 2, 3));
        QVERIFY(!red->isChecked());
        QVERIFY(chosen.isEmpty());
        popup.show();
        QTest::mouseClick(swatches[0], Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(popup.isVisible());
    }

    void ninePatchKeepsCorners()
    {
        QImage image(120, 120, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        const QColor corners[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        const QPoint origins[4] = {{0, 0}, {70, 0}, {0, 70}, {70, 70}};
        for (int i = 0; i < 4; ++i)
            for (int y = 0; y < 50; ++y)
                for (int x = 0; x < 50; ++x)
                    image.setPixelColor(origins[i] + QPoint(x, y), corners[i]);
        const QPixmap source = QPixmap::fromImage(image);
        const QImage out = NinePatch(&source, 50, 50, 300, 200).toImage();
        QCOMPARE(out.size(), QSize(300, 200));
        const QPoint targets[4] = {{0, 0}, {250, 0}, {0, 150}, {250, 150}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(out.pixelColor(targets[i]), corners[i]);
            QCOMPARE(out.pixelColor(targets[i] + QPoint(49, 49)), corners[i]);
        }
        QCOMPARE(out.pixelColor(150, 100), QColor(Qt::gray));
        // Too small a source or target: an empty picture, never a bad cut.
        QCOMPARE(NinePatch(&source, 50, 50, 60, 60).toImage().pixelColor(30, 30).alpha(), 0);
        const QPixmap tiny(40, 40);
        QCOMPARE(NinePatch(&tiny, 50, 50, 300, 200).size(), QSize(300, 200));
    }

    void shadowBindingAndEdits()
    {
        ShadowSetDlg dialog;
        QSignalSpy changed(&dialog, &ShadowSetDlg::sigImgChanged);
        QImage picture(200, 100, QImage::Format_ARGB32);
        ShadowParam shadow;
        shadow.m_bShadow = true;
        shadow.m_OffsetX = 500;
        shadow.m_Blur = 50;
        dialog.setShadowParam(&shadow, &picture);
        // The on flag and the clamped blur are each announced once; offsets are left alone.
        QCOMPARE(changed.count(), 2);
        QCOMPARE(shadow.m_Blur, ShadowSetDlg::kMaxBlur);
        QCOMPARE(shadow.m_OffsetX, 500);
        auto* spinX = dialog.findChild<QSpinBox*>(QStringLiteral("spinX"));
        QCOMPARE(spinX->value(), 200);
        QCOMPARE(dialog.findChild<QSpinBox*>(QStringLiteral("spinY"))->maximum(), 100);

        changed.clear();
        dialog.setShadowParam(&shadow, &picture);
        QVERIFY(changed.isEmpty());
        spinX->setValue(10);
        QCOMPARE(shadow.m_OffsetX, 10);
        dialog.onSelColor(shadow.m_clrShadow);
        QCOMPARE(changed.count(), 1);

        dialog.findChild<QCheckBox*>(QStringLiteral("checkBoxShadow"))->setChecked(false);
        QCOMPARE(changed.count(), 2);
        QVERIFY(!shadow.m_bShadow);
        QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("frmShadow"))->isEnabled());
    }
};

SR_TEST(WaterMarkColorPickerTest)
#include "tst_watermarkcolorpicker.moc"
