#include "testMASShotcutPriv.h"

#include "CMASShortcut.h"
#include "MASShortcut.h"
#include "callback.h"

testMASShotcutPriv::~testMASShotcutPriv()
{
    qDeleteAll(m_callbacks);
    qDeleteAll(m_shortcuts);
}

int testMASShotcutPriv::add(QObject* view, RP_HotKey id)
{
    auto* action = new callback(id);
    auto* shortcut = new CMASShortcut();
    shortcut->AddShortcutView(view, action, MASShortcut::userDefaultsKey(id));
    m_callbacks.append(action);
    m_shortcuts.append(shortcut);
    return 0;
}
