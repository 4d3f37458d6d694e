#pragma once
// The text a key gives in the current keyboard layout of the X display (its first level, no
// modifiers), read through XKB. The layout is read once and kept until reload(); GUI thread.

#include <QString>
#include <QtGlobal>

namespace OvKeyboardLayout {
// The key's text in the current layout (as the key is labelled, not upper-cased); a null
// string when no layout can be read (no X display), an empty one when the key has no text.
QString keyText(quint32 xKeycode);
// Forgets the layout read so far; the next keyText() reads the display again.
void reload();
} // namespace OvKeyboardLayout
