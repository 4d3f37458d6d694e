#pragma once
// A key sequence editor narrowed to one chord that carries a modifier (Alt alone does not
// count). Before it takes a key it makes sure the keyboard input source can deliver shortcut
// keys, asking the user to switch when it cannot. Every accepted key ends in editFinished(),
// also when the chord was refused and the editor is left empty. GUI thread.

#include <QKeySequenceEdit>

class CustomKeySequenceEdit : public QKeySequenceEdit {
    Q_OBJECT
public:
    explicit CustomKeySequenceEdit(QWidget* parent = nullptr);

    // The chord kept from `sequence`: its first chord, or an empty sequence when that chord has
    // no modifier or its first modifier is Alt.
    static QKeySequence firstChord(const QKeySequence& sequence);

signals:
    void editFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Double clicks are swallowed.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
