#pragma once
// The module's entry and its start-up and shutdown steps. Main (GUI) thread.

#include <QString>

class MainWindowBase;

// The module's exported entry, called by the host executable with the process arguments.
// Returns the exit code of the event loop (0 also when another instance already runs).
// Without an X display to connect to (DISPLAY unset or dead, a Wayland session without
// XWayland) it prints one line to standard error and returns 1 before any window exists;
// the check is skipped when another Qt platform plug-in is chosen (-platform or
// QT_QPA_PLATFORM). A settings file that could not be read is reported once. At quit, settings
// changes that could not be written before are written, or the user is told before it returns.
//
// Environment: SR_NONINTERACTIVE=1 prints "<product> is running" and the settings-file
// report to standard error without showing a message box (for child processes that nobody
// can answer).
extern "C" __attribute__((visibility("default"))) int main_entry(int argc, char** argv);

// The start-up and shutdown steps of main_entry that need no event loop of their own, for
// main_entry and for tests that drive the application in-process.
namespace MainEntry {
// True for Qt messages that are dropped ("libpng warning:", "Unknown property columns").
bool isFilteredMessage(const QString& message);
// Installs the Qt message handler: filtered messages are dropped, the others go to stdout.
void installMessageHandler();
// Log file "sr.log" at level 1, the engine's log beside it, both recorded in the settings.
void setupLogs();
// The skin, the framework main window (which creates the main window and starts the
// engine), the window shown; quitting on the last closed window switched off.
MainWindowBase* createMainWindow();
// Deletes the framework main window: the main window releases the singletons and ends
// the engine with scUninitialize last.
void destroyMainWindow(MainWindowBase* window);
} // namespace MainEntry
