#pragma once
// The process's installed hot keys, one per chord (key code and modifier flags, never their
// text), each with its handler and a fresh id (the first is 1; a failed attempt uses its id
// up). Installs through OvHotKeyBackend::instance() and calls the handler of the id the
// backend reports. GUI thread only.

#include "hotkeys/MASShortcut.h"

#include "OvHotKeyBackend.h"

#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <functional>

class HotKeyRegistry : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    static HotKeyRegistry* instance();

    // Installs the shortcut with `handler`. Returns the hot key's id, or 0 when nothing was
    // installed: no shortcut or no key (*result NoKey), the chord is already installed here
    // (*result Taken, the first installer keeps it), or the backend refused (its answer).
    quint32 addGlobalHotkeyMonitor(const MASShortcut& shortcut, const Handler& handler,
                                   OvHotKeyBackend::Result* result = nullptr);
    // Uninstalls the hot key `id`; 0 or an id no longer installed does nothing.
    void removeGlobalHotkeyMonitor(quint32 id);
    // True when this process has the chord installed.
    bool isInstalled(quint64 keyCode, quint64 modifierFlags) const;
    int count() const { return m_hotKeys.size(); }

private:
    HotKeyRegistry() = default;
    void useBackend(OvHotKeyBackend* backend);
    void onActivated(quint32 id);

    struct HotKey {
        quint32 id = 0;
        Handler handler;
    };
    using Chord = QPair<quint64, quint64>;
    QMap<Chord, HotKey> m_hotKeys;
    QPointer<OvHotKeyBackend> m_backend;
    quint32 m_lastId = 0;
};
