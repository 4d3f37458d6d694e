#pragma once
// The hotkey reminder: the hotkey rows (without the webcam row) with a word on how to change
// them and "Don't remind me". The main window keeps one, hidden, for as long as it runs, since
// its rows keep the global hot keys installed; it shows it before a recording the user starts.
// However it closes (OK, Esc, the window manager), the check box is stored as "HotkeyRemind".
// GUI thread.

#include "OvDialogBase.h"

class FrameMASShotcut;

namespace Ui {
class DlgHotKeyMessage;
}

class DlgHotKeyMessage : public OvDialogBase {
    Q_OBJECT
public:
    // The setting that holds "Don't remind me".
    static const char* const kRemindKey;

    explicit DlgHotKeyMessage(QWidget* parent = nullptr);
    ~DlgHotKeyMessage() override;

    // True when the user asked not to be reminded again.
    static bool isRemindOff();

    FrameMASShotcut* hotkeyFrame() const;

    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::DlgHotKeyMessage* m_pUi = nullptr;
};
