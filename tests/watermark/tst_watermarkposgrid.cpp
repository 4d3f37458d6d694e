// The nine-position grid: every cell's preset margins, how stored margins map back to a
// cell, and one page's buttons and label following a click.

#include "TestMain.h"

#include "watermark/WaterMarkPosGrid.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWidget>

using namespace WaterMarkPosGrid;

class WaterMarkPosGridTest : public QObject {
    Q_OBJECT
private slots:
    void cellsMapToMargins_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("margins");
        QTest::newRow("top-left") << int(TopLeft) << QList<int>{60, -1, -1, 60};
        QTest::newRow("top-middle") << int(TopMiddle) << QList<int>{60, -1, -1, -1};
        QTest::newRow("top-right") << int(TopRight) << QList<int>{60, 60, -1, -1};
        QTest::newRow("left-middle") << int(LeftMiddle) << QList<int>{-1, -1, -1, 60};
        QTest::newRow("centre") << int(Center) << QList<int>{-1, -1, -1, -1};
        QTest::newRow("right-middle") << int(RightMiddle) << QList<int>{-1, 60, -1, -1};
        QTest::newRow("bottom-left") << int(BottomLeft) << QList<int>{-1, -1, 60, 60};
        QTest::newRow("bottom-middle") << int(BottomMiddle) << QList<int>{-1, -1, 60, -1};
        QTest::newRow("bottom-right") << int(BottomRight) << QList<int>{-1, 60, 60, -1};
    }
    void cellsMapToMargins()
    {
        QFETCH(int, mode);
        QFETCH(QList<int>, margins);
        QList<int> written{1, 2, 3, 4};
        onPosModeChanged(mode, written);
        QCOMPARE(written, margins);
        QCOMPARE(int(classify(margins)), mode);
    }

    // Margins the placement editor or an old file left: opposite sides, other distances,
    // an unknown cell.
    void freeMarginsClassify()
    {
        QCOMPARE(classify({20, -1, 30, -1}), TopMiddle);
        QCOMPARE(classify({-1, 15, -1, 40}), RightMiddle);
        QCOMPARE(classify({-1, 15, 7, 40}), BottomLeft);
        QCOMPARE(classify({}), Center);
        QList<int> margins{1, 2, 3, 4};
        onPosModeChanged(9, margins);
        QVERIFY(margins.isEmpty());
    }

    void clickWritesPresetAndShowsIt()
    {
        QWidget page;
        QList<QAbstractButton*> buttons;
        for (int i = 0; i < kCellCount; ++i)
            buttons.append(new QToolButton(&page));
        auto* label = new QLabel(&page);
        WaterMarkPosGridPage grid(buttons, label);
        QList<int> margins{20, -1, -1, 30};
        grid.setMargins(&margins);
        QVERIFY(buttons[TopLeft]->isChecked());

        int emitted = -1;
        connect(&grid, &WaterMarkPosGridPage::posChanged, [&](int mode) { emitted = mode; });
        QTest::mouseClick(buttons[BottomRight], Qt::LeftButton);
        QCOMPARE(margins, (QList<int>{-1, 60, 60, -1}));
        QCOMPARE(emitted, int(BottomRight));
        QCOMPARE(label->text(), QStringLiteral("Bottom-right Display (Click the 9-Panel Grid to preset the position)"));
        for (int i = 0; i < kCellCount; ++i)
            QCOMPARE(buttons[i]->isChecked(), i == BottomRight);
    }
};

SR_TEST(WaterMarkPosGridTest)
#include "tst_watermarkposgrid.moc"
