#pragma once
// Every modal question the framework asks (message boxes, input and colour dialogs,
// file and folder choosers, and the modal loop of every OvDialogBase) passes through
// one replaceable answerer. The application never sets it; tests do, so that no test
// blocks on a modal loop and no test hunts for windows with timers. GUI thread.

#include <QString>
#include <QVariant>
#include <functional>

class QDialog;
class QWidget;

struct OvModalRequest {
    enum Kind {
        MessageBox,   // answer: int standard-button code
        InputDialog,  // answer: QString text when confirmed, invalid QVariant when cancelled
        ColorDialog,  // answer: QColor when confirmed, invalid when cancelled
        Directory,    // answer: QString folder, empty when cancelled
        SaveFile,     // answer: QString file, empty when cancelled
        OpenFiles,    // answer: QStringList, empty when cancelled
        Dialog,       // answer: int dialog result; the answerer may drive `widget` first
    };
    Kind kind = MessageBox;
    QWidget* widget = nullptr; // the dialog object being asked (null for static choosers)
    QString className;         // the widget's class name, for Dialog requests
    QString title;
    QString text;              // message text, input label, or chooser start path
    QString value;             // input dialog's preset text
    QString filter;            // chooser filter
    int buttons = 0;           // message box standard buttons
    int defaultButton = 0;
};

using OvModalAnswerer = std::function<QVariant(const OvModalRequest&)>;

namespace OvModalHook {
// Replaces the answerer; an empty function restores the real modal loops.
void setAnswerer(OvModalAnswerer answerer);
// True when an answerer is installed.
bool isActive();
// Asks the installed answerer. Only valid when isActive().
QVariant answer(const OvModalRequest& request);
// Runs `dialog` modally: its own modal loop, or, when an answerer is installed, a Dialog
// request (`text` as its text) that may drive the dialog's widgets. Returns the dialog's code.
int execDialog(QDialog* dialog, const QString& text = QString());
}
