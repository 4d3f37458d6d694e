#include "OvKeyboardLayout.h"

#include "Log.h"
#include "XcbConnection.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace {
struct Layout {
    bool read = false; // a read was tried since the last reload()
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;

    void clear()
    {
        if (state)
            xkb_state_unref(state);
        if (keymap)
            xkb_keymap_unref(keymap);
        state = nullptr;
        keymap = nullptr;
        read = false;
    }
    ~Layout() { clear(); }
};

Layout& layout()
{
    static Layout instance;
    return instance;
}

// Reads the keymap and state of the core keyboard of the display DISPLAY names.
void readLayout(Layout& l)
{
    l.read = true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    XcbConnection conn;
    if (!conn.isOpen())
        return;
    if (!xkb_x11_setup_xkb_extension(conn.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        Log("desktop", 2, "keyboard layout: the display has no XKB extension");
        return;
    }
    const int32_t device = xkb_x11_get_core_keyboard_device_id(conn.get());
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                       &xkb_context_unref);
    if (device < 0 || !context)
        return;
    l.keymap = xkb_x11_keymap_new_from_device(context.get(), conn.get(), device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (l.keymap)
        l.state = xkb_x11_state_new_from_device(l.keymap, conn.get(), device);
    if (!l.state) {
        Log("desktop", 2, "keyboard layout: the keymap could not be read");
        l.clear();
        l.read = true;
    }
}
} // namespace

QString OvKeyboardLayout::keyText(quint32 xKeycode)
{
    Layout& l = layout();
    if (!l.read)
        readLayout(l);
    if (!l.state)
        return QString();
    const xkb_layout_index_t group = xkb_state_key_get_layout(l.state, xKeycode);
    if (group == XKB_LAYOUT_INVALID)
        return QStringLiteral("");
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(l.keymap, xKeycode, group, 0, &syms);
    QString text;
    for (int i = 0; i < count; ++i) {
        const uint32_t ucs = xkb_keysym_to_utf32(syms[i]);
        if (ucs)
            text += QString::fromUcs4(&ucs, 1);
    }
    return text.isNull() ? QStringLiteral("") : text;
}

void OvKeyboardLayout::reload() { layout().clear(); }
