#pragma once
// The least a recorder view offers its binding: a notified shortcutValue property.

#include "hotkeys/MASShortcut.h"

#include <QObject>

class FakeShortcutView : public QObject {
    Q_OBJECT
    Q_PROPERTY(MASShortcut shortcutValue READ shortcutValue WRITE setShortcutValue NOTIFY shortcutValueChanged)
public:
    MASShortcut shortcutValue() const { return m_value; }
    void setShortcutValue(const MASShortcut& value)
    {
        if (value == m_value)
            return;
        m_value = value;
        emit shortcutValueChanged();
    }

signals:
    void shortcutValueChanged();

private:
    MASShortcut m_value;
};
