#include "HotKeyRegistry.h"

#include "Log.h"

HotKeyRegistry* HotKeyRegistry::instance()
{
    static HotKeyRegistry* registry = new HotKeyRegistry();
    return registry;
}

void HotKeyRegistry::useBackend(OvHotKeyBackend* backend)
{
    if (m_backend == backend)
        return;
    if (m_backend) {
        disconnect(m_backend, &OvHotKeyBackend::activated, this, &HotKeyRegistry::onActivated);
        // The chords held through the backend before stay with it; forget them here.
        for (const HotKey& hotKey : qAsConst(m_hotKeys))
            m_backend->uninstall(hotKey.id);
    }
    m_hotKeys.clear();
    m_backend = backend;
    connect(backend, &OvHotKeyBackend::activated, this, &HotKeyRegistry::onActivated);
}

quint32 HotKeyRegistry::addGlobalHotkeyMonitor(const MASShortcut& shortcut, const Handler& handler,
                                               OvHotKeyBackend::Result* result)
{
    OvHotKeyBackend::Result answer = OvHotKeyBackend::Result::NoKey;
    quint32 id = 0;
    if (shortcut.hasKey()) {
        useBackend(OvHotKeyBackend::instance());
        const Chord chord(shortcut.keyCode(), shortcut.modifierFlags());
        if (m_hotKeys.contains(chord)) {
            answer = OvHotKeyBackend::Result::Taken; // the first installer keeps it
        } else {
            const quint32 attempt = ++m_lastId;
            answer = m_backend->install(attempt, chord.first, chord.second);
            if (answer == OvHotKeyBackend::Result::Installed) {
                m_hotKeys.insert(chord, {attempt, handler});
                id = attempt;
            } else {
                Log("hotkeys", 1, "hot key %s not installed (%d)", qPrintable(shortcut.description()), int(answer));
            }
        }
    }
    if (result)
        *result = answer;
    return id;
}

void HotKeyRegistry::removeGlobalHotkeyMonitor(quint32 id)
{
    if (id == 0)
        return;
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end(); ++it) {
        if (it->id != id)
            continue;
        m_hotKeys.erase(it);
        if (m_backend)
            m_backend->uninstall(id);
        return;
    }
}

bool HotKeyRegistry::isInstalled(quint64 keyCode, quint64 modifierFlags) const
{
    return m_hotKeys.contains(Chord(keyCode, modifierFlags));
}

void HotKeyRegistry::onActivated(quint32 id)
{
    for (const HotKey& hotKey : qAsConst(m_hotKeys)) {
        if (hotKey.id != id)
            continue;
        const Handler handler = hotKey.handler; // the handler may change the registry
        if (handler)
            handler();
        return;
    }
}
