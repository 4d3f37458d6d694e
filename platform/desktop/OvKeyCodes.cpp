#include "OvKeyCodes.h"

#include <Qt>

namespace {
struct KeyEntry {
    quint64 keyCode; // stored number
    quint32 xKeycode;
    const char* usText; // upper case; empty for keys without printable text
};

// Key positions on a US keyboard (X keycodes are evdev codes + 8).
const KeyEntry kKeys[] = {
    // letters
    {0, 38, "A"}, {1, 39, "S"}, {2, 40, "D"}, {3, 41, "F"}, {4, 43, "H"}, {5, 42, "G"}, {6, 52, "Z"},
    {7, 53, "X"}, {8, 54, "C"}, {9, 55, "V"}, {11, 56, "B"}, {12, 24, "Q"}, {13, 25, "W"}, {14, 26, "E"},
    {15, 27, "R"}, {16, 29, "Y"}, {17, 28, "T"}, {31, 32, "O"}, {32, 30, "U"}, {34, 31, "I"}, {35, 33, "P"},
    {37, 46, "L"}, {38, 44, "J"}, {40, 45, "K"}, {45, 57, "N"}, {46, 58, "M"},
    // digit row
    {18, 10, "1"}, {19, 11, "2"}, {20, 12, "3"}, {21, 13, "4"}, {23, 14, "5"}, {22, 15, "6"}, {26, 16, "7"},
    {28, 17, "8"}, {25, 18, "9"}, {29, 19, "0"},
    // punctuation, and the extra key of ISO keyboards
    {24, 21, "="}, {27, 20, "-"}, {30, 35, "]"}, {33, 34, "["}, {39, 48, "'"}, {41, 47, ";"}, {42, 51, "\\"},
    {43, 59, ","}, {44, 61, "/"}, {47, 60, "."}, {50, 49, "`"}, {10, 94, "<"},
    // Return, Tab, Space, Delete (BackSpace), Escape
    {36, 36, ""}, {48, 23, ""}, {49, 65, ""}, {51, 22, ""}, {53, 9, ""},
    // number pad
    {65, 91, "."}, {67, 63, "*"}, {69, 86, "+"}, {75, 106, "/"}, {76, 104, ""}, {78, 82, "-"}, {81, 125, "="},
    {82, 90, "0"}, {83, 87, "1"}, {84, 88, "2"}, {85, 89, "3"}, {86, 83, "4"}, {87, 84, "5"}, {88, 85, "6"},
    {89, 79, "7"}, {91, 80, "8"}, {92, 81, "9"},
    // F1 to F20
    {122, 67, ""}, {120, 68, ""}, {99, 69, ""}, {118, 70, ""}, {96, 71, ""}, {97, 72, ""}, {98, 73, ""},
    {100, 74, ""}, {101, 75, ""}, {109, 76, ""}, {103, 95, ""}, {111, 96, ""}, {105, 191, ""}, {107, 192, ""},
    {113, 193, ""}, {106, 194, ""}, {64, 195, ""}, {79, 196, ""}, {80, 197, ""}, {90, 198, ""},
    // Help (Insert), Home, Page Up, Forward Delete, End, Page Down, arrows
    {114, 118, ""}, {115, 110, ""}, {116, 112, ""}, {117, 119, ""}, {119, 115, ""}, {121, 117, ""},
    {123, 113, ""}, {124, 114, ""}, {125, 116, ""}, {126, 111, ""},
};

// Modifier keys: known positions, never grabbed, without text.
const KeyEntry kModifierKeys[] = {
    {55, 133, ""}, {54, 134, ""}, {56, 50, ""}, {60, 62, ""}, {58, 64, ""},
    {61, 108, ""}, {59, 37, ""}, {62, 105, ""}, {57, 66, ""},
};

const KeyEntry* find(quint64 keyCode)
{
    for (const KeyEntry& e : kKeys)
        if (e.keyCode == keyCode)
            return &e;
    return nullptr;
}

struct QtKeyEntry {
    int qtKey;
    quint64 keyCode;
};

const QtKeyEntry kQtKeys[] = {
    {Qt::Key_Return, 36}, {Qt::Key_Tab, 48}, {Qt::Key_Backtab, 48}, {Qt::Key_Space, 49},
    {Qt::Key_Backspace, 51}, {Qt::Key_Escape, 53}, {Qt::Key_Insert, 114}, {Qt::Key_Help, 114},
    {Qt::Key_Home, 115}, {Qt::Key_PageUp, 116}, {Qt::Key_Delete, 117}, {Qt::Key_End, 119},
    {Qt::Key_PageDown, 121}, {Qt::Key_Left, 123}, {Qt::Key_Right, 124}, {Qt::Key_Down, 125},
    {Qt::Key_Up, 126}, {Qt::Key_Shift, 56}, {Qt::Key_Control, 59}, {Qt::Key_Alt, 58},
    {Qt::Key_Meta, 55}, {Qt::Key_Super_L, 55}, {Qt::Key_Super_R, 54}, {Qt::Key_CapsLock, 57},
};

const QtKeyEntry kQtKeypadKeys[] = {
    {Qt::Key_Period, 65}, {Qt::Key_Asterisk, 67}, {Qt::Key_Plus, 69}, {Qt::Key_Slash, 75},
    {Qt::Key_Enter, 76}, {Qt::Key_Minus, 78}, {Qt::Key_Equal, 81}, {Qt::Key_0, 82}, {Qt::Key_1, 83},
    {Qt::Key_2, 84}, {Qt::Key_3, 85}, {Qt::Key_4, 86}, {Qt::Key_5, 87}, {Qt::Key_6, 88},
    {Qt::Key_7, 89}, {Qt::Key_8, 91}, {Qt::Key_9, 92},
};

// F1 to F20 in order.
const quint64 kFunctionKeys[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109,
                                 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};
} // namespace

quint32 OvKeyCodes::xKeycode(quint64 keyCode)
{
    const KeyEntry* e = find(keyCode);
    return e ? e->xKeycode : 0;
}

quint64 OvKeyCodes::keyCodeForXKeycode(quint32 xKeycode)
{
    for (const KeyEntry& e : kKeys)
        if (e.xKeycode == xKeycode)
            return e.keyCode;
    for (const KeyEntry& e : kModifierKeys)
        if (e.xKeycode == xKeycode)
            return e.keyCode;
    return kNoKey;
}

quint64 OvKeyCodes::keyCodeForQtKey(int qtKey, bool keypad)
{
    if (keypad)
        for (const QtKeyEntry& e : kQtKeypadKeys)
            if (e.qtKey == qtKey)
                return e.keyCode;
    for (const QtKeyEntry& e : kQtKeys)
        if (e.qtKey == qtKey)
            return e.keyCode;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20)
        return kFunctionKeys[qtKey - Qt::Key_F1];
    // Letters, digits and punctuation: Qt's key is the character's code.
    if (qtKey > 0x20 && qtKey < 0x7F) {
        const QString text = QString(QChar(qtKey)).toUpper();
        for (const KeyEntry& e : kKeys)
            if (!(e.keyCode >= 65 && e.keyCode <= 92) && text == QLatin1String(e.usText))
                return e.keyCode;
    }
    return kNoKey;
}

bool OvKeyCodes::isModifierKey(quint64 keyCode)
{
    for (const KeyEntry& e : kModifierKeys)
        if (e.keyCode == keyCode)
            return true;
    return false;
}

quint64 OvKeyCodes::flagsForQtModifiers(int qtModifiers)
{
    quint64 flags = 0;
    if (qtModifiers & Qt::ShiftModifier)
        flags |= kShift;
    if (qtModifiers & Qt::ControlModifier)
        flags |= kControl;
    if (qtModifiers & Qt::AltModifier)
        flags |= kOption;
    if (qtModifiers & Qt::MetaModifier)
        flags |= kCommand;
    return flags;
}

int OvKeyCodes::qtModifiersForFlags(quint64 flags)
{
    int modifiers = Qt::NoModifier;
    if (flags & kShift)
        modifiers |= Qt::ShiftModifier;
    if (flags & kControl)
        modifiers |= Qt::ControlModifier;
    if (flags & kOption)
        modifiers |= Qt::AltModifier;
    if (flags & kCommand)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

QString OvKeyCodes::usLayoutText(quint64 keyCode)
{
    const KeyEntry* e = find(keyCode);
    return e ? QString::fromLatin1(e->usText) : QString();
}
