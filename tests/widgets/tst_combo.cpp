#include "TestMain.h"

#include "OvResourceMgr.h"
#include "widgets/CustomCombox.h"
#include "widgets/OvComboboxViewItemDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {
int countPixels(const QImage& image, const QColor& color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}
} // namespace

class ComboTest : public QObject {
    Q_OBJECT

private:
    // Paints row 0 of the combo box with the delegate into an image.
    static QImage paintItem(QComboBox& combo, OvComboboxViewItemDelegate& delegate, QStyle::State state)
    {
        QImage image(160, 30, QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        QStyleOptionViewItem option;
        option.initFrom(combo.view());
        option.rect = image.rect();
        option.state = QStyle::State_Enabled | state;
        QFont font = combo.font();
        font.setPixelSize(18);
        font.setBold(true);
        option.font = font;
        option.fontMetrics = QFontMetrics(font);
        QPainter painter(&image);
        delegate.paint(&painter, option, combo.model()->index(0, 0));
        return image;
    }

    static void clickDelete(CustomCombox& combo, int row)
    {
        QWidget* button = combo.rowDeleteButton(row);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() { QVERIFY(OvResourceMgr::instance()->setSkin(QStringLiteral("default"))); }

    void delegatePaintsHoveredAndOtherItemsInTheirColours()
    {
        QComboBox combo;
        combo.addItem(QStringLiteral("MMMM WWWW"));
        OvComboboxViewItemDelegate delegate(&combo);
        delegate.setTextColorH(QColor(255, 255, 0));
        delegate.setTextColorN(QColor(0, 0, 255));
        delegate.setBacColorH(QColor(0, 128, 0));
        delegate.setBacColorN(QColor(200, 200, 200));

        const QImage normal = paintItem(combo, delegate, QStyle::State_None);
        QCOMPARE(normal.pixelColor(normal.width() - 2, 1), QColor(200, 200, 200));
        QVERIFY(countPixels(normal, QColor(0, 0, 255)) > 20);
        QCOMPARE(countPixels(normal, QColor(255, 255, 0)), 0);

        for (QStyle::State hover : {QStyle::State_MouseOver, QStyle::State_Selected}) {
            const QImage hovered = paintItem(combo, delegate, hover);
            QCOMPARE(hovered.pixelColor(hovered.width() - 2, 1), QColor(0, 128, 0));
            QVERIFY(countPixels(hovered, QColor(255, 255, 0)) > 20);
            QCOMPARE(countPixels(hovered, QColor(0, 0, 255)), 0);
            QCOMPARE(countPixels(hovered, Qt::magenta), 0);
        }
    }

    void comboShowsWhenFilledAndHidesWhenEmptied()
    {
        QWidget window;
        auto* combo = new CustomCombox(&window);
        window.show();
        QVERIFY(combo->isHidden());

        combo->addText("a.log", "/tmp/one/a.log");
        combo->addText("b.log", "/tmp/two/b.log");
        combo->addText("a.log", "/tmp/three/a.log");
        QVERIFY(combo->isVisible());
        QCOMPARE(combo->getAllTextData(), QVariantList({"/tmp/one/a.log", "/tmp/two/b.log", "/tmp/three/a.log"}));

        // Removing the second "a.log" row removes that row, not the first of the same name.
        combo->showPopup();
        clickDelete(*combo, 2);
        QCOMPARE(combo->getAllTextData(), QVariantList({"/tmp/one/a.log", "/tmp/two/b.log"}));
        QVERIFY(combo->isVisible());

        clickDelete(*combo, 0);
        QCOMPARE(combo->getAllTextData(), QVariantList({"/tmp/two/b.log"}));
        QCOMPARE(combo->currentText(), QStringLiteral("b.log"));
        clickDelete(*combo, 0);
        QVERIFY(combo->getAllTextData().isEmpty());
        QVERIFY(combo->isHidden());
        QVERIFY(!combo->view()->isVisible());

        // It comes back with the next row.
        combo->addText("c.log", "/tmp/c.log");
        QVERIFY(combo->isVisible());
    }

    void clickingARowChoosesIt()
    {
        QWidget window;
        auto* combo = new CustomCombox(&window);
        window.show();
        combo->addText(QStringLiteral("one"), 1);
        combo->addText(QStringLiteral("two"), 2);
        QCOMPARE(combo->currentIndex(), 0);
        combo->showPopup();
        QWidget* row = combo->view()->indexWidget(combo->model()->index(1, 0));
        QVERIFY(row);
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(5, row->height() / 2));
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(combo->currentData().toInt(), 2);
        QTRY_VERIFY(!combo->view()->isVisible());
    }
};

SR_TEST(ComboTest)
#include "tst_combo.moc"
