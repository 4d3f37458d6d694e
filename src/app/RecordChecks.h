#pragma once
// The checks of a record click, in order, on the settings model as the main window wrote it:
// nothing else records or previews, there is something to record, the screen and the
// microphone can be recorded (the guide is offered), the chosen windows are there, no
// excluded program runs, the system sound has a source, the chosen watermark can be drawn
// (else the user may record without it). GUI thread.

#include <functional>

class MainWindowBase;

class RecordChecks {
public:
    // True when the recording may start; false after telling the user why not (over `base`).
    // `roadBusy`: the main window's last recording has not ended. `selectWindow` lets the user
    // pick the window to record when none is chosen.
    static bool pass(MainWindowBase* base, bool roadBusy, const std::function<void()>& selectWindow);
};
