#pragma once
// Single-line text input. exec() returns QDialog::Accepted when confirmed, QDialog::Rejected
// when cancelled. GUI thread.

#include <QInputDialog>

class OvInputDialog : public QInputDialog {
    Q_OBJECT
public:
    explicit OvInputDialog(QWidget* parent = nullptr);
    // Limits the number of characters the user can type.
    void setMaxInputLength(int length);
    int exec() override;

private:
    int m_maxLength = 0;
};
