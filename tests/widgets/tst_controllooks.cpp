// How controls show their state, compared in pictures of the real windows under the
// application's skin on the X display: each checkable control looks different checked and
// unchecked, a disabled control greys its text out, the Preferences opened
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

const int kInkContrast = 40; // grey levels darker than the background that count as drawn
const int kButtonEdge = 3;   // pixels at each side of a step button that belong to its frame
const int kMinArrowRows = 3;

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

// Whether the ink in `area` (a step button) is an arrow pointing up: at least three rows
// tall and widest in its lower half. A down arrow is widest in its upper half; a plain
// bevel is a line or nothing.
bool pointsUp(const QImage& area)
{
    const QRgb background = area.pixel(area.width() / 2, 0);
    const auto isInk = [&](int x, int y) { return qGray(area.pixel(x, y)) < qGray(background) - kInkContrast; };
    int top = -1;
    int bottom = -1;
    int widestRow = -1;
    int widest = 0;
    for (int y = 0; y < area.height(); ++y) {
        int first = -1;
        int last = -1;
        // The button's own edge columns are left out: a bevel draws its lines there.
        for (int x = kButtonEdge; x < area.width() - kButtonEdge; ++x) {
            if (!isInk(x, y))
                continue;
            if (first < 0)
                first = x;
            last = x;
        }
        if (first < 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        if (last - first + 1 > widest) {
            widest = last - first + 1;
            widestRow = y;
        }
    }
    if (top < 0 || bottom - top + 1 < kMinArrowRows)
        return false;
    return widestRow > (top + bottom) / 2;
}

// The grey level of the darkest pixel of a check box's text (its box left out).
int darkestText(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect text = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    const QImage picture = look(box).copy(text);
    int darkest = 255;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            darkest = qMin(darkest, qGray(picture.pixel(x, y)));
    return darkest;
}

// The main window for the length of a test: the dialogs under test are its children, as in
// the program, and go before it.
class MainWindowAround {
public:
    MainWindowAround() : m_pBase(MainEntry::createMainWindow()) {}
    ~MainWindowAround() { MainEntry::destroyMainWindow(m_pBase); }
    MainWindowBase* base() const { return m_pBase; }
    bool exposed() const { return QTest::qWaitForWindowExposed(m_pBase); }

private:
    MainWindowBase* m_pBase;
};

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
        MainWindowAround main;
        QVERIFY(main.exposed());
        // The dialog's parent is the strip inside the main window's bottom bar, as when the
        // user opens it.
        OptionDialog dlg(main.base()->mainWindow()->historyTool()->shortcutTool());
        QVERIFY(dlg.init());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (const char* name : {"btnMouseNone", "btnMouseClick", "btnMouseFlash"})
            QVERIFY2(showsCheckedState(child(&dlg, name)), name);
        for (const char* name : {"btnOutputFolderBrowse", "btnSaveFileOpen"}) {
            QAbstractButton* button = child(&dlg, name);
            const QRect icon = inkRect(look(button));
            QVERIFY2(icon.width() >= button->iconSize().width() * 3 / 4,
                     qPrintable(QStringLiteral("%1: %2 px").arg(name).arg(icon.width())));
        }
        // "Highlight mouse area" is disabled with the cursor off, and its text greys out.
        auto* highlight = child<QCheckBox>(&dlg, "chbIndicate");
        const int enabledText = darkestText(highlight);
        child(&dlg, "chbCursor")->click();
        QVERIFY(!highlight->isEnabled());
        const int disabledText = darkestText(highlight);
        QVERIFY2(disabledText > enabledText + kInkContrast,
                 qPrintable(QStringLiteral("%1 -> %2").arg(enabledText).arg(disabledText)));
        dlg.hide();
    }

    // The watermark manager made as the bottom strip makes it: a child of the main window,
    // set up before shown. Its style and page buttons show which is on; its opacity box
    // draws an arrow on each step button.
    void watermarkManagerShowsItsStates()
    {
        MainWindowAround main;
        QVERIFY(main.exposed());
        DlgWatermarkManage dlg(main.base());
        dlg.onInitUI();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (const char* name : {"btnFontBold", "btnFontItalic", "btnFontTU", "btnFontTS", "btnUsePng", "btnUseText",
                                 "btnNoWater"})
            QVERIFY2(showsCheckedState(child(&dlg, name)), name);

        child(&dlg, "btnUsePng")->click(); // the page with the opacity box
        auto* spin = child<QSpinBox>(&dlg, "spTransparency");
        QTRY_VERIFY(!spin->visibleRegion().isEmpty());
        QStyleOptionSpinBox option;
        option.initFrom(spin);
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        const QImage picture = look(spin);
        for (const QStyle::SubControl part : {QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
            const QRect button = spin->style()->subControlRect(QStyle::CC_SpinBox, &option, part, spin);
            QVERIFY(!button.isEmpty());
            QVERIFY2(pointsUp(picture.copy(button)) == (part == QStyle::SC_SpinBoxUp),
                     part == QStyle::SC_SpinBoxUp ? "up button" : "down button");
        }
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

};

SR_TEST_DISPLAY(ControlLooksTest)
#include "tst_controllooks.moc"
