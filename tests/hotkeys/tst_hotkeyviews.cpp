// The hotkey rows and their recorder fields, the reminder and the key sequence editor, mostly without
// a display: keys are sent to the widgets, hot keys go to a backend that grabs nothing.

#include "DesktopInput.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "hotkeys/CustomKeySequenceEdit.h"
#include "hotkeys/DlgHotKeyMessage.h"
#include "hotkeys/FrameMASShotcut.h"
#include "hotkeys/MASShortcut.h"
#include "hotkeys/MASShortcutView.h"

#include "OvHotKeyBackend.h"
#include "OvUserDefaults.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
const quint64 kControlCommand = OvKeyCodes::kControl | OvKeyCodes::kCommand;
const quint64 kKeyJ = 38;
const quint64 kKeyF17 = 64;

// Grabs nothing; answers Taken for the chords in `taken`.
class ScriptedBackend : public OvHotKeyBackend {
public:
    QList<QPair<quint64, quint64>> taken;
    Result install(quint32, quint64 keyCode, quint64 flags) override
    {
        return taken.contains({keyCode, flags}) ? Result::Taken : Result::Installed;
    }
    void uninstall(quint32) override {}
    bool isTakenElsewhere(quint64 keyCode, quint64 flags) override { return taken.contains({keyCode, flags}); }
};

MASShortcut stored(RP_HotKey hotKey)
{
    return MASShortcut::shortcutWithData(OvUserDefaults::instance()->value(MASShortcut::userDefaultsKey(hotKey)));
}
} // namespace

class HotkeyViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ModalAnswers::clear();
        OvUserDefaults::instance()->setFileName(SrTest::newFolder(QTest::currentTestFunction()) + "/UserDefaults.ini");
        m_previous = OvHotKeyBackend::setInstance(&m_backend);
    }
    void cleanup()
    {
        OvHotKeyBackend::setInstance(m_previous);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }
    void recorderShowsHeldModifiersAndStoresAValidChord();
    void rowsKeepStoredShortcutsAndShowAChordHeldElsewhere();
    void reminderRemembersItsBoxHoweverItCloses();
    void keySequenceEditKeepsOneChordWithAModifier();

private:
    ScriptedBackend m_backend;
    OvHotKeyBackend* m_previous = nullptr;
};

void HotkeyViewsTest::recorderShowsHeldModifiersAndStoresAValidChord()
{
    FrameMASShotcut frame;
    MASShortcutView* view = frame.view(RP_HK_START);
    MASShortcutView* other = frame.view(RP_HK_PAUSE);
    other->setRecording(true);
    view->setRecording(true);
    QVERIFY(!other->isRecording()); // one field records at a time

    // The modifiers held are shown as they are pressed and let go; a key that is no
    // shortcut keeps the field recording. Keys go to whatever has the focus, and carry the
    // modifiers held before them, as X reports them.
    const auto send = [&frame](QEvent::Type type, int key, Qt::KeyboardModifiers before) {
        QKeyEvent event(type, key, before);
        QApplication::sendEvent(&frame, &event);
    };
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    send(QEvent::KeyPress, Qt::Key_Meta, Qt::ControlModifier);
    QCOMPARE(view->shortcutPlaceholder(), QString("Ctrl+Super"));
    send(QEvent::KeyRelease, Qt::Key_Meta, Qt::ControlModifier | Qt::MetaModifier);
    QCOMPARE(view->shortcutPlaceholder(), QString("Ctrl"));
    send(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(view->shortcutPlaceholder(), QString());
    QTest::keyClick(&frame, Qt::Key_J, Qt::ShiftModifier);
    QVERIFY(view->isRecording());
    QCOMPARE(stored(RP_HK_START), MASShortcut::defaultShortcut(RP_HK_START));

    // A valid chord is stored and ends the recording; Backspace clears the stored one.
    QTest::keyClick(&frame, Qt::Key_J, Qt::ControlModifier | Qt::MetaModifier);
    QVERIFY(!view->isRecording());
    QCOMPARE(stored(RP_HK_START), MASShortcut::shortcutWithKeyCode(kKeyJ, kControlCommand));
    view->setRecording(true);
    QTest::keyClick(&frame, Qt::Key_Backspace);
    QVERIFY(!view->isRecording());
    QVERIFY(OvUserDefaults::instance()->value(MASShortcut::userDefaultsKey(RP_HK_START)).isValid());
    QVERIFY(stored(RP_HK_START).isNull());

    // A chord held elsewhere is said, and the field goes on recording with its old value.
    m_backend.taken = {{kKeyJ, kControlCommand}};
    view->setRecording(true);
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    QTest::keyClick(&frame, Qt::Key_J, Qt::ControlModifier | Qt::MetaModifier);
    QCOMPARE(ModalAnswers::asked().size(), 1);
    QVERIFY(view->isRecording());
    QVERIFY(stored(RP_HK_START).isNull());
    view->setCellDisenabled();
}

void HotkeyViewsTest::rowsKeepStoredShortcutsAndShowAChordHeldElsewhere()
{
    // A shortcut whose key has no menu text (F17) is the user's all the same; a row with
    // nothing stored gets its default.
    const MASShortcut f17 = MASShortcut::shortcutWithKeyCode(kKeyF17, 0);
    OvUserDefaults::instance()->setValue(MASShortcut::userDefaultsKey(RP_HK_SNAPSHOT), f17.data());
    m_backend.taken = {{MASShortcut::defaultShortcut(RP_HK_START).keyCode(), kControlCommand}};
    {
        FrameMASShotcut frame;
        QCOMPARE(stored(RP_HK_SNAPSHOT), f17);
        QCOMPARE(stored(RP_HK_FLOAT), MASShortcut::defaultShortcut(RP_HK_FLOAT));
        QVERIFY(!frame.problemText(RP_HK_START).isEmpty());
        QVERIFY(frame.problemText(RP_HK_PAUSE).isEmpty());

        // The same chord in a second row: the row bound later says so.
        frame.view(RP_HK_WEBCAM)->setShortcutValue(MASShortcut::defaultShortcut(RP_HK_FLOAT));
        QVERIFY(!frame.problemText(RP_HK_WEBCAM).isEmpty());
        QVERIFY(frame.problemText(RP_HK_FLOAT).isEmpty());
    }
    // Forced defaults replace every row.
    FrameMASShotcut frame;
    frame.setDefaulKeyCode(true);
    QCOMPARE(stored(RP_HK_SNAPSHOT), MASShortcut::defaultShortcut(RP_HK_SNAPSHOT));
}

void HotkeyViewsTest::reminderRemembersItsBoxHoweverItCloses()
{
    DlgHotKeyMessage dlg;
    auto* remindOff = dlg.findChild<QCheckBox*>("chbRemindAgain");
    remindOff->setChecked(true);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QVERIFY(DlgHotKeyMessage::isRemindOff());
    remindOff->setChecked(false);
    dlg.show();
    dlg.findChild<QPushButton*>("btnOK")->click();
    QVERIFY(!DlgHotKeyMessage::isRemindOff());
}

void HotkeyViewsTest::keySequenceEditKeepsOneChordWithAModifier()
{
    CustomKeySequenceEdit edit;
    QSignalSpy finished(&edit, &CustomKeySequenceEdit::editFinished);
    const auto type = [&edit](int key, Qt::KeyboardModifiers modifiers) {
        edit.clear();
        QTest::keyClick(&edit, Qt::Key(key), modifiers);
        return edit.keySequence();
    };
    QCOMPARE(type(Qt::Key_A, Qt::NoModifier), QKeySequence());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(type(Qt::Key_Plus, Qt::NoModifier), QKeySequence());
    QCOMPARE(type(Qt::Key_A, Qt::AltModifier), QKeySequence());
    QCOMPARE(type(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier), QKeySequence("Ctrl+Shift+A"));
    finished.clear();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.keySequence(), QKeySequence());
    QCOMPARE(finished.count(), 0);
}

SR_TEST(HotkeyViewsTest)

// The reminder's rows on the X display, changed as the user does it: a click (press and
// release through xdotool) on a row, then a chord; Esc ends a second recording and keeps it.
class HotkeyReminderClickTest : public QObject {
    Q_OBJECT
private slots:
    void rowIsChangedByAClickAndAChord();
};

void HotkeyReminderClickTest::rowIsChangedByAClickAndAChord()
{
    ModalAnswers::clear();
    OvUserDefaults::instance()->setFileName(SrTest::newFolder(QTest::currentTestFunction()) + "/UserDefaults.ini");
    DlgHotKeyMessage dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    MASShortcutView* view = dlg.hotkeyFrame()->view(RP_HK_START);
    const QPoint onText((view->width() - MASShortcutView::kHintWidth) / 2, view->height() / 2);

    QVERIFY(SrTest::clickAt(view, onText));
    QVERIFY(SrTest::spinUntil([view] { return view->isRecording(); }, 10000));
    QVERIFY(SrTest::pressChord({"ctrl", "super", "j"}));
    QVERIFY(SrTest::spinUntil([view] { return !view->isRecording(); }, 10000));
    const MASShortcut chosen = MASShortcut::shortcutWithKeyCode(kKeyJ, kControlCommand);
    QCOMPARE(stored(RP_HK_START), chosen);

    QVERIFY(SrTest::clickAt(view, onText));
    QVERIFY(SrTest::spinUntil([view] { return view->isRecording(); }, 10000));
    QVERIFY(SrTest::pressChord({"Escape"}));
    QVERIFY(SrTest::spinUntil([view] { return !view->isRecording(); }, 10000));
    QCOMPARE(stored(RP_HK_START), chosen);
    QVERIFY(dlg.isVisible()); // Esc went to the recorder, not to the dialog
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

SR_TEST_DISPLAY(HotkeyReminderClickTest)
#include "tst_hotkeyviews.moc"
