#include "OvX11HotKeyBackend.h"

#include "Log.h"
#include "OvKeyCodes.h"
#include "OvKeyboardLayout.h"
#include "XcbReply.h"

#include <QCoreApplication>
#include <QTimer>
#include <QX11Info>

#include <xcb/xcb_keysyms.h>

#include <memory>

namespace {
constexpr xcb_keysym_t kKeysymAltL = 0xffe9;
constexpr xcb_keysym_t kKeysymAltR = 0xffea;
constexpr xcb_keysym_t kKeysymSuperL = 0xffeb;
constexpr xcb_keysym_t kKeysymSuperR = 0xffec;
constexpr xcb_keysym_t kKeysymNumLock = 0xff7f;
// Where the modifiers usually sit, used when the modifier map cannot be read.
constexpr quint16 kUsualAltMask = XCB_MOD_MASK_1;
constexpr quint16 kUsualSuperMask = XCB_MOD_MASK_4;
constexpr quint16 kUsualNumLockMask = XCB_MOD_MASK_2;
// The XKB events of a new keymap (xkbType of an XKB extension event).
constexpr quint8 kXkbNewKeyboardNotify = 0;
constexpr quint8 kXkbMapNotify = 1;
const char kXkbExtension[] = "XKEYBOARD";
// The modifier bits a chord can be made of.
constexpr quint16 kChordBits = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2
                               | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;
} // namespace

OvX11HotKeyBackend::OvX11HotKeyBackend(QObject* parent)
    : OvHotKeyBackend(parent)
{
    if (!QX11Info::isPlatformX11() || !QX11Info::connection()) {
        Log("desktop", 2, "hot keys: no X display, no hot key can be installed");
        return;
    }
    m_conn = QX11Info::connection();
    m_root = QX11Info::appRootWindow();
    const auto xkb = xcbReply(m_conn, xcb_query_extension_reply,
                              xcb_query_extension(m_conn, sizeof(kXkbExtension) - 1, kXkbExtension));
    if (xkb && xkb->present)
        m_xkbFirstEvent = xkb->first_event;
    m_masks = readModifierMasks();
}

OvX11HotKeyBackend::~OvX11HotKeyBackend()
{
    const QList<quint32> ids = m_grabs.keys();
    for (quint32 id : ids)
        uninstall(id);
}

OvHotKeyBackend::Result OvX11HotKeyBackend::install(quint32 id, quint64 keyCode, quint64 modifierFlags)
{
    const xcb_keycode_t keycode = xcb_keycode_t(OvKeyCodes::xKeycode(keyCode));
    if (keycode == 0 || id == 0)
        return Result::NoKey;
    if (!m_conn)
        return Result::Unavailable;
    uninstall(id);
    const quint64 flags = modifierFlags & OvKeyCodes::kModifierMask;
    if (!grab(keycode, xModifiers(flags)))
        return Result::Taken;
    m_grabs.insert(id, {keycode, flags});
    updateFilter();
    return Result::Installed;
}

void OvX11HotKeyBackend::uninstall(quint32 id)
{
    const auto it = m_grabs.find(id);
    if (it == m_grabs.end())
        return;
    ungrab(it->keycode, xModifiers(it->flags));
    m_grabs.erase(it);
    if (m_conn)
        xcb_flush(m_conn);
    updateFilter();
}

bool OvX11HotKeyBackend::isTakenElsewhere(quint64 keyCode, quint64 modifierFlags)
{
    const xcb_keycode_t keycode = xcb_keycode_t(OvKeyCodes::xKeycode(keyCode));
    if (!m_conn || keycode == 0)
        return false;
    const quint64 flags = modifierFlags & OvKeyCodes::kModifierMask;
    for (const Grab& g : qAsConst(m_grabs))
        if (g.keycode == keycode && g.flags == flags)
            return false; // ours: a probe would succeed, and its ungrab would drop our own grab
    const quint16 modifiers = xModifiers(flags);
    if (!grab(keycode, modifiers))
        return true;
    ungrab(keycode, modifiers);
    xcb_flush(m_conn);
    return false;
}

quint16 OvX11HotKeyBackend::xModifiers(quint64 flags) const
{
    quint16 mask = 0;
    if (flags & OvKeyCodes::kShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (flags & OvKeyCodes::kControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (flags & OvKeyCodes::kOption)
        mask |= m_masks.alt;
    if (flags & OvKeyCodes::kCommand)
        mask |= m_masks.super;
    return mask;
}

bool OvX11HotKeyBackend::grab(xcb_keycode_t keycode, quint16 modifiers)
{
    const quint16 variants[] = {0, XCB_MOD_MASK_LOCK, m_masks.numLock, quint16(XCB_MOD_MASK_LOCK | m_masks.numLock)};
    xcb_void_cookie_t cookies[4];
    int sent = 0;
    for (int i = 0; i < 4; ++i) {
        if (i >= 2 && m_masks.numLock == 0)
            break; // without a Num Lock key the last two are the first two again
        cookies[sent++] = xcb_grab_key_checked(m_conn, 1, m_root, modifiers | variants[i], keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool refused = false;
    bool held[4] = {};
    for (int i = 0; i < sent; ++i) {
        std::unique_ptr<xcb_generic_error_t, XcbFree> error(xcb_request_check(m_conn, cookies[i]));
        held[i] = !error;
        refused = refused || error;
    }
    if (!refused)
        return true;
    for (int i = 0; i < sent; ++i)
        if (held[i])
            xcb_ungrab_key(m_conn, keycode, m_root, modifiers | variants[i]);
    xcb_flush(m_conn);
    return false;
}

void OvX11HotKeyBackend::ungrab(xcb_keycode_t keycode, quint16 modifiers)
{
    if (!m_conn)
        return;
    const quint16 variants[] = {0, XCB_MOD_MASK_LOCK, m_masks.numLock, quint16(XCB_MOD_MASK_LOCK | m_masks.numLock)};
    for (quint16 variant : variants)
        xcb_ungrab_key(m_conn, keycode, m_root, modifiers | variant);
}

OvX11HotKeyBackend::ModifierMasks OvX11HotKeyBackend::readModifierMasks() const
{
    ModifierMasks masks{kUsualAltMask, kUsualSuperMask, kUsualNumLockMask};
    auto map = xcbReply(m_conn, xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(m_conn));
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_conn);
    if (!map || !symbols) {
        if (symbols)
            xcb_key_symbols_free(symbols);
        Log("desktop", 2, "hot keys: the modifier map could not be read, the usual one is assumed");
        return masks;
    }
    // The mask of the modifier (of the eight) that one of the keysyms' keys sits on; 0 when none.
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    auto maskOf = [&](std::initializer_list<xcb_keysym_t> keysyms) -> quint16 {
        for (xcb_keysym_t keysym : keysyms) {
            std::unique_ptr<xcb_keycode_t, XcbFree> codes(xcb_key_symbols_get_keycode(symbols, keysym));
            for (const xcb_keycode_t* c = codes.get(); c && *c != XCB_NO_SYMBOL; ++c)
                for (int mod = 0; mod < 8; ++mod)
                    for (int k = 0; k < perModifier; ++k)
                        if (keycodes[mod * perModifier + k] == *c)
                            return quint16(1 << mod);
        }
        return 0;
    };
    if (const quint16 alt = maskOf({kKeysymAltL, kKeysymAltR}))
        masks.alt = alt;
    if (const quint16 super = maskOf({kKeysymSuperL, kKeysymSuperR}))
        masks.super = super;
    masks.numLock = maskOf({kKeysymNumLock});
    xcb_key_symbols_free(symbols);
    return masks;
}

void OvX11HotKeyBackend::onMappingChanged()
{
    m_regrabPending = false;
    OvKeyboardLayout::reload();
    const ModifierMasks masks = readModifierMasks();
    // A keymap notice also comes when the server merely switches between keyboards (the
    // first synthetic key press, a second keyboard): the grabs stay as they are, since
    // letting go of them even briefly would hand a chord pressed meanwhile to the focus.
    if (masks == m_masks)
        return;
    for (const Grab& g : qAsConst(m_grabs))
        ungrab(g.keycode, xModifiers(g.flags));
    m_masks = masks;
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (grab(it->keycode, xModifiers(it->flags))) {
            ++it;
        } else {
            Log("desktop", 2, "hot keys: after a keyboard change, the chord of hot key %u is held elsewhere", it.key());
            it = m_grabs.erase(it);
        }
    }
    xcb_flush(m_conn);
    updateFilter();
}

void OvX11HotKeyBackend::updateFilter()
{
    const bool wanted = !m_grabs.isEmpty();
    if (wanted == m_filterInstalled || !QCoreApplication::instance())
        return;
    if (wanted)
        QCoreApplication::instance()->installNativeEventFilter(this);
    else
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filterInstalled = wanted;
}

bool OvX11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, long* result)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type == XCB_KEY_PRESS) {
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        const quint16 state = key->state & kChordBits & ~m_masks.numLock;
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
            if (it->keycode != key->detail || xModifiers(it->flags) != state)
                continue;
            // A key held down repeats either as presses alone or as a release and a press
            // at the same time: only the first press counts.
            const bool repeat = key->detail == m_heldKeycode
                                || (key->detail == m_releasedKeycode && key->time == m_releaseTime);
            m_heldKeycode = key->detail;
            if (!repeat)
                emit activated(it.key());
            return true;
        }
    } else if (type == XCB_KEY_RELEASE) {
        auto* key = reinterpret_cast<xcb_key_release_event_t*>(event);
        if (key->detail == m_heldKeycode && m_heldKeycode != 0) {
            m_heldKeycode = 0;
            m_releasedKeycode = key->detail;
            m_releaseTime = key->time;
            return true;
        }
    } else if (type == XCB_MAPPING_NOTIFY
               || (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent
                   && (event->pad0 == kXkbNewKeyboardNotify || event->pad0 == kXkbMapNotify))) {
        if (!m_regrabPending) {
            m_regrabPending = true;
            QTimer::singleShot(0, this, &OvX11HotKeyBackend::onMappingChanged);
        }
    }
    return false;
}
