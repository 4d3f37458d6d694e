#pragma once
// The window-selection dialog: lists the open windows with check boxes and the way they are
// used: one window, several windows, or everything but the checked windows. GUI thread.

#include "OvDialogBase.h"
#include "core/RecordTypes.h"
#include "core/WindowListManger.h"

namespace Ui {
class DlgSelectWindow;
}
class QListWidgetItem;

class DlgSelectWindow : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgSelectWindow(QWidget* parent = nullptr);
    ~DlgSelectWindow() override;

    // Fills the list with `windows`, checking those of `checked`, in `mode`.
    void setWindows(const QList<WindowListManger::WindowItem>& windows, const QList<quint64>& checked, WindowModle mode);
    WindowModle windowMode() const;
    void setWindowMode(WindowModle mode);
    // The checked windows, in list order.
    QList<quint64> selectedWindows() const;
    // Checks or unchecks the row of window `id` as a click would (in single mode checking
    // one unchecks the others).
    void setWindowChecked(quint64 id, bool checked);

    Ui::DlgSelectWindow* ui() const { return m_pUi; }

private:
    void onItemChanged(QListWidgetItem* item);
    void onRefresh();
    void updateState();

    Ui::DlgSelectWindow* m_pUi = nullptr;
    bool m_bUpdating = false;
};
