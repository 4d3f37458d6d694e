// How controls show their state, compared in pictures of the real windows under the
// application's skin on the X display: each checkable control looks different checked and
// unchecked, a disabled control looks different from an enabled one, the Preferences opened
// from the main window keep their own looks (full-size folder icons), the webcam's
// microphone switch draws another picture when off, and spin boxes draw their arrows.

#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvResourceMgr.h"
#include "ScCamera.h"
#include "TestMain.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "app/RecordHistoryTool.h"
#include "capture_tools/CameraDlg.h"
#include "core/CameraManager.h"
#include "preferences/OptionDialog.h"
#include "preferences/ShortcutTool.h"
#include "watermark/DlgWatermarkManage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QSpinBox>
#include <QStyleOption>
#include <QTest>

namespace {
using SrTest::child;

QImage look(QWidget* widget)
{
    QCoreApplication::processEvents();
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The box around the pixels that differ from the top-left corner's colour.
QRect inkRect(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The look of `button` checked and unchecked differ.
bool showsCheckedState(QAbstractButton* button)
{
    const bool was = button->isChecked();
    button->setChecked(true);
    const QImage on = look(button);
    button->setChecked(false);
    const QImage off = look(button);
    button->setChecked(was);
    return on != off;
}
} // namespace

class ControlLooksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(OvResourceMgr::instance()->setSkin(QStringLiteral("default"))); }
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void preferencesInTheMainWindowShowTheirStates()
    {
        MainWindowBase* base = MainEntry::createMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(base));
        // The dialog's parent is the strip inside the main window's bottom bar, as when the
        // user opens it; it goes before the main window that owns it.
        {
            OptionDialog dlg(base->mainWindow()->historyTool()->shortcutTool());
            QVERIFY(dlg.init());
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            for (const char* name : {"btnMouseNone", "btnMouseClick", "btnMouseFlash"})
                QVERIFY2(showsCheckedState(child(&dlg, name)), name);
            for (const char* name : {"btnOutputFolderBrowse", "btnSaveFileOpen"}) {
                QAbstractButton* button = child(&dlg, name);
                const QRect icon = inkRect(look(button));
                QVERIFY2(icon.width() >= button->iconSize().width() * 3 / 4, qPrintable(QStringLiteral("%1: %2 px").arg(name).arg(icon.width())));
            }
            // "Highlight mouse area" is disabled with the cursor off, and looks it.
            auto* highlight = child<QCheckBox>(&dlg, "chbIndicate");
            const QImage enabled = look(highlight);
            child(&dlg, "chbCursor")->click();
            QVERIFY(!highlight->isEnabled());
            QVERIFY(look(highlight) != enabled);
            dlg.hide();
        }
        MainEntry::destroyMainWindow(base);
    }

    void watermarkButtonsShowWhichIsOn()
    {
        MainWindowBase* base = MainEntry::createMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(base));
        {
            // Made as the bottom strip makes it: a child of the main window, set up before shown.
            DlgWatermarkManage dlg(base);
            dlg.onInitUI();
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            for (const char* name : {"btnFontBold", "btnFontItalic", "btnFontTU", "btnFontTS", "btnUsePng",
                                     "btnUseText", "btnNoWater"})
                QVERIFY2(showsCheckedState(child(&dlg, name)), name);
        }
        MainEntry::destroyMainWindow(base);
    }

    void microphoneSwitchDrawsItsState()
    {
        scSetSyntheticCamera("1");
        {
            CameraDlg dlg(true);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            auto* on = child<QAbstractButton>(&dlg, "btnMic");
            auto* off = child<QAbstractButton>(&dlg, "btnMicOff");
            const QSize size = on->iconSize();
            QVERIFY(on->icon().pixmap(size).toImage() != off->icon().pixmap(size).toImage());
        }
        CameraManager::release();
        scSetSyntheticCamera(nullptr);
    }

    void spinBoxesDrawTheirArrows()
    {
        QSpinBox spin;
        spin.setRange(0, 10);
        spin.resize(120, 30);
        spin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&spin));
        QStyleOptionSpinBox option;
        option.initFrom(&spin);
        option.subControls = QStyle::SC_SpinBoxUp;
        const QRect up = spin.style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, &spin);
        QVERIFY(!up.isEmpty());
        QVERIFY(!inkRect(look(&spin).copy(up.adjusted(2, 1, -2, -1))).isEmpty());
    }
};

SR_TEST_DISPLAY(ControlLooksTest)
#include "tst_controllooks.moc"
