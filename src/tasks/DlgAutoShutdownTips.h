#pragma once
// The notice that counts down before the finishing action of a scheduled or timed recording
// (shutting down, sleeping or leaving the program). It is accepted when the count runs out
// and rejected by "Cancel", Escape or closing. While it is open the global hotkeys are not
// served; they are switched on again exactly once, however it ends. GUI thread.

#include <QDialog>
#include <QTimer>

namespace Ui {
class DlgAutoShutdownTips;
}

class DlgAutoShutdownTips : public QDialog {
    Q_OBJECT
public:
    // Counting starts at once (the first tick still shows the full count).
    explicit DlgAutoShutdownTips(const QString& notice, QWidget* parent = nullptr);
    ~DlgAutoShutdownTips() override;

    // Runs the dialog modally (through the test answerer when one is installed):
    // Accepted when the count ran out, Rejected otherwise.
    int execute();
    // The time between two ticks (tests shorten it); dialogs made later use it.
    static void setTickIntervalForTests(int ms);

    void done(int result) override;

public slots:
    // One tick: accepts once the count has run out, shows the count and counts down.
    void updateTips();
    void onReject();

private:
    void enableHotKeys();

    Ui::DlgAutoShutdownTips* m_pUi = nullptr;
    QTimer m_timer;
    int m_nCount = 0;
    bool m_bHotKeysBack = false;
};
