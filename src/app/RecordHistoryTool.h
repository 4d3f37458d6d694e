#pragma once
// The main window's bottom tool strip: the history of saved recordings, the watermark
// choice, the record length, the task scheduler, the Preferences (the Preferences button and the strip that
// opens them on one page, which owns the Preferences dialog) and the feedback form. It creates the history dialog
// and the watermark drop-down once and keeps them; the watermark manager lives while it is
// open.
// GUI thread.

#include "core/HistoryFileUtils.h"

#include <QFrame>
#include <QPointer>

class DlgWatermarkManage;
class ShortcutTool;
class RecordHistoryDlg;
class WhaterMarkMenuDlg;

namespace Ui {
class RecordHistoryTool;
}

class RecordHistoryTool : public QFrame {
    Q_OBJECT
public:
    explicit RecordHistoryTool(QWidget* parent = nullptr);
    ~RecordHistoryTool() override;

    // The history dialog, created on first use.
    RecordHistoryDlg* historyDlg();
    bool isHistoryShowing() const;
    Ui::RecordHistoryTool* ui() const { return m_pUi; }
    WhaterMarkMenuDlg* waterMarkMenuDlg() const { return m_pWaterMarkMenuDlg; }
    ShortcutTool* shortcutTool() const;

public slots:
    void onShowHistory();
    void onAddHistoryFile(const HistoryFileUtils::HistoryFile& file);
    // Opens the task scheduler modally; when the task daemon cannot be reached, first offers
    // to install or fix it.
    void onShowTaskDlg();
    // Opens the record length modally; its button then shows the setting.
    void onShowRecordLength();
    // The record length's button follows the settings model.
    void updateRecordLengthText();
    void onInitWaterMark();
    void onShowWhaterMarkMenuDlg();
    // A watermark was picked (-1: none): it is recorded from now on and remembered.
    void onPopViewListItemClicked(int index, const QString& name, int oldIndex);
    // Opens the watermark manager modally.
    void onAMWaterMarkClicked();
    void onWatermarkManageFinished();
    void onShowSettings();
    // Opens the feedback form, window-modal to the main window; hotkeys wait meanwhile.
    void onShowFeedback();

signals:
    // A child dialog opens (false) or closed (true): the main window holds back its hotkeys.
    void sigShowChildeDlg(bool enable);
    // The Preferences are asked for (on the Recording page).
    void sigShowOption();

private:
    void setWatermarkText(int index, const QString& name);
    // Asks to install or fix the task daemon; when the user agrees, runs the install script
    // (off the GUI thread, with a progress window) and reconnects. False when declined.
    bool repairTaskDaemon();

    Ui::RecordHistoryTool* m_pUi = nullptr;
    QPointer<RecordHistoryDlg> m_pHistoryDlg;
    WhaterMarkMenuDlg* m_pWaterMarkMenuDlg = nullptr;
    QPointer<DlgWatermarkManage> m_pWatermarkManage;
};
