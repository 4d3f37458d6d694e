#pragma once
// The guide shown when something a recording needs is not there: the X display cannot be
// captured (screen recording) or no sound server answers (microphone). It explains what is
// needed; "Check Again" closes it (accepted) once the need is met.

#include "OvDialogBase.h"
#include "core/RecordTypes.h"

#include <functional>

class MainWindowBase;

namespace Ui {
class DlgSetPermissions;
}

class DlgSetPermissions : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgSetPermissions(QWidget* parent = nullptr);
    ~DlgSetPermissions() override;

    void setMainWindow(MainWindowBase* mainWindow) { m_pMainWindow = mainWindow; }
    // Selects the guide: PS_MICROPHONE or PS_SCREEN; `show` false leaves the page empty.
    void setshowGuide(Privacy_Setting kind, bool show);
    Privacy_Setting guideKind() const { return m_kind; }

    // True when what `kind` needs is there now: an X display that can be read for the
    // screen, a sound server for the microphone.
    static bool isAvailable(Privacy_Setting kind);
    // Tests replace the check; an empty function restores the real one.
    static void setAvailabilityProvider(std::function<bool(Privacy_Setting)> provider);

    Ui::DlgSetPermissions* ui() const { return m_pUi; }

private:
    void onCheckAgain();

    Ui::DlgSetPermissions* m_pUi = nullptr;
    MainWindowBase* m_pMainWindow = nullptr;
    Privacy_Setting m_kind = PS_SCREEN;
};
