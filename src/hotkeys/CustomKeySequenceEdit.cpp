#include "CustomKeySequenceEdit.h"

#include "services/Utils.h"
#include "services/inputMethod.h"

#include <QKeyEvent>
#include <QMessageBox>

CustomKeySequenceEdit::CustomKeySequenceEdit(QWidget* parent)
    : QKeySequenceEdit(parent)
{
}

QKeySequence CustomKeySequenceEdit::firstChord(const QKeySequence& sequence)
{
    if (sequence.isEmpty())
        return QKeySequence();
    const int chord = sequence[0];
    // The modifier is read from the chord itself, not from its text: the plain "+" key reads
    // "+" and would pass for a chord with a modifier.
    const int modifiers = chord & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    if (modifiers == 0 || QKeySequence(chord).toString(QKeySequence::PortableText).startsWith(QLatin1String("Alt+")))
        return QKeySequence();
    return QKeySequence(chord);
}

void CustomKeySequenceEdit::keyPressEvent(QKeyEvent* event)
{
    if (!inputMethod::currentInputMethodIsABC()) {
        const int answer = Utils::showMacWindowMessage(
            MT_INFO, this,
            tr("The current input method doesn't support shortcut keys. Please click \"OK\" button to switch to "
               "system default input method."),
            MB_OKCANCEL);
        if (answer != QMessageBox::Ok)
            return;
        inputMethod::setInputMethodABC();
    }
    if (event->key() == Qt::Key_Backspace) {
        clear();
        return;
    }
    QKeySequenceEdit::keyPressEvent(event);
    setKeySequence(firstChord(keySequence()));
    emit editFinished();
}

void CustomKeySequenceEdit::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }
