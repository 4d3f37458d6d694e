#pragma once
// The stored key numbers and their X11 counterparts. A shortcut is stored as a key position
// number (the "key code", positional like an X keycode) and modifier flags; both stay in
// these numbers everywhere above the platform layer and are turned into X keycodes and X
// modifier masks only where a key is grabbed or read. Pure tables: any thread may call.

#include <QString>
#include <QtGlobal>

namespace OvKeyCodes {
// The stored value for "no key".
constexpr quint64 kNoKey = 0x7FFFFFFFFFFFFFFFULL;

// Stored modifier flags. Command is the Super key, Option the Alt key.
constexpr quint64 kShift = 0x20000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kCommand = 0x100000;
// The flags a shortcut keeps; every other bit (Caps Lock, Fn, device bits) is dropped.
constexpr quint64 kModifierMask = kShift | kControl | kOption | kCommand;

// The X keycode of the key at stored position `keyCode`; 0 when the key has no X position
// (no key, an unknown number, a modifier key). 0 is never a key to grab (X reads it as AnyKey).
quint32 xKeycode(quint64 keyCode);
// The stored key code of the X keycode `xKeycode`; kNoKey when the key has no stored number.
quint64 keyCodeForXKeycode(quint32 xKeycode);
// The stored key code for a Qt key (Qt::Key; `keypad` for keys of the number pad), used where
// no native scan code is known; kNoKey when there is none.
quint64 keyCodeForQtKey(int qtKey, bool keypad);
// True for the keys that are modifiers themselves (Shift, Control, Alt, Super, Caps Lock).
bool isModifierKey(quint64 keyCode);

// The stored flags of Qt keyboard modifiers (Qt::KeyboardModifiers as int) and back.
quint64 flagsForQtModifiers(int qtModifiers);
int qtModifiersForFlags(quint64 flags);

// The text of the key at `keyCode` on a US layout (upper case), the fixed answer where no
// keyboard layout can be read; empty for keys without printable text.
QString usLayoutText(quint64 keyCode);
} // namespace OvKeyCodes
