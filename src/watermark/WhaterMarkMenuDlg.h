#pragma once
// The tool strip's watermark drop-down: the list of watermarks (the checked one is
// recorded) and "Manage". A frameless pop-up that hides when it loses activation. GUI thread.

#include <QDialog>

class WMCustomListWidget;

namespace Ui {
class WhaterMarkMenuDlg;
}

class WhaterMarkMenuDlg : public QDialog {
    Q_OBJECT
public:
    explicit WhaterMarkMenuDlg(QWidget* parent = nullptr);
    ~WhaterMarkMenuDlg() override;

    // Reloads the rows with `index` checked (-1: "No Watermark").
    void onLoadData(int index);
    WMCustomListWidget* listWidget() const;

signals:
    void sigBtnAMWaterMarkClicked();
    void sigPopViewListItemClicked(int index, const QString& qsName, int oldIndex);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Ui::WhaterMarkMenuDlg* m_pUi;
};
