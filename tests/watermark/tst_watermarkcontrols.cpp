// The watermark dialogs under a real mouse on the X display (xdotool): the wheel passing
// over a setting the user has not picked leaves it alone, and the placement editor's OK
// button stays readable over a white picture.

#include "DesktopInput.h"
#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "WaterMarkTestUtil.h"

#include "OvWindowList.h"
#include "watermark/DlgScreenEditWaterMark.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/ShadowParam.h"
#include "watermark/ShadowSetDlg.h"
#include "watermark/WatermarkEditorFrame.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

namespace {
// Two notches towards the user: a spin box at 100 % would go down, a list to a later entry.
const int kNotchesDown = -2;

bool isWhite(QRgb pixel) { return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240; }

// The middle of `control` where the X server shows it: the manager's window is placed by the
// window manager without this process hearing of it.
QPoint onScreen(QWidget* control)
{
    QWidget* window = control->window();
    return OvWindowList::windowRect(window->winId()).topLeft() + control->mapTo(window, control->rect().center());
}

bool wheelOver(QWidget* control, int notches) { return SrTest::wheelAt(onScreen(control), notches); }

// Clicks `control` and waits until it has the keyboard focus. Input reaches the program in
// the order it was given, so everything sent before has been handled by then.
bool focusByClick(QWidget* control)
{
    const QPoint at = onScreen(control);
    return SrTest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click", "1"})
           && SrTest::spinUntil([control] { return control->hasFocus(); }, 10000);
}
} // namespace

class WatermarkControlsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void wheelChangesOnlyAPickedSetting()
    {
        WmTest::freshStore();
        DlgWatermarkManage dialog;
        dialog.onInitUI();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(SrTest::spinUntil([&] { return OvWindowList::windowRect(dialog.winId()).isValid(); }, 10000));
        dialog.findChild<QPushButton*>("btnUseText")->click();
        auto* opacity = dialog.findChild<QSpinBox*>("spTransparency2");
        auto* fontSize = dialog.findChild<QComboBox*>("cbFontSize");
        auto* font = dialog.findChild<QComboBox*>("cbFontName");
        QTRY_VERIFY(!opacity->visibleRegion().isEmpty() && !font->visibleRegion().isEmpty());
        QCOMPARE(opacity->value(), 100);
        const QString sizeBefore = fontSize->currentText();
        const QString fontBefore = font->currentText();
        QVERIFY(font->currentIndex() < font->count() - 1);

        for (QWidget* control : QList<QWidget*>{opacity, fontSize, font})
            QVERIFY(wheelOver(control, kNotchesDown));
        QVERIFY(focusByClick(opacity));
        QCOMPARE(opacity->value(), 100);
        QCOMPARE(fontSize->currentText(), sizeBefore);
        QCOMPARE(font->currentText(), fontBefore);

        // Picked, the control takes the wheel.
        QVERIFY(wheelOver(opacity, kNotchesDown));
        QVERIFY(SrTest::spinUntil([opacity] { return opacity->value() == 100 + kNotchesDown; }, 10000));
        dialog.hide();
    }

    void wheelLeavesTheShadowAloneUntilPicked()
    {
        ShadowParam shadow;
        shadow.m_bShadow = true;
        QImage picture(200, 100, QImage::Format_ARGB32);
        picture.fill(Qt::blue);
        ShadowSetDlg popup;
        popup.setShadowParam(&shadow, &picture);
        popup.move(200, 200);
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        QVERIFY(SrTest::spinUntil([&] { return OvWindowList::windowRect(popup.winId()).isValid(); }, 10000));
        auto* blur = popup.findChild<QSpinBox*>("spinVague");
        auto* offset = popup.findChild<QSpinBox*>("spinX");
        QVERIFY(!blur->hasFocus());

        QVERIFY(wheelOver(blur, -kNotchesDown));
        QVERIFY(focusByClick(offset));
        QCOMPARE(shadow.m_Blur, 2);
        QCOMPARE(blur->value(), 2);
        popup.hide();
    }

    void okButtonIsReadableOverAWhitePicture()
    {
        const QSize area(600, 400);
        const QString shot = WmTest::makePicture(SrTest::newFolder("okbutton") + "/shot.png", area, Qt::white);
        WaterMarkData record;
        QImage mark(120, 40, QImage::Format_ARGB32);
        mark.fill(Qt::blue);
        DlgScreenEditWaterMark editor;
        WatermarkEditorFrame* frame = editor.getScreenEditWaterMarkFrame();
        frame->setBackGroundImg(shot, QRect(QPoint(0, 0), area));
        frame->onSetMaterialInfo(mark, &record);
        editor.setGeometry(QRect(QPoint(100, 100), area));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(SrTest::waitPlaced(&editor));
        QVERIFY(SrTest::spinUntil([frame] { return frame->getItemRect().isValid(); }, 10000));

        // The pointer over the watermark brings up the button.
        const QRect item = frame->getItemRect();
        const QPoint over = frame->mapToGlobal(item.center());
        QVERIFY(SrTest::xdotool({"mousemove", QString::number(over.x()), QString::number(over.y())}));

        // Outside the watermark and its handles the screen is white but for the button.
        const QRect onScreen(frame->mapToGlobal(QPoint(0, 0)), frame->size());
        const QRect watermark = item.adjusted(-6, -6, 6, 6);
        QRect button;
        QImage screen;
        QVERIFY(SrTest::spinUntil(
            [&] {
                screen = QGuiApplication::primaryScreen()->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(),
                                                                      onScreen.height())
                             .toImage();
                button = QRect();
                for (int y = 0; y < screen.height(); ++y)
                    for (int x = 0; x < screen.width(); ++x)
                        if (!watermark.contains(x, y) && !isWhite(screen.pixel(x, y)))
                            button |= QRect(x, y, 1, 1);
                return button.width() > 10 && button.height() > 10;
            },
            10000));
        int background = 0;
        int text = 0;
        for (int y = button.top(); y <= button.bottom(); ++y)
            for (int x = button.left(); x <= button.right(); ++x)
                (isWhite(screen.pixel(x, y)) ? text : background) += 1;
        const int all = button.width() * button.height();
        QVERIFY2(background > all / 2, qPrintable(QStringLiteral("%1 of %2 pixels coloured").arg(background).arg(all)));
        QVERIFY2(text > 0, "no text on the button");
        editor.hide();
    }
};

SR_TEST_DISPLAY(WatermarkControlsTest)
#include "tst_watermarkcontrols.moc"
