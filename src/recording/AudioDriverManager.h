#pragma once
// The system-sound dialog. System sound is recorded from the monitor of the sound server's
// default sink, so nothing has to be installed: the status page names that source and says
// whether it can be recorded. Mode 1 opens on the status page with one "OK" button; mode 0
// is asked before a recording whose system sound cannot be recorded: "Check Again" asks the
// sound server again and closes the dialog (accepted) once the source is there.

#include "OvDialogBase.h"
#include "services/AudioSourceStatus.h"

namespace Ui {
class AudioDriverManager;
}

class AudioDriverManager : public OvDialogBase {
    Q_OBJECT
public:
    AudioDriverManager(QWidget* parent, int mode);
    ~AudioDriverManager() override;

    int mode() const { return m_nMode; }
    AudioSourceStatus status() const { return m_status; }
    // Asks the sound server again (through PlatformSeam) and shows the answer.
    void refresh();

    Ui::AudioDriverManager* ui() const { return m_pUi; }

private:
    void showStatus();

    Ui::AudioDriverManager* m_pUi = nullptr;
    int m_nMode = 1;
    AudioSourceStatus m_status;
};
