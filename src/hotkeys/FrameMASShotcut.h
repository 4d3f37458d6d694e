#pragma once
// The five hotkey rows: a label and a recorder field for each hotkey. Building the frame binds
// each field to its stored shortcut and installs the five global hot keys (a row with nothing
// stored gets its default); destroying it uninstalls them. At most one frame may exist at a
// time. A row whose hot key could not be installed says why. GUI thread.

#include "core/RecordTypes.h"
#include "hotkeys/MASShortcutUserDefaultsHotKey.h"

#include <QFrame>
#include <memory>

class MASShortcutView;
class QLabel;
class testMASShotcutPriv;

namespace Ui {
class FrameMASShotcut;
}

class FrameMASShotcut : public QFrame {
    Q_OBJECT
public:
    explicit FrameMASShotcut(QWidget* parent = nullptr);
    ~FrameMASShotcut() override;

    // Gives every row its default shortcut; without `force` only rows without a shortcut.
    void setDefaulKeyCode(bool force);
    // Stops any row that is recording.
    void setCellDisenabled();
    // Hides the webcam row; its hot key stays installed.
    void setPreviousRecord();
    // Light text for the dark skins, dark text otherwise.
    void updateFontColor();
    void updateMASLanuage();

    // The field of a hotkey.
    MASShortcutView* view(RP_HotKey hotKey) const;
    // The row's message about its hot key; empty when it is installed or nothing is stored.
    QString problemText(RP_HotKey hotKey) const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* problemLabel(RP_HotKey hotKey) const;
    void showStatus(RP_HotKey hotKey, MASShortcutUserDefaultsHotKey::Status status);
    void updateStatusTexts();

    Ui::FrameMASShotcut* m_pUi = nullptr;
    std::unique_ptr<testMASShotcutPriv> m_pPriv;
    MASShortcutUserDefaultsHotKey::Status m_status[RP_HK_FLOAT + 1] = {};
};
