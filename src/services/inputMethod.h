#pragma once
// The keyboard input source. GUI thread.

class inputMethod {
public:
    // True when the current input language is English.
    static bool currentInputMethodIsABC();
    // Selects an English input source when the desktop lets programs choose one (X11 does
    // not: this only logs).
    static void setInputMethodABC();
};
