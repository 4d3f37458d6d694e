#pragma once
// The strip of four buttons that open the Preferences on one page, and the only owner of the
// Preferences dialog: every opening goes through showOptionDlg, so at most one exists. The
// dialog is deleted here once its modal run has returned, never while one of its own
// questions is still open. GUI thread.

#include "core/RecordTypes.h"

#include <QFrame>
#include <QPointer>

class OptionDialog;

namespace Ui {
class ShortcutTool;
}

class ShortcutTool : public QFrame {
    Q_OBJECT
public:
    explicit ShortcutTool(QWidget* parent = nullptr);
    ~ShortcutTool() override;

    // Runs the Preferences modally on `page` (another value: no page chosen) and emits
    // sigHideOptionDlg once it has ended and gone. Does nothing while one is open.
    void showOptionDlg(SETTINGPAGE page);
    // Closes the open Preferences without saving: its open questions are dismissed first.
    void hideOptionDlg();
    // The open Preferences dialog, null when none.
    OptionDialog* optionDialog() const;

public slots:
    void onActionOptionsClicked();

signals:
    void sigHideOptionDlg();
    void sigShowOptionDlg(int setting);

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::ShortcutTool* m_pUi = nullptr;
    QPointer<OptionDialog> m_pOptionDlg;
};
