#pragma once
// What a bound hotkey does when pressed (GUI thread).

class CMASShortcutaCallback {
public:
    virtual void onAction() = 0;
    virtual ~CMASShortcutaCallback() = default;
};
