#include "CustomTextEdit.h"

CustomTextEdit::CustomTextEdit(QWidget* parent)
    : QTextEdit(parent)
{
}

void CustomTextEdit::setTipText(const QString& text) { setPlaceholderText(text); }

QString CustomTextEdit::tipText() const { return placeholderText(); }
