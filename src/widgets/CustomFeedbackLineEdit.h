#pragma once
// Single-line edit that shows a hint while it holds no text. GUI thread.

#include <QLineEdit>

class CustomFeedbackLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CustomFeedbackLineEdit(QWidget* parent = nullptr);

    // The hint painted while the edit is empty (also while it has the focus).
    void setTipText(const QString& text);
    QString tipText() const;
};
