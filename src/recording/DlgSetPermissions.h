#pragma once
// The guide shown when something a recording needs is not there: the X display cannot be
// captured (screen recording) or no sound server answers (microphone). It explains what is
// needed; "Check Again" asks PlatformSeam::canRecord again and closes the guide (accepted)
// once the need is met.

#include "OvDialogBase.h"
#include "core/RecordTypes.h"

class MainWindowBase;

namespace Ui {
class DlgSetPermissions;
}

class DlgSetPermissions : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgSetPermissions(QWidget* parent = nullptr);
    ~DlgSetPermissions() override;

    // Shows the guide for `kind` over `parent`, modal; true when the need is met afterwards.
    static bool guide(Privacy_Setting kind, QWidget* parent, MainWindowBase* mainWindow);

    void setMainWindow(MainWindowBase* mainWindow) { m_pMainWindow = mainWindow; }
    // Selects the guide: PS_MICROPHONE or PS_SCREEN; `show` false leaves the page empty.
    void setshowGuide(Privacy_Setting kind, bool show);
    Privacy_Setting guideKind() const { return m_kind; }

    Ui::DlgSetPermissions* ui() const { return m_pUi; }

private:
    void onCheckAgain();

    Ui::DlgSetPermissions* m_pUi = nullptr;
    MainWindowBase* m_pMainWindow = nullptr;
    Privacy_Setting m_kind = PS_SCREEN;
};
