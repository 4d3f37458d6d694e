#pragma once
// The framework's message box. Buttons and results are Qt's standard-button codes
// (OK 0x400, Yes 0x4000, No 0x10000, Cancel 0x400000). It opens centred on the window it
// belongs to (its parent's, else the active one), wholly inside one screen. GUI thread.

#include <QMessageBox>

class OvMessageBox : public QMessageBox {
    Q_OBJECT
public:
    // Icon codes of setIcon.
    enum IconCode { IconNone = 0, IconInformation = 1, IconWarning = 2, IconCritical = 4, IconQuestion = 6 };

    explicit OvMessageBox(QWidget* parent = nullptr, bool windowModal = true);

    void setMsgTitle(const QString& text);
    void setLabelInfo(const QString& text);
    void setIcon(int iconCode);
    void setButtons(int standardButtons);
    void setDefaultButton(int standardButton);

    // The pressed standard button.
    int exec() override;

    static int information(QWidget* parent, const QString& title, const QString& text,
                           int buttons = QMessageBox::Ok, int defaultButton = QMessageBox::NoButton);
    static int question(QWidget* parent, const QString& title, const QString& text,
                        int buttons = QMessageBox::Yes | QMessageBox::No, int defaultButton = QMessageBox::NoButton);
    static int warning(QWidget* parent, const QString& title, const QString& text,
                       int buttons = QMessageBox::Ok, int defaultButton = QMessageBox::NoButton);

protected:
    void showEvent(QShowEvent* event) override;

private:
    static int run(QWidget* parent, int icon, const QString& title, const QString& text, int buttons, int def);
    int m_buttons = QMessageBox::Ok;
    int m_default = QMessageBox::NoButton;
};
