#pragma once
// A keyboard shortcut as a value: a key code and modifier flags in the stored numbers of
// OvKeyCodes (the key position; Shift, Control, Option = Alt, Command = Super), with its
// texts, its validity rules, its stored form and its conflict check. A default-made value is
// "no shortcut" (isNull); a value without a key counts as no shortcut wherever it would be
// stored, read or installed. Texts read the keyboard layout: GUI thread.

#include "core/RecordTypes.h"

#include "OvKeyCodes.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

class QAction;

// Why a shortcut cannot be used, for the question the recorder shows.
struct MASShortcutError {
    QString description;
    QString recoverySuggestion;
    QStringList recoveryOptions;
};

class MASShortcut {
public:
    MASShortcut() = default;

    static MASShortcut shortcutWithKeyCode(quint64 keyCode, quint64 modifierFlags);
    // A key event's shortcut: only the low 16 bits of the key code count.
    static MASShortcut shortcutWithEvent(quint64 keyCode, quint64 modifierFlags);
    // Reads a stored form (data()); anything else, the stored empty value and a shortcut
    // without a key give no shortcut.
    static MASShortcut shortcutWithData(const QVariant& data);
    // The stored form of "no shortcut" (a cleared hotkey): the explicit empty value.
    static QVariant archiveOfNil();

    // The user-defaults key and the default shortcut of a hotkey (RP_HotKey); an empty key
    // and no shortcut for another number.
    static QString userDefaultsKey(int hotKey);
    static MASShortcut defaultShortcut(int hotKey);

    bool isNull() const { return !m_set; }
    // True for a shortcut that has a key (the only kind that can be stored or installed).
    bool hasKey() const { return m_set && m_keyCode != OvKeyCodes::kNoKey; }

    quint64 keyCode() const { return m_keyCode; }
    quint64 modifierFlags() const { return m_modifierFlags; }
    void setKeyCode(quint64 keyCode);
    // Keeps only Shift, Control, Option and Command.
    void setModifierFlags(quint64 modifierFlags);

    // The key code, 0 for no key.
    quint32 carbonKeyCode() const;
    // The modifiers as Command 0x100, Shift 0x200, Option 0x800, Control 0x1000.
    quint32 carbonFlags() const;

    // The key's text: a fixed glyph or name for special keys, else the key's text in the
    // current layout (upper case), empty for keys without printable text.
    QString keyCodeString() const;
    // The key's text as a menu key equivalent: one lower-case character, " " for Space, the
    // function-key characters for F1-F16, empty otherwise.
    QString keyCodeStringForKeyEquivalent() const;
    // The modifiers as the desktop names them, joined by "+": "Ctrl+Alt+Shift+Super" in that
    // order (Option is Alt, Command is Super); empty when none is set.
    QString modifierFlagsString() const;
    // The shortcut as the desktop writes it: the modifiers and the key joined by "+"
    // ("Ctrl+Super+S", "Ctrl+Page Down"); special keys by their names, not glyphs.
    QString description() const;

    // The stored form: a map of "KeyCode" and "ModifierFlags"; archiveOfNil() for no
    // shortcut or no key.
    QVariant data() const;

    bool isValid() const;
    // Command alone with W or Q: left to the application, never recorded.
    bool shouldBypass() const;

    // True when another program holds the chord or a menu item of ours uses it; `error`
    // (may be null) then says which.
    bool isTakenError(MASShortcutError* error) const;
    // The menu check: true when an action of `actions` (searched into submenus) has the key
    // equivalent `keyEquivalent` with `flags`.
    static bool isKeyEquivalent(const QString& keyEquivalent, quint64 flags, const QList<QAction*>& actions,
                                MASShortcutError* error);
    // The recovery of a "held by another program" error: option 1 opens the desktop's
    // keyboard settings. True only when they were opened; `failure` then stays untouched,
    // else (option 1) it says why not.
    static bool attemptRecoveryFromError(int optionIndex, QString* failure);

    bool operator==(const MASShortcut& other) const;
    bool operator!=(const MASShortcut& other) const { return !(*this == other); }

private:
    bool m_set = false;
    quint64 m_keyCode = OvKeyCodes::kNoKey;
    quint64 m_modifierFlags = 0;
};

Q_DECLARE_METATYPE(MASShortcut)
