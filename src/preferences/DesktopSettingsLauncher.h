#pragma once
// Opens a panel of the desktop's own settings (mouse, sound, display) by starting the first
// settings tool of the known desktops that is installed. No state; GUI thread.

#include <QString>

class DesktopSettingsLauncher {
public:
    enum Panel { Mouse, Sound, Display };
    // True when a tool was started; otherwise `what` names the panel for the user's message.
    static bool open(Panel panel, QString* what);
};
