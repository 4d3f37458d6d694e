#pragma once
// Multi-line plain-text edit that shows a (wrapped, possibly multi-line) hint while it is empty.
// GUI thread.

#include <QTextEdit>

class CustomTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit CustomTextEdit(QWidget* parent = nullptr);

    // The hint painted while the document is empty (also while it has the focus).
    void setTipText(const QString& text);
    QString tipText() const;
};
