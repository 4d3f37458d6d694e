#pragma once
// Hot keys on X11: each chord is grabbed on the root window through Qt's xcb connection, in
// four variants (with and without Caps Lock and Num Lock), and key presses are taken from
// Qt's native event stream. GUI thread only. A grab another client holds is refused whole
// (no variant is kept); auto-repeated presses are not reported; when the keyboard mapping
// changes the modifier masks are read again and, when they moved, every chord is grabbed
// again. Without an X connection every install answers Unavailable.

#include "OvHotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

#include <xcb/xcb.h>

class OvX11HotKeyBackend : public OvHotKeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit OvX11HotKeyBackend(QObject* parent = nullptr);
    ~OvX11HotKeyBackend() override;

    Result install(quint32 id, quint64 keyCode, quint64 modifierFlags) override;
    void uninstall(quint32 id) override;
    bool isTakenElsewhere(quint64 keyCode, quint64 modifierFlags) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

private:
    // The modifier bits Alt, Super and Num Lock sit on.
    struct ModifierMasks {
        quint16 alt = 0;
        quint16 super = 0;
        quint16 numLock = 0;
        bool operator==(const ModifierMasks& o) const { return alt == o.alt && super == o.super && numLock == o.numLock; }
    };
    struct Grab {
        xcb_keycode_t keycode = 0;
        quint64 flags = 0;
    };
    // The X modifier mask of stored flags with the current masks of Alt and Super.
    quint16 xModifiers(quint64 flags) const;
    // Grabs all four lock variants, checked; false (nothing kept) when one is refused.
    bool grab(xcb_keycode_t keycode, quint16 modifiers);
    void ungrab(xcb_keycode_t keycode, quint16 modifiers);
    // Reads which modifier bits Alt, Super and Num Lock sit on (the usual ones when unreadable).
    ModifierMasks readModifierMasks() const;
    // The mapping changed: read the masks again; only when they moved, ungrab with the old
    // ones and grab with the new.
    void onMappingChanged();
    void updateFilter();

    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    quint8 m_xkbFirstEvent = 0;
    ModifierMasks m_masks;
    QHash<quint32, Grab> m_grabs;
    bool m_filterInstalled = false;
    bool m_regrabPending = false;
    // Auto-repeat: the keycode held down since its press, and the time of the last release
    // (a repeat comes as a release and a press at the same time).
    xcb_keycode_t m_heldKeycode = 0;
    xcb_keycode_t m_releasedKeycode = 0;
    xcb_timestamp_t m_releaseTime = 0;
};
