#include "TestMain.h"

#include "widgets/OvAutoMoveScrollArea.h"
#include "widgets/OvSlider.h"

#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

class ScrollSliderTest : public QObject {
    Q_OBJECT

private slots:
    void sliderJumpsToThePressedPoint_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<double>("fraction"); // of the length, from the left / top
        QTest::addColumn<int>("expected");
        QTest::newRow("horizontal 3/4") << int(Qt::Horizontal) << 0.75 << 75;
        QTest::newRow("horizontal 1/5") << int(Qt::Horizontal) << 0.2 << 20;
        // Vertical sliders grow upwards: near the top is near the maximum.
        QTest::newRow("vertical near top") << int(Qt::Vertical) << 0.1 << 90;
    }

    void sliderJumpsToThePressedPoint()
    {
        QFETCH(int, orientation);
        QFETCH(double, fraction);
        QFETCH(int, expected);
        OvSlider slider{Qt::Orientation(orientation)};
        slider.setRange(0, 100);
        slider.setPageStep(10);
        slider.setValue(50);
        slider.resize(orientation == Qt::Horizontal ? QSize(400, 30) : QSize(30, 400));
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));

        const QPoint at = orientation == Qt::Horizontal ? QPoint(int(400 * fraction), 15) : QPoint(15, int(400 * fraction));
        QTest::mousePress(&slider, Qt::LeftButton, {}, at);
        QVERIFY2(qAbs(slider.value() - expected) <= 3, qPrintable(QString::number(slider.value())));
        // The press continues as a drag of the handle.
        QVERIFY(slider.isSliderDown());
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, at);
        QVERIFY2(qAbs(slider.value() - expected) <= 3, qPrintable(QString::number(slider.value())));
    }

    void scrollAreaBringsWidgetToTheTop()
    {
        OvAutoMoveScrollArea area;
        area.setFrameShape(QFrame::NoFrame);
        area.setWidgetResizable(true);
        auto* contents = new QWidget;
        auto* layout = new QVBoxLayout(contents);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        QList<QWidget*> boxes;
        for (int i = 0; i < 6; ++i) {
            auto* box = new QWidget;
            box->setFixedHeight(100);
            layout->addWidget(box);
            boxes << box;
        }
        area.setWidget(contents);
        area.resize(300, 250);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QScrollBar* bar = area.verticalScrollBar();
        QCOMPARE(bar->maximum(), 600 - area.viewport()->height());

        // Already fully visible but lower down: it still moves to the top.
        area.ensureWidgetVisible(boxes[1], 0, 0);
        QCOMPARE(bar->value(), 100);
        area.ensureWidgetVisible(boxes[3], 0, 20);
        QCOMPARE(bar->value(), 280);
        // Back up to a box above the view.
        area.ensureWidgetVisible(boxes[0], 0, 0);
        QCOMPARE(bar->value(), 0);
        // The last box cannot reach the top: the view stops at the end with the box shown.
        area.ensureWidgetVisible(boxes[5], 0, 0);
        QCOMPARE(bar->value(), bar->maximum());

        // A widget outside the scrolled contents changes nothing.
        QWidget stranger;
        area.ensureWidgetVisible(&stranger, 0, 0);
        area.ensureWidgetVisible(nullptr, 0, 0);
        QCOMPARE(bar->value(), bar->maximum());
    }
};

SR_TEST(ScrollSliderTest)
#include "tst_scrollslider.moc"
