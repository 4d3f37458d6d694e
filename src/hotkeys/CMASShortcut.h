#pragma once
// One hotkey row's binding: ties a recorder view to a user-defaults key and the key's hot
// key to a callback (not owned; it must outlive this). Going away unbinds both, but never a
// binding made since by someone else. GUI thread only.

#include "CMASShortcutaCallback.h"

#include <QPointer>
#include <QString>

class MASShortcutUserDefaultsHotKey;
class QObject;

class CMASShortcut {
public:
    CMASShortcut() = default;
    ~CMASShortcut();
    CMASShortcut(const CMASShortcut&) = delete;
    CMASShortcut& operator=(const CMASShortcut&) = delete;

    // Binds `view` (see MASShortcutDefaultsObserver) to `key`, then the key's hot key to
    // `action`. Returns true.
    bool AddShortcutView(QObject* view, CMASShortcutaCallback* action, const QString& key);

private:
    QPointer<QObject> m_view;
    QString m_key;
    QPointer<MASShortcutUserDefaultsHotKey> m_binding;
};
