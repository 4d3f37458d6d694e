#pragma once
// The "Save as..." of a taken screenshot. ask() runs the save dialog until the picture is saved
// or the user cancels: the file is written in the format its suffix names (converted when that
// differs from the screenshot's), and a file the user agreed to replace in the dialog is
// replaced whole (the name is given to the new file: a link there is replaced, never written
// through), never left half written; anything else that has the name is kept and the user
// asked again. finish() removes the screenshot's temporary file
// and records the saved one. GUI thread.

#include <QString>

class SnapshotSaveAs {
public:
    struct Result {
        QString target;         // the saved file; empty when nothing was saved
        bool cancelled = false; // the user closed the dialog
    };
    // Asks for a name for the screenshot at `filePath`; `fileFmt` is the dialog's filter at start.
    static Result ask(const QString& filePath, const QString& fileFmt);
    // Says why nothing was saved (unless the user cancelled), removes `filePath`, and stores
    // the saved file's folder and history entry.
    static void finish(const QString& filePath, const Result& result);
};
