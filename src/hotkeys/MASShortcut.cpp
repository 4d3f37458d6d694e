#include "MASShortcut.h"

#include "HotKeyRegistry.h"
#include "core/SettingsKeys.h"
#include "services/PlatformSeam.h"

#include "OvHotKeyBackend.h"
#include "OvKeyCodes.h"
#include "OvKeyboardLayout.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

#include <iterator>

namespace {
constexpr quint64 kKeySpace = 49;
constexpr quint64 kKeyEscape = 53;
constexpr quint64 kEventKeyCodeMask = 0xFFFF;
// The first of the sixteen function-key characters of menu key equivalents (F1).
constexpr ushort kFunctionKeyCharF1 = 0xF704;
constexpr int kMenuFunctionKeys = 16;

// F1 to F20, in order.
const quint64 kFunctionKeys[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109,
                                 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};

int functionKeyIndex(quint64 keyCode)
{
    for (int i = 0; i < int(std::size(kFunctionKeys)); ++i)
        if (kFunctionKeys[i] == keyCode)
            return i;
    return -1;
}

QString tr(const char* text) { return QCoreApplication::translate("MASShortcut", text); }

// The modifiers as the desktops of Linux name them, in the order they are written.
struct ModifierName {
    quint64 flag;
    const char* name;
};
const ModifierName kModifierNames[] = {{OvKeyCodes::kControl, QT_TRANSLATE_NOOP("MASShortcut", "Ctrl")},
                                       {OvKeyCodes::kOption, QT_TRANSLATE_NOOP("MASShortcut", "Alt")},
                                       {OvKeyCodes::kShift, QT_TRANSLATE_NOOP("MASShortcut", "Shift")},
                                       {OvKeyCodes::kCommand, QT_TRANSLATE_NOOP("MASShortcut", "Super")}};

// The name a desktop shows for a key whose fixed text is a glyph; null for the other keys.
const char* desktopKeyName(quint64 keyCode)
{
    switch (keyCode) {
    case 36: return QT_TRANSLATE_NOOP("MASShortcut", "Return");
    case 48: return QT_TRANSLATE_NOOP("MASShortcut", "Tab");
    case 51: return QT_TRANSLATE_NOOP("MASShortcut", "Backspace");
    case 53: return QT_TRANSLATE_NOOP("MASShortcut", "Esc");
    case 76: return QT_TRANSLATE_NOOP("MASShortcut", "Enter");
    case 78: return "-";
    case 114: return QT_TRANSLATE_NOOP("MASShortcut", "Insert");
    case 115: return QT_TRANSLATE_NOOP("MASShortcut", "Home");
    case 119: return QT_TRANSLATE_NOOP("MASShortcut", "End");
    case 116: return QT_TRANSLATE_NOOP("MASShortcut", "Page Up");
    case 121: return QT_TRANSLATE_NOOP("MASShortcut", "Page Down");
    case 117: return QT_TRANSLATE_NOOP("MASShortcut", "Delete");
    case 123: return QT_TRANSLATE_NOOP("MASShortcut", "Left");
    case 124: return QT_TRANSLATE_NOOP("MASShortcut", "Right");
    case 125: return QT_TRANSLATE_NOOP("MASShortcut", "Down");
    case 126: return QT_TRANSLATE_NOOP("MASShortcut", "Up");
    default: return nullptr;
    }
}

// Keys with a fixed text whatever the layout.
QString specialKeyText(quint64 keyCode, bool* special)
{
    *special = true;
    switch (keyCode) {
    case 36: return QString(QChar(0x21A9));
    case 48: return QString(QChar(0x21E5));
    case 49: return tr("Space");
    case 51: return QString(QChar(0x232B));
    case 53: return QString(QChar(0x238B));
    case 65: return QStringLiteral(".");
    case 67: return QStringLiteral("*");
    case 69: return QStringLiteral("+");
    case 75: return QStringLiteral("/");
    case 78: return QString(QChar(0x2013));
    case 81: return QStringLiteral("=");
    case 71: return QString(QChar(0x2327));
    case 76: return QString(QChar(0x2305));
    case 82: return QStringLiteral("0");
    case 83: return QStringLiteral("1");
    case 84: return QStringLiteral("2");
    case 85: return QStringLiteral("3");
    case 86: return QStringLiteral("4");
    case 87: return QStringLiteral("5");
    case 88: return QStringLiteral("6");
    case 89: return QStringLiteral("7");
    case 91: return QStringLiteral("8");
    case 92: return QStringLiteral("9");
    case 114: return QStringLiteral("?");
    case 115: return QString(QChar(0x2196));
    case 119: return QString(QChar(0x2198));
    case 116: return QString(QChar(0x21DE));
    case 121: return QString(QChar(0x21DF));
    case 117: return QString(QChar(0x2326));
    case 123: return QString(QChar(0x2190));
    case 124: return QString(QChar(0x2192));
    case 125: return QString(QChar(0x2193));
    case 126: return QString(QChar(0x2191));
    default: break;
    }
    const int f = functionKeyIndex(keyCode);
    if (f >= 0 && f < kMenuFunctionKeys)
        return QStringLiteral("F%1").arg(f + 1);
    *special = false;
    return QString();
}

bool printable(const QString& text)
{
    for (const QChar c : text)
        if (!c.isLetterOrNumber() && !c.isPunct() && !c.isSymbol())
            return false;
    return true;
}

struct Keyboard {
    const char* program;
    QStringList arguments;
};
} // namespace

MASShortcut MASShortcut::shortcutWithKeyCode(quint64 keyCode, quint64 modifierFlags)
{
    MASShortcut s;
    s.m_set = true;
    s.m_keyCode = keyCode;
    s.setModifierFlags(modifierFlags);
    return s;
}

MASShortcut MASShortcut::shortcutWithEvent(quint64 keyCode, quint64 modifierFlags)
{
    return shortcutWithKeyCode(keyCode & kEventKeyCodeMask, modifierFlags);
}

MASShortcut MASShortcut::shortcutWithData(const QVariant& data)
{
    if (data.type() != QVariant::Map)
        return MASShortcut();
    const QVariantMap map = data.toMap();
    bool ok = false;
    const qint64 keyCode = map.value(QStringLiteral("KeyCode")).toLongLong(&ok);
    if (!ok || keyCode < 0) // a negative key code is the stored "no key"
        return MASShortcut();
    const quint64 flags = quint64(map.value(QStringLiteral("ModifierFlags")).toLongLong());
    return shortcutWithKeyCode(quint64(keyCode), flags);
}

QVariant MASShortcut::archiveOfNil() { return QStringLiteral(""); }

QString MASShortcut::userDefaultsKey(int hotKey)
{
    switch (hotKey) {
    case RP_HK_PAUSE: return QLatin1String(SettingsKeys::kShortcutPause);
    case RP_HK_START: return QLatin1String(SettingsKeys::kShortcutStartStop);
    case RP_HK_SNAPSHOT: return QLatin1String(SettingsKeys::kShortcutSnapshot);
    case RP_HK_WEBCAM: return QLatin1String(SettingsKeys::kShortcutWebcam);
    case RP_HK_FLOAT: return QLatin1String(SettingsKeys::kShortcutFloat);
    default: return QString();
    }
}

MASShortcut MASShortcut::defaultShortcut(int hotKey)
{
    constexpr quint64 flags = OvKeyCodes::kControl | OvKeyCodes::kCommand;
    switch (hotKey) {
    case RP_HK_PAUSE: return shortcutWithKeyCode(15, flags);   // R
    case RP_HK_START: return shortcutWithKeyCode(1, flags);    // S
    case RP_HK_SNAPSHOT: return shortcutWithKeyCode(8, flags); // C
    case RP_HK_WEBCAM: return shortcutWithKeyCode(13, flags);  // W
    case RP_HK_FLOAT: return shortcutWithKeyCode(40, flags);   // K
    default: return MASShortcut();
    }
}

void MASShortcut::setKeyCode(quint64 keyCode)
{
    m_set = true;
    m_keyCode = keyCode;
}

void MASShortcut::setModifierFlags(quint64 modifierFlags)
{
    m_set = true;
    m_modifierFlags = modifierFlags & OvKeyCodes::kModifierMask;
}

quint32 MASShortcut::carbonKeyCode() const { return hasKey() ? quint32(m_keyCode) : 0; }

quint32 MASShortcut::carbonFlags() const
{
    quint32 flags = 0;
    if (m_modifierFlags & OvKeyCodes::kCommand)
        flags |= 0x100;
    if (m_modifierFlags & OvKeyCodes::kShift)
        flags |= 0x200;
    if (m_modifierFlags & OvKeyCodes::kOption)
        flags |= 0x800;
    if (m_modifierFlags & OvKeyCodes::kControl)
        flags |= 0x1000;
    return flags;
}

QString MASShortcut::keyCodeString() const
{
    if (!hasKey())
        return QString();
    bool special = false;
    const QString fixed = specialKeyText(m_keyCode, &special);
    if (special)
        return fixed;
    const quint32 xKeycode = OvKeyCodes::xKeycode(m_keyCode);
    if (xKeycode == 0)
        return QString();
    QString text = OvKeyboardLayout::keyText(xKeycode);
    if (text.isNull())
        text = OvKeyCodes::usLayoutText(m_keyCode);
    return printable(text) ? text.toUpper() : QString();
}

QString MASShortcut::keyCodeStringForKeyEquivalent() const
{
    const QString text = keyCodeString();
    if (text.length() < 2)
        return text.toLower();
    if (m_keyCode == kKeySpace)
        return QStringLiteral(" ");
    const int f = functionKeyIndex(m_keyCode);
    if (f >= 0 && f < kMenuFunctionKeys)
        return QString(QChar(ushort(kFunctionKeyCharF1 + f)));
    return QString();
}

QString MASShortcut::modifierFlagsString() const
{
    QStringList names;
    for (const ModifierName& modifier : kModifierNames)
        if (m_modifierFlags & modifier.flag)
            names << tr(modifier.name);
    return names.join(QLatin1Char('+'));
}

QString MASShortcut::description() const
{
    const QString modifiers = modifierFlagsString();
    const char* name = desktopKeyName(m_keyCode);
    const QString key = name ? tr(name) : keyCodeString();
    if (modifiers.isEmpty() || key.isEmpty())
        return modifiers + key;
    return modifiers + QLatin1Char('+') + key;
}

QVariant MASShortcut::data() const
{
    if (!hasKey())
        return archiveOfNil();
    QVariantMap map;
    map.insert(QStringLiteral("KeyCode"), qint64(m_keyCode));
    map.insert(QStringLiteral("ModifierFlags"), qint64(m_modifierFlags));
    return map;
}

bool MASShortcut::isValid() const
{
    if (!hasKey())
        return false;
    if (functionKeyIndex(m_keyCode) >= 0)
        return true;
    if (m_modifierFlags == 0)
        return false;
    if (m_modifierFlags & (OvKeyCodes::kControl | OvKeyCodes::kCommand))
        return true;
    if (m_modifierFlags & OvKeyCodes::kOption)
        return m_keyCode == kKeySpace || m_keyCode == kKeyEscape;
    return false;
}

bool MASShortcut::shouldBypass() const
{
    if (m_modifierFlags != OvKeyCodes::kCommand)
        return false;
    const QString text = keyCodeString();
    return text == QLatin1String("W") || text == QLatin1String("Q");
}

bool MASShortcut::isTakenError(MASShortcutError* error) const
{
    if (!hasKey())
        return false;
    if (OvHotKeyBackend::instance()->isTakenElsewhere(m_keyCode, m_modifierFlags)) {
        if (error) {
            error->description = tr("This combination (%1) cannot be used because it is already used by a "
                                    "system-wide keyboard shortcut.")
                                     .arg(description());
            error->recoverySuggestion = tr("If you really want to use this key combination, most shortcuts can "
                                           "be changed in the keyboard settings of your desktop.");
            error->recoveryOptions = QStringList{tr("OK"), tr("Change in Keyboard Settings")};
        }
        return true;
    }
    QList<QAction*> menus;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (QMenuBar* bar : top->findChildren<QMenuBar*>())
            menus += bar->actions();
    return isKeyEquivalent(keyCodeStringForKeyEquivalent(), m_modifierFlags, menus, error);
}

bool MASShortcut::isKeyEquivalent(const QString& keyEquivalent, quint64 flags, const QList<QAction*>& actions,
                                  MASShortcutError* error)
{
    if (keyEquivalent.isEmpty())
        return false; // an item without a key equivalent would match every empty text
    for (QAction* action : actions) {
        if (action->menu() && isKeyEquivalent(keyEquivalent, flags, action->menu()->actions(), error))
            return true;
        const QKeySequence sequence = action->shortcut();
        if (sequence.isEmpty())
            continue;
        const int chord = sequence[0];
        const int qtModifiers = chord & int(Qt::KeyboardModifierMask);
        const quint64 itemFlags = OvKeyCodes::flagsForQtModifiers(qtModifiers);
        const quint64 keyCode = OvKeyCodes::keyCodeForQtKey(chord & ~int(Qt::KeyboardModifierMask),
                                                            qtModifiers & Qt::KeypadModifier);
        const QString itemEquivalent = shortcutWithKeyCode(keyCode, itemFlags).keyCodeStringForKeyEquivalent();
        if (itemEquivalent.isEmpty() || itemEquivalent.toLower() != keyEquivalent)
            continue;
        const bool taken = itemEquivalent == keyEquivalent ? itemFlags == flags
                                                           : (itemFlags | OvKeyCodes::kShift) == flags;
        if (!taken)
            continue;
        if (error) {
            *error = MASShortcutError();
            error->description = tr("This shortcut cannot be used because it is already used by the menu item "
                                    "\u2018%1\u2019.")
                                     .arg(action->text().remove(QLatin1Char('&')));
        }
        return true;
    }
    return false;
}

bool MASShortcut::attemptRecoveryFromError(int optionIndex, QString* failure)
{
    if (optionIndex != 1)
        return false;
    // The keyboard-shortcut settings of the common desktops, the first one present is opened.
    const Keyboard candidates[] = {
        {"gnome-control-center", {QStringLiteral("keyboard")}},
        {"cinnamon-settings", {QStringLiteral("keyboard")}},
        {"systemsettings", {QStringLiteral("kcm_keys")}},
        {"xfce4-keyboard-settings", {}},
        {"mate-keybinding-properties", {}},
    };
    for (const Keyboard& k : candidates) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(k.program));
        if (program.isEmpty())
            continue;
        if (PlatformSeam::current()->startDetached(program, k.arguments))
            return true;
        if (failure)
            *failure = tr("The keyboard settings (%1) could not be opened.").arg(program);
        return false;
    }
    if (failure)
        *failure = tr("No keyboard settings program was found on this desktop.");
    return false;
}

bool MASShortcut::operator==(const MASShortcut& other) const
{
    if (m_set != other.m_set)
        return false;
    return !m_set || (m_keyCode == other.m_keyCode && m_modifierFlags == other.m_modifierFlags);
}
