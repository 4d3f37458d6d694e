#pragma once
// The hot key bound to one user-defaults key: installed from the stored shortcut when bound
// and again after every write to the store (all bindings' hot keys are removed, then all
// installed again, in the order the bindings were made); uninstalled when the binding goes.
// A binding only ever removes the hot key it installed itself. One binding per key at a
// time, kept in a process-wide registry. GUI thread only.

#include "HotKeyRegistry.h"

#include <QObject>
#include <QString>

class MASShortcutUserDefaultsHotKey : public QObject {
    Q_OBJECT
public:
    enum class Status {
        NoShortcut, // nothing stored, or a cleared hotkey
        Installed,
        Duplicate,   // another row of ours holds the same chord
        Taken,       // another program holds the chord
        Unavailable, // no desktop to install on
    };
    Q_ENUM(Status)

    // Binds `key` (replacing a binding of the same key) and installs its stored shortcut.
    static MASShortcutUserDefaultsHotKey* registerGlobalShortcutWithUserDefaultsKey(
        const QString& key, const HotKeyRegistry::Handler& handler);
    // Removes the binding of `key`; with `owner` given, only when that is the binding.
    static void unregisterGlobalShortcutWithUserDefaultsKey(const QString& key,
                                                            const MASShortcutUserDefaultsHotKey* owner = nullptr);
    // The binding of `key`, null when there is none.
    static MASShortcutUserDefaultsHotKey* binding(const QString& key);

    ~MASShortcutUserDefaultsHotKey() override;

    QString userDefaultsKey() const { return m_key; }
    Status status() const { return m_status; }

signals:
    // status() has a new value.
    void statusChanged(MASShortcutUserDefaultsHotKey::Status status);

private:
    MASShortcutUserDefaultsHotKey(const QString& key, const HotKeyRegistry::Handler& handler);
    // After a write to the store: every binding's hot key again from the stored values.
    static void reinstallAll();
    // Removes the hot key this binding installed last.
    void uninstall();
    // Installs the stored shortcut and updates status().
    void install();

    QString m_key;
    HotKeyRegistry::Handler m_handler;
    quint32 m_monitor = 0;
    Status m_status = Status::NoShortcut;
};
