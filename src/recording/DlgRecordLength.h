#pragma once
// The record length: whether a recording stops by itself after a set length, that length
// (at least kMinSeconds), whether the setting stays for the next recordings or ends after
// one, and what happens once the recording is saved. It reads the settings model's timed
// stop when made and writes it only when confirmed. GUI thread.

#include "OvDialogBase.h"
#include "core/RecordTypes.h"

namespace Ui {
class DlgRecordLength;
}

class DlgRecordLength : public OvDialogBase {
    Q_OBJECT
public:
    // The shortest length: anything shorter ends before the recording has really begun.
    static constexpr qint64 kMinSeconds = 3;
    // The length offered when none was set yet.
    static constexpr qint64 kDefaultSeconds = 5 * 60;

    struct Values {
        bool enabled = false;
        qint64 seconds = kDefaultSeconds;
        bool repeat = false;
        RecStopEvent event = RSE_NOTHING;
    };

    explicit DlgRecordLength(QWidget* parent = nullptr);
    ~DlgRecordLength() override;

    // The settings model's timed stop (a length never set reads as the default).
    static Values load();
    // Writes the timed stop into the settings model, never shorter than kMinSeconds.
    static void store(const Values& values);
    // What the tool strip's button says: the length while the timed stop is on.
    static QString buttonText();

    Values values() const;
    void setValues(const Values& values);

    // Confirmed: the settings model takes the dialog's values.
    void done(int result) override;

private:
    void updateEnabled();

    Ui::DlgRecordLength* m_pUi = nullptr;
};
