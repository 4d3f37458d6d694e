#include "CMASShortcut.h"

#include "MASShortcutDefaultsObserver.h"
#include "MASShortcutUserDefaultsHotKey.h"

CMASShortcut::~CMASShortcut()
{
    // Null when the binding was replaced since: the new one is left alone.
    if (m_binding)
        MASShortcutUserDefaultsHotKey::unregisterGlobalShortcutWithUserDefaultsKey(m_key, m_binding);
}

bool CMASShortcut::AddShortcutView(QObject* view, CMASShortcutaCallback* action, const QString& key)
{
    m_view = view;
    m_key = key;
    MASShortcutDefaultsObserver::setAssociatedUserDefaultsKey(view, key);
    m_binding = MASShortcutUserDefaultsHotKey::registerGlobalShortcutWithUserDefaultsKey(key, [action] {
        action->onAction();
    });
    return true;
}
