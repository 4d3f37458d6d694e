#pragma once
// The hotkey rows' bindings: one per row, each with its callback, owned here. Going away
// unbinds every row (while the views still exist). GUI thread only.

#include "core/RecordTypes.h"

#include <QList>

class CMASShortcut;
class QObject;
class callback;

class testMASShotcutPriv {
public:
    testMASShotcutPriv() = default;
    ~testMASShotcutPriv();
    testMASShotcutPriv(const testMASShotcutPriv&) = delete;
    testMASShotcutPriv& operator=(const testMASShotcutPriv&) = delete;

    // Binds the recorder view `view` (a MASShortcutView) to the hotkey `id`: the view shows
    // and edits its stored shortcut, and pressing it emits hotKeyPressed(id). Returns 0.
    int add(QObject* view, RP_HotKey id);

private:
    QList<callback*> m_callbacks;
    QList<CMASShortcut*> m_shortcuts;
};
