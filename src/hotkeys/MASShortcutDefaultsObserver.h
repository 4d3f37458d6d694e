#pragma once
// Keeps a recorder view and a user-defaults key in step: the view shows the stored shortcut,
// a shortcut set in the view is stored (a cleared one as the explicit empty value), and a
// write to the store shows in the view. The view is any object with a property
// "shortcutValue" of type MASShortcut and a notify signal; the observer is its child and,
// when it goes, gives the view back the value it had at the start. A shortcut that cannot be
// stored is taken back from the view (which shows the stored one again) and the user is told.
// GUI thread only.

#include "hotkeys/MASShortcut.h"

#include <QObject>
#include <QPointer>

class MASShortcutDefaultsObserver : public QObject {
    Q_OBJECT
public:
    // Binds `view` to `key`, replacing the observer it had; an empty key only removes it.
    static void setAssociatedUserDefaultsKey(QObject* view, const QString& key);
    // The key `view` is bound to; empty when none.
    static QString associatedUserDefaultsKey(const QObject* view);

    ~MASShortcutDefaultsObserver() override;

private slots:
    void onViewValueChanged();

private:
    MASShortcutDefaultsObserver(QObject* view, const QString& key);
    void onDefaultsChanged();
    MASShortcut viewValue() const;
    void setViewValue(const MASShortcut& shortcut);

    QPointer<QObject> m_view;
    QString m_key;
    MASShortcut m_originalShortcut;
    bool m_internalPreferenceChange = false;
    bool m_internalShortcutChange = false;
};
