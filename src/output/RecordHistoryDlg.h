#pragma once
// The window that lists the saved recordings: a type filter, a search field, the history
// list and the buttons "Record more" and "Remove all". Created once by the main window's
// tool strip and shown whenever the history is asked for; when a file has been saved the
// strip calls isAddedHistory() so that the new file is visible. GUI thread.

#include "OvDialogBase.h"

#include <QColor>
#include <QPointer>
#include <memory>

class OvComboboxViewItemDelegate;
class HistoryFileListWidget;

namespace Ui {
class RecordHistoryDlg;
}

class RecordHistoryDlg : public OvDialogBase {
    Q_OBJECT
    // Colours of the type filter's pop-up, set by the skin.
    Q_PROPERTY(QColor ColorHover MEMBER m_colorHover)
    Q_PROPERTY(QColor ColorNormal MEMBER m_colorNormal)
    Q_PROPERTY(QColor ColorBacHover MEMBER m_colorBacHover)
    Q_PROPERTY(QColor ColorBacNormal MEMBER m_colorBacNormal)
public:
    explicit RecordHistoryDlg(QWidget* parent);
    ~RecordHistoryDlg() override;

    // Shows every type again, so that a newly saved file is seen unless the search text
    // the user typed hides it; the search text is kept.
    void isAddedHistory();
    HistoryFileListWidget* historyList() const;

public slots:
    void onChangeTypeShow(int n);
    void onSearch();
    void onRemoveAllClicked();
    void onRecordMore();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Fills the type filter, selects entry `index` and installs a new pop-up delegate.
    void buildTypeCombo(int index);
    void applyDelegateColors();

    std::unique_ptr<Ui::RecordHistoryDlg> ui;
    QPointer<OvComboboxViewItemDelegate> m_delegate;
    QColor m_colorHover;
    QColor m_colorNormal;
    QColor m_colorBacHover;
    QColor m_colorBacNormal;
};
