#pragma once
// Asked when the main window is closed: quit, or keep running in the status area (in the
// minimised window on a desktop without one, and the question says which). A checked
// "Quit" is remembered as the setting "CloseWhenClos", after which closing quits at once.
// GUI thread.

#include "DlgMsgBoxWithCheckbox.h"

class DlgQuitPrompt : public DlgMsgBoxWithCheckbox {
    Q_OBJECT
public:
    enum Answer { KeepRunning = 0, Quit = 1 };

    explicit DlgQuitPrompt(QWidget* parent = nullptr);
    // Quit when "CloseWhenClos" is set; otherwise asks and remembers a checked "Quit".
    static Answer askQuit(QWidget* parent);
};
