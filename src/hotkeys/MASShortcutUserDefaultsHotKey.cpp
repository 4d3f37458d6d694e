#include "MASShortcutUserDefaultsHotKey.h"

#include "OvUserDefaults.h"

#include <QList>

namespace {
// The bindings in the order they were made: the earlier of two with the same chord gets it.
QList<MASShortcutUserDefaultsHotKey*>& bindings()
{
    static QList<MASShortcutUserDefaultsHotKey*> registry;
    return registry;
}

MASShortcutUserDefaultsHotKey* find(const QString& key)
{
    for (MASShortcutUserDefaultsHotKey* b : bindings())
        if (b->userDefaultsKey() == key)
            return b;
    return nullptr;
}
} // namespace

void MASShortcutUserDefaultsHotKey::reinstallAll()
{
    // All are removed before any is installed again, so that a chord moved from one row to
    // another in one write goes to its new row whatever the order of the rows.
    const QList<MASShortcutUserDefaultsHotKey*> all = bindings();
    for (MASShortcutUserDefaultsHotKey* b : all)
        b->uninstall();
    for (MASShortcutUserDefaultsHotKey* b : all)
        b->install();
}

MASShortcutUserDefaultsHotKey* MASShortcutUserDefaultsHotKey::registerGlobalShortcutWithUserDefaultsKey(
    const QString& key, const HotKeyRegistry::Handler& handler)
{
    static const QMetaObject::Connection notices = QObject::connect(
        OvUserDefaults::instance(), &OvUserDefaults::changed, &MASShortcutUserDefaultsHotKey::reinstallAll);
    Q_UNUSED(notices)
    delete find(key);
    auto* binding = new MASShortcutUserDefaultsHotKey(key, handler);
    bindings().append(binding);
    binding->install();
    return binding;
}

void MASShortcutUserDefaultsHotKey::unregisterGlobalShortcutWithUserDefaultsKey(
    const QString& key, const MASShortcutUserDefaultsHotKey* owner)
{
    MASShortcutUserDefaultsHotKey* binding = find(key);
    if (binding && (!owner || binding == owner))
        delete binding;
}

MASShortcutUserDefaultsHotKey* MASShortcutUserDefaultsHotKey::binding(const QString& key)
{
    return find(key);
}

MASShortcutUserDefaultsHotKey::MASShortcutUserDefaultsHotKey(const QString& key,
                                                             const HotKeyRegistry::Handler& handler)
    : m_key(key)
    , m_handler(handler)
{
}

MASShortcutUserDefaultsHotKey::~MASShortcutUserDefaultsHotKey()
{
    uninstall();
    bindings().removeOne(this);
}

void MASShortcutUserDefaultsHotKey::uninstall()
{
    // Only the latest install is ever removed: an id is never given twice, so a binding
    // cannot take away a hot key another binding installed.
    HotKeyRegistry::instance()->removeGlobalHotkeyMonitor(m_monitor);
    m_monitor = 0;
}

void MASShortcutUserDefaultsHotKey::install()
{
    HotKeyRegistry* registry = HotKeyRegistry::instance();
    const MASShortcut shortcut = MASShortcut::shortcutWithData(OvUserDefaults::instance()->value(m_key));
    Status status = Status::NoShortcut;
    if (shortcut.hasKey()) {
        OvHotKeyBackend::Result result = OvHotKeyBackend::Result::NoKey;
        const bool duplicate = registry->isInstalled(shortcut.keyCode(), shortcut.modifierFlags());
        m_monitor = registry->addGlobalHotkeyMonitor(shortcut, m_handler, &result);
        switch (result) {
        case OvHotKeyBackend::Result::Installed: status = Status::Installed; break;
        case OvHotKeyBackend::Result::NoKey: status = Status::NoShortcut; break;
        case OvHotKeyBackend::Result::Taken: status = duplicate ? Status::Duplicate : Status::Taken; break;
        case OvHotKeyBackend::Result::Unavailable: status = Status::Unavailable; break;
        }
    }
    if (status != m_status) {
        m_status = status;
        emit statusChanged(status);
    }
}
