#include "CustomFeedbackLineEdit.h"

CustomFeedbackLineEdit::CustomFeedbackLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

void CustomFeedbackLineEdit::setTipText(const QString& text) { setPlaceholderText(text); }

QString CustomFeedbackLineEdit::tipText() const { return placeholderText(); }
