#include "TestEnv.h"
#include "TestMain.h"
#include "hotkeys/MASShortcut.h"

#include "OvUserDefaults.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint64 kNoKey = 0x7FFFFFFFFFFFFFFFULL;
constexpr quint64 kShift = 0x20000, kControl = 0x40000, kOption = 0x80000, kCommand = 0x100000;
constexpr quint64 kCapsLock = 0x10000, kFn = 0x800000;
} // namespace

class MASShortcutTest : public QObject {
    Q_OBJECT
private slots:
    void textsOfStoredNumbers_data()
    {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("keyEquivalent");
        QTest::newRow("control command S") << quint64(1) << (kControl | kCommand) << "Ctrl+Super+S" << "s";
        QTest::newRow("modifier order") << quint64(0) << (kCommand | kShift | kOption | kControl)
                                        << "Ctrl+Alt+Shift+Super+A" << "a";
        QTest::newRow("caps lock and fn dropped") << quint64(8) << (kCapsLock | kFn | kControl) << "Ctrl+C" << "c";
        QTest::newRow("F5") << quint64(96) << quint64(0) << "F5" << "\uF708";
        QTest::newRow("space") << quint64(49) << kOption << "Alt+Space" << " ";
        QTest::newRow("keypad minus") << quint64(78) << kControl << "Ctrl+-" << "\u2013";
        QTest::newRow("keypad 8") << quint64(91) << kControl << "Ctrl+8" << "8";
        QTest::newRow("return") << quint64(36) << kCommand << "Super+Return" << "\u21A9";
        QTest::newRow("page down") << quint64(121) << kCommand << "Super+Page Down" << "\u21DF";
        QTest::newRow("F17 has no text") << quint64(64) << quint64(0) << "" << "";
        QTest::newRow("modifier key has no text") << quint64(55) << kControl << "Ctrl" << "";
        QTest::newRow("no key") << kNoKey << (kControl | kCommand) << "Ctrl+Super" << "";
    }
    void textsOfStoredNumbers()
    {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const MASShortcut s = MASShortcut::shortcutWithKeyCode(keyCode, flags);
        QTEST(s.description(), "description");
        QTEST(s.keyCodeStringForKeyEquivalent(), "keyEquivalent");
    }

    void validityAndBypass_data()
    {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("bypass");
        QTest::newRow("F5 alone") << quint64(96) << quint64(0) << true << false;
        QTest::newRow("F20 alone") << quint64(90) << quint64(0) << true << false;
        QTest::newRow("plain keypad plus") << quint64(69) << quint64(0) << false << false;
        QTest::newRow("shift A") << quint64(0) << kShift << false << false;
        QTest::newRow("option A") << quint64(0) << kOption << false << false;
        QTest::newRow("option space") << quint64(49) << kOption << true << false;
        QTest::newRow("option shift escape") << quint64(53) << (kOption | kShift) << true << false;
        QTest::newRow("control A") << quint64(0) << kControl << true << false;
        QTest::newRow("no key") << kNoKey << (kControl | kCommand) << false << false;
        QTest::newRow("command W") << quint64(13) << kCommand << true << true;
        QTest::newRow("command Q") << quint64(12) << kCommand << true << true;
        QTest::newRow("shift command W") << quint64(13) << (kShift | kCommand) << true << false;
    }
    void validityAndBypass()
    {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const MASShortcut s = MASShortcut::shortcutWithKeyCode(keyCode, flags);
        QTEST(s.isValid(), "valid");
        QTEST(s.shouldBypass(), "bypass");
    }

    // The stored form survives a restart of the store, a cleared hotkey stays present as the
    // empty value, and whatever is not a shortcut with a key reads as none.
    void archiveRoundTrip()
    {
        OvUserDefaults* store = OvUserDefaults::instance();
        const QString path = SrTest::newFolder("archive") + "/UserDefaults.ini";
        store->setFileName(path);
        QSignalSpy changed(store, &OvUserDefaults::changed);
        const MASShortcut start = MASShortcut::defaultShortcut(RP_HK_START);
        QVERIFY(store->setValue("keysStop", start.data()));
        QVERIFY(store->setValue("keysWebCam", MASShortcut::archiveOfNil()));
        QCOMPARE(changed.count(), 2);

        store->setFileName(path); // read back from the file
        QCOMPARE(MASShortcut::shortcutWithData(store->value("keysStop")), start);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("KeyCode=1\n") && text.contains("ModifierFlags=1310720\n"), text.constData());
        QVERIFY(store->value("keysWebCam").isValid());
        QVERIFY(MASShortcut::shortcutWithData(store->value("keysWebCam")).isNull());
        QVERIFY(!store->value("keysFloat").isValid());

        QVERIFY(MASShortcut::shortcutWithData(QVariantMap{{"KeyCode", -1}, {"ModifierFlags", 0x140000}}).isNull());
        QVERIFY(MASShortcut::shortcutWithData(QVariantMap{{"ModifierFlags", 0x140000}}).isNull());
        QVERIFY(MASShortcut::shortcutWithData(QStringLiteral("garbage")).isNull());
        QCOMPARE(MASShortcut::shortcutWithData(QVariantMap{{"KeyCode", "8"}, {"ModifierFlags", "1376256"}}),
                 MASShortcut::shortcutWithKeyCode(8, kControl | kCommand));
        QCOMPARE(MASShortcut::shortcutWithKeyCode(kNoKey, kControl).data(), MASShortcut::archiveOfNil());
    }

    // A menu item's chord is taken exactly, upper or lower case aside, never by an item
    // without a shortcut.
    void menuItemsTakeTheirChords()
    {
        QMenuBar bar;
        QMenu* file = bar.addMenu("&File");
        file->addAction("Open");
        file->addMenu("Recent")->addAction("Save &As")->setShortcut(QKeySequence("Ctrl+Shift+S"));
        const QList<QAction*> menu = bar.actions();
        MASShortcutError error;
        const auto taken = [&](quint64 keyCode, quint64 flags) {
            const MASShortcut s = MASShortcut::shortcutWithKeyCode(keyCode, flags);
            return MASShortcut::isKeyEquivalent(s.keyCodeStringForKeyEquivalent(), flags, menu, &error);
        };
        QVERIFY(taken(1, kShift | kControl));
        QVERIFY(error.description.contains("\u2018Save As\u2019"));
        QVERIFY(!taken(1, kControl));
        QVERIFY(!taken(1, kShift | kControl | kCommand));
        QVERIFY(!taken(kNoKey, kShift | kControl));
    }
};

SR_TEST(MASShortcutTest)
#include "tst_masshortcut.moc"
