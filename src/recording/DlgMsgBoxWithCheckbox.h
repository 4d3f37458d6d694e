#pragma once
// A question with a check box ("Don't ask me again") whose state is kept under a settings
// key: 0 means ask; otherwise the remembered answer (the dialog's result code). GUI thread.

#include "OvDialogBase.h"

namespace Ui {
class DlgMsgBoxWithCheckbox;
}

class DlgMsgBoxWithCheckbox : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgMsgBoxWithCheckbox(QWidget* parent = nullptr);
    ~DlgMsgBoxWithCheckbox() override;

    void setText(const QString& text);
    void setCheckText(const QString& text);
    void setButtonTexts(const QString& ok, const QString& cancel);
    bool isChecked() const;

    // The settings key of the check box; empty keeps nothing.
    virtual QString registerKey() const { return m_strKey; }
    void setRegisterKey(const QString& key) { m_strKey = key; }
    // The remembered answer (0: ask).
    int storedAnswer() const;

    // Runs the question, or answers at once with the remembered answer.
    int ask();
    // A confirmed answer is remembered when the box is checked (also when the dialog runs
    // through exec() alone); "Cancel" and closing never are.
    void done(int result) override;

    Ui::DlgMsgBoxWithCheckbox* ui() const { return m_pUi; }

private:
    Ui::DlgMsgBoxWithCheckbox* m_pUi = nullptr;
    QString m_strKey;
};
