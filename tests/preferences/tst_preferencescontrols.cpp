// The Preferences' controls under a real mouse and keyboard on the X display (xdotool): a
// hotkey row is changed by a click and a chord, and the wheel over the pages scrolls them
// without changing the lists it passes over.

#include "DesktopInput.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvUserDefaults.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "hotkeys/FrameMASShotcut.h"
#include "hotkeys/MASShortcut.h"
#include "hotkeys/MASShortcutView.h"
#include "preferences/OptionDialog.h"

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {
const quint64 kKeyJ = 38;
// L: Ctrl+Super+K is the float panel's shortcut, grabbed as a global hotkey, so the X server
// hands it to the grab and never to the field.
const quint64 kKeyL = 37;

using SrTest::child;

MASShortcut stored(RP_HotKey hotKey)
{
    return MASShortcut::shortcutWithData(OvUserDefaults::instance()->value(MASShortcut::userDefaultsKey(hotKey)));
}

// Clicks a recorder field on its shortcut text, left of the clear glyph.
bool clickShortcutText(MASShortcutView* view)
{
    return SrTest::clickAt(view, QPoint((view->width() - MASShortcutView::kHintWidth) / 2, view->height() / 2));
}
} // namespace

class PreferencesControlsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hotkeyIsChangedByAClickAndAChord();
    void wheelScrollsThePagesWithoutChangingLists();

private:
    OptionDialog* m_pDlg = nullptr;
};

void PreferencesControlsTest::init()
{
    ModalAnswers::clear();
    OvUserDefaults::instance()->setFileName(SrTest::newFolder(QTest::currentTestFunction()) + "/UserDefaults.ini");
    m_pDlg = new OptionDialog;
    QVERIFY(m_pDlg->init());
    m_pDlg->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pDlg));
}

void PreferencesControlsTest::cleanup()
{
    delete m_pDlg;
    m_pDlg = nullptr;
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void PreferencesControlsTest::hotkeyIsChangedByAClickAndAChord()
{
    child(m_pDlg, "btnHotkeys")->click();
    auto* frame = child<FrameMASShotcut>(m_pDlg, "frmMASShortcut");
    MASShortcutView* view = frame->view(RP_HK_PAUSE);
    QTRY_VERIFY(!view->visibleRegion().isEmpty());

    // The press starts the recording and the release keeps it going.
    QVERIFY(clickShortcutText(view));
    QVERIFY(SrTest::spinUntil([view] { return view->isRecording(); }, 10000));
    QTest::qWait(300);
    QVERIFY(view->isRecording());
    QVERIFY(SrTest::pressChord({"ctrl", "super", "j"}));
    QVERIFY(SrTest::spinUntil([view] { return !view->isRecording(); }, 10000));
    const MASShortcut chosen = MASShortcut::shortcutWithKeyCode(kKeyJ, MASShortcutView::kDefaultModifiers);
    QCOMPARE(stored(RP_HK_PAUSE), chosen);

    // Esc ends a recording and keeps the shortcut; the dialog stays open.
    QVERIFY(clickShortcutText(view));
    QVERIFY(SrTest::spinUntil([view] { return view->isRecording(); }, 10000));
    QVERIFY(SrTest::pressChord({"Escape"}));
    QVERIFY(SrTest::spinUntil([view] { return !view->isRecording(); }, 10000));
    QCOMPARE(stored(RP_HK_PAUSE), chosen);
    QVERIFY(m_pDlg->isVisible());

    // A click on the page elsewhere ends a recording too, and a second row takes a chord.
    MASShortcutView* other = frame->view(RP_HK_SNAPSHOT);
    QVERIFY(clickShortcutText(other));
    QVERIFY(SrTest::spinUntil([other] { return other->isRecording(); }, 10000));
    QVERIFY(SrTest::clickAt(child<QWidget>(m_pDlg, "gbHotkeys"), QPoint(4, 4)));
    QVERIFY(SrTest::spinUntil([other] { return !other->isRecording(); }, 10000));
    QVERIFY(clickShortcutText(other));
    QVERIFY(SrTest::spinUntil([other] { return other->isRecording(); }, 10000));
    QVERIFY(SrTest::pressChord({"ctrl", "super", "l"}));
    QVERIFY(SrTest::spinUntil([other] { return !other->isRecording(); }, 10000));
    QCOMPARE(stored(RP_HK_SNAPSHOT), MASShortcut::shortcutWithKeyCode(kKeyL, MASShortcutView::kDefaultModifiers));
}

void PreferencesControlsTest::wheelScrollsThePagesWithoutChangingLists()
{
    child(m_pDlg, "btnOutput")->click();
    QScrollBar* bar = child<QScrollArea>(m_pDlg, "scrollArea")->verticalScrollBar();
    QTRY_VERIFY(bar->value() > 0);
    auto* format = child<QComboBox>(m_pDlg, "cmbImgFormat");
    QTRY_VERIFY(!format->visibleRegion().isEmpty());
    QList<QComboBox*> lists = m_pDlg->findChildren<QComboBox*>();
    QList<int> before;
    for (QComboBox* list : lists)
        before << list->currentIndex();

    // Up the page and down again, the pointer over a list all along.
    const int start = bar->value();
    QVERIFY(SrTest::wheelOver(format, 3));
    QVERIFY(SrTest::spinUntil([bar, start] { return bar->value() < start; }, 10000));
    QTest::qWait(200);
    const int up = bar->value();
    QVERIFY(SrTest::wheelOver(format, -3));
    QVERIFY(SrTest::spinUntil([bar, up] { return bar->value() > up; }, 10000));
    for (int i = 0; i < lists.size(); ++i)
        QVERIFY2(lists[i]->currentIndex() == before[i], qPrintable(lists[i]->objectName()));
}

SR_TEST_DISPLAY(PreferencesControlsTest)
#include "tst_preferencescontrols.moc"
