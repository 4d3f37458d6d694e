#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/SignalsTransfer.h"
#include "hotkeys/MASShortcutUserDefaultsHotKey.h"
#include "hotkeys/testMASShotcutPriv.h"

#include "OvKeyCodes.h"
#include "OvUserDefaults.h"
#include "OvX11HotKeyBackend.h"
#include "XcbConnection.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <utility>
#include <vector>

namespace {
constexpr quint64 kControlCommand = 0x140000;
constexpr quint64 kKeyF = 3;
// Longer than the X server's delay before a held key repeats (660 ms by default).
constexpr int kHoldMs = 1500;

bool xdotool(const QStringList& arguments) { return SrTest::run("xdotool", arguments, 10000); }
} // namespace

// The X11 hot keys on a real display, pressed with xdotool.
class X11HotKeyTest : public QObject {
    Q_OBJECT
private slots:
    void chordHeldByAnotherClientIsTaken()
    {
        XcbConnection other;
        QVERIFY(other.isOpen());
        const xcb_keycode_t keycode = xcb_keycode_t(OvKeyCodes::xKeycode(kKeyF));
        const auto grabbed = xcb_request_check(other.get(),
                                               xcb_grab_key_checked(other.get(), 1, other.root(),
                                                                    XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_4, keycode,
                                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        QVERIFY(!grabbed);

        OvX11HotKeyBackend backend;
        QVERIFY(backend.isTakenElsewhere(kKeyF, kControlCommand));
        QCOMPARE(backend.install(1, kKeyF, kControlCommand), OvHotKeyBackend::Result::Taken);
        QCOMPARE(backend.install(2, kKeyF, kControlCommand | OvKeyCodes::kShift),
                 OvHotKeyBackend::Result::Installed);
        QVERIFY(!backend.isTakenElsewhere(kKeyF, kControlCommand | OvKeyCodes::kShift));
        QCOMPARE(backend.install(3, OvKeyCodes::kNoKey, kControlCommand), OvHotKeyBackend::Result::NoKey);
    }

    // The default start/stop chord fires once per press: held down, with Caps Lock on.
    void pressFiresOncePerPress()
    {
        OvUserDefaults::instance()->setFileName(SrTest::newFolder("x11") + "/ud.ini");
        OvUserDefaults::instance()->setValue("keysStop", MASShortcut::defaultShortcut(RP_HK_START).data());
        testMASShotcutPriv rows;
        rows.add(nullptr, RP_HK_START); // no view: the binding alone
        QCOMPARE(MASShortcutUserDefaultsHotKey::binding("keysStop")->status(),
                 MASShortcutUserDefaultsHotKey::Status::Installed);
        QSignalSpy pressed(SignalsTransfer::instance(), &SignalsTransfer::hotKeyPressed);

        QVERIFY(xdotool({"key", "ctrl+super+s"}));
        QVERIFY(SrTest::spinUntil([&] { return pressed.count() == 1; }, 5000));
        QCOMPARE(pressed.at(0).at(0).toInt(), int(RP_HK_START));

        QVERIFY(xdotool({"keydown", "ctrl+super+s"}));
        QTest::qWait(kHoldMs);
        QVERIFY(xdotool({"keyup", "ctrl+super+s"}));
        QTest::qWait(200);
        QCOMPARE(pressed.count(), 2);

        QVERIFY(xdotool({"key", "Caps_Lock"}));
        QVERIFY(xdotool({"key", "ctrl+super+s"}));
        QVERIFY(xdotool({"key", "Caps_Lock"}));
        QVERIFY(SrTest::spinUntil([&] { return pressed.count() == 3; }, 5000));
    }

    // Super moved to another modifier bit while a chord is grabbed: the chord follows it.
    void chordFollowsSuperToAnotherModifier()
    {
        OvX11HotKeyBackend backend;
        QSignalSpy pressed(&backend, &OvHotKeyBackend::activated);
        QCOMPARE(backend.install(1, kKeyF, kControlCommand), OvHotKeyBackend::Result::Installed);

        XcbConnection x;
        auto map = xcbReply(x.get(), xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(x.get()));
        QVERIFY(map);
        const int perModifier = map->keycodes_per_modifier;
        const xcb_keycode_t* current = xcb_get_modifier_mapping_keycodes(map.get());
        const std::vector<xcb_keycode_t> before(current, current + 8 * perModifier);
        auto setMap = [&](const std::vector<xcb_keycode_t>& keycodes) {
            auto set = xcbReply(x.get(), xcb_set_modifier_mapping_reply,
                                xcb_set_modifier_mapping(x.get(), perModifier, keycodes.data()));
            return set && set->status == XCB_MAPPING_STATUS_SUCCESS;
        };
        std::vector<xcb_keycode_t> moved = before;
        const int mod3 = 5, mod4 = 6; // rows: Shift, Lock, Control, Mod1 .. Mod5
        for (int k = 0; k < perModifier; ++k) {
            QCOMPARE(int(moved[mod3 * perModifier + k]), 0);
            std::swap(moved[mod3 * perModifier + k], moved[mod4 * perModifier + k]);
        }
        QVERIFY(setMap(moved));
        QTest::qWait(200); // the mapping notice reaches the backend
        QVERIFY(xdotool({"key", "ctrl+super+f"}));
        const bool fired = SrTest::spinUntil([&] { return pressed.count() == 1; }, 5000);
        QVERIFY(setMap(before));
        QVERIFY(fired);
    }
};

SR_TEST_DISPLAY(X11HotKeyTest)
#include "tst_x11hotkeys.moc"
