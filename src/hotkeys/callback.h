#pragma once
// A hotkey's action: emits SignalsTransfer::hotKeyPressed with its RP_HotKey id (GUI thread).

#include "CMASShortcutaCallback.h"

class callback : public CMASShortcutaCallback {
public:
    explicit callback(int hotKey);
    void onAction() override;
    int hotKey() const { return m_hotKey; }

private:
    int m_hotKey;
};
