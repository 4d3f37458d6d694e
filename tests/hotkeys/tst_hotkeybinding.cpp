#include "FakeHotKeyBackend.h"
#include "FakeShortcutView.h"
#include "FileSizeLimit.h"
#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "core/SignalsTransfer.h"
#include "hotkeys/MASShortcutUserDefaultsHotKey.h"
#include "hotkeys/testMASShotcutPriv.h"

#include "OvUserDefaults.h"

#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
constexpr quint64 kControlCommand = 0x140000;
constexpr quint64 kKeyX = 7, kKeyW = 13, kDigit0 = 29, kKeypad0 = 82;
const RP_HotKey kRows[] = {RP_HK_FLOAT, RP_HK_PAUSE, RP_HK_SNAPSHOT, RP_HK_START, RP_HK_WEBCAM};

using Chord = FakeHotKeyBackend::Chord;
QList<Chord> sorted(QList<Chord> chords)
{
    std::sort(chords.begin(), chords.end());
    return chords;
}
} // namespace

// The five rows' bindings against a fake backend: exactly the grabs the stored rows imply.
class HotKeyBindingTest : public QObject {
    Q_OBJECT
    FakeHotKeyBackend m_backend;
    OvHotKeyBackend* m_before = nullptr;
    FakeShortcutView m_views[RP_HK_FLOAT + 1];

    // A frame's five rows, bound in the frame's order.
    std::unique_ptr<testMASShotcutPriv> bindRows(FakeShortcutView* views)
    {
        auto priv = std::make_unique<testMASShotcutPriv>();
        for (RP_HotKey row : kRows)
            priv->add(&views[row], row);
        return priv;
    }

private slots:
    void initTestCase() { m_before = OvHotKeyBackend::setInstance(&m_backend); }
    void cleanupTestCase() { OvHotKeyBackend::setInstance(m_before); }

    void init()
    {
        // Every test starts from a store holding the five defaults.
        OvUserDefaults::instance()->setFileName(SrTest::newFolder(QTest::currentTestFunction()) + "/ud.ini");
        for (RP_HotKey row : kRows)
            OvUserDefaults::instance()->setValue(MASShortcut::userDefaultsKey(row),
                                                 MASShortcut::defaultShortcut(row).data());
        m_backend.heldElsewhere.clear();
    }

    void grabsFollowTheRows()
    {
        QSignalSpy pressed(SignalsTransfer::instance(), &SignalsTransfer::hotKeyPressed);
        auto priv = bindRows(m_views);
        QCOMPARE(m_backend.chords(), sorted({{15, kControlCommand}, {1, kControlCommand}, {8, kControlCommand},
                                             {13, kControlCommand}, {40, kControlCommand}}));
        QCOMPARE(m_views[RP_HK_START].shortcutValue(), MASShortcut::defaultShortcut(RP_HK_START));

        // A chord set in a row is stored, grabbed instead of the old one, and fires that row.
        m_views[RP_HK_START].setShortcutValue(MASShortcut::shortcutWithKeyCode(kKeyX, kControlCommand));
        QCOMPARE(MASShortcut::shortcutWithData(OvUserDefaults::instance()->value("keysStop")).keyCode(), kKeyX);
        QCOMPARE(m_backend.chords(), sorted({{15, kControlCommand}, {kKeyX, kControlCommand}, {8, kControlCommand},
                                             {13, kControlCommand}, {40, kControlCommand}}));
        QVERIFY(m_backend.press(kKeyX, kControlCommand));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).toInt(), int(RP_HK_START));

        // The webcam's chord moves to the float row in two writes: the float row gets it, and
        // the webcam row's old registration does not take it away.
        m_views[RP_HK_WEBCAM].setShortcutValue(MASShortcut());
        QVERIFY(OvUserDefaults::instance()->value("keysWebCam").isValid());
        m_views[RP_HK_FLOAT].setShortcutValue(MASShortcut::shortcutWithKeyCode(kKeyW, kControlCommand));
        OvUserDefaults::instance()->setValue("unrelated", MASShortcut::archiveOfNil());
        QCOMPARE(m_backend.chords(), sorted({{15, kControlCommand}, {kKeyX, kControlCommand},
                                             {8, kControlCommand}, {kKeyW, kControlCommand}}));
        QVERIFY(m_backend.press(kKeyW, kControlCommand));
        QCOMPARE(pressed.at(1).at(0).toInt(), int(RP_HK_FLOAT));

        // Keypad 0 and the digit 0 look alike but are two chords; a stored "no key" grabs nothing.
        OvUserDefaults::instance()->setValue("keysSnapshot", QVariantMap{{"KeyCode", kKeypad0},
                                                                        {"ModifierFlags", kControlCommand}});
        OvUserDefaults::instance()->setValue("keysWebCam", QVariantMap{{"KeyCode", kDigit0},
                                                                      {"ModifierFlags", kControlCommand}});
        OvUserDefaults::instance()->setValue("keysPause", QVariantMap{{"KeyCode", -1},
                                                                     {"ModifierFlags", kControlCommand}});
        QCOMPARE(m_backend.chords(), sorted({{kKeyX, kControlCommand}, {kKeypad0, kControlCommand},
                                             {kKeyW, kControlCommand}, {kDigit0, kControlCommand}}));

        priv.reset();
        QVERIFY(m_backend.chords().isEmpty());
    }

    // A chord another program holds, or another row already has, is not grabbed and the row's
    // binding says so; the row keeps showing its value.
    void refusedChordsAreReported()
    {
        m_backend.heldElsewhere.insert({1, kControlCommand});
        OvUserDefaults::instance()->setValue("keysSnapshot", MASShortcut::defaultShortcut(RP_HK_PAUSE).data());
        auto priv = bindRows(m_views);
        using Status = MASShortcutUserDefaultsHotKey::Status;
        const auto status = [](RP_HotKey row) {
            return MASShortcutUserDefaultsHotKey::binding(MASShortcut::userDefaultsKey(row))->status();
        };
        QCOMPARE(status(RP_HK_START), Status::Taken);
        QCOMPARE(m_views[RP_HK_START].shortcutValue(), MASShortcut::defaultShortcut(RP_HK_START));
        QCOMPARE(status(RP_HK_PAUSE), Status::Installed);
        QCOMPARE(status(RP_HK_SNAPSHOT), Status::Duplicate);
        QCOMPARE(m_backend.installed.size(), 3);

        QSignalSpy statusChanged(MASShortcutUserDefaultsHotKey::binding("keysStop"),
                                 &MASShortcutUserDefaultsHotKey::statusChanged);
        m_backend.heldElsewhere.clear();
        OvUserDefaults::instance()->setValue("unrelated", MASShortcut::archiveOfNil());
        QCOMPARE(status(RP_HK_START), Status::Installed);
        QCOMPARE(statusChanged.count(), 1);
    }

    // A chord that cannot be stored (a full disk) is not taken: the file stays as it was, the
    // row shows the stored chord again, which stays grabbed, and the user is told.
    void aChordThatCannotBeStoredIsTakenBack()
    {
        auto priv = bindRows(m_views);
        const QString file = OvUserDefaults::instance()->fileName();
        const auto content = [&file] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = content();
        const QList<Chord> grabbed = m_backend.chords();
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        {
            SrTest::FileSizeLimit limit(before.size() / 2);
            m_views[RP_HK_START].setShortcutValue(MASShortcut::shortcutWithKeyCode(kKeyX, kControlCommand));
        }
        QCOMPARE(content(), before);
        QCOMPARE(m_views[RP_HK_START].shortcutValue(), MASShortcut::defaultShortcut(RP_HK_START));
        QCOMPARE(MASShortcut::shortcutWithData(OvUserDefaults::instance()->value("keysStop")),
                 MASShortcut::defaultShortcut(RP_HK_START));
        QCOMPARE(m_backend.chords(), grabbed);
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains(file));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // A frame torn down after the next one was built leaves the new bindings alone.
    void lateTeardownKeepsNewerBindings()
    {
        FakeShortcutView otherViews[RP_HK_FLOAT + 1];
        auto old = bindRows(m_views);
        auto current = bindRows(otherViews);
        old.reset();
        QCOMPARE(m_backend.installed.size(), 5);
        QVERIFY(MASShortcutUserDefaultsHotKey::binding("keysFloat"));
        current.reset();
        QVERIFY(m_backend.installed.isEmpty());
    }
};

SR_TEST(HotKeyBindingTest)
#include "tst_hotkeybinding.moc"
