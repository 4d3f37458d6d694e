#pragma once
// One row of a watermark list: a check mark, the elided name and, on the manager's rows,
// a rename editor. The row reacts only to a mouse release on its name area. GUI thread.

#include <QVariant>
#include <QWidget>

class QFrame;
class QLabel;
class QToolButton;

namespace Ui {
class WhaterMarkMenuListItem;
}

class WhaterMarkMenuListItem : public QWidget {
    Q_OBJECT
public:
    // Row kinds, also the "btnType" the skin styles the check mark by.
    enum Type { NoWatermarkRow = 0, PictureRow = 1, TextRow = 2, ManagerRow = 3 };

    explicit WhaterMarkMenuListItem(QWidget* parent = nullptr);
    ~WhaterMarkMenuListItem() override;

    void setCusData(const QVariant& data);
    QVariant cusData() const { return m_data; }
    // Sets the name, the checked state and the kind (no signal).
    void setParam(const QString& name, bool checked, int type);
    int type() const { return m_type; }
    QString name() const { return m_name; }
    // Checked state without a signal; a manager row other than the two built-ins shows
    // its rename button exactly while checked.
    void setListItemCheck(bool checked);
    bool isChecked() const;
    // Name and display.
    void onSetText(const QString& name);
    // Shows the name, elided at the right with the full name as tool tip when too wide.
    void onRejustSetText(const QString& text);

    QToolButton* arrowBtn() const;
    QLabel* labelName() const;
    QFrame* frmBtn() const;
    QToolButton* editBtn() const;

public slots:
    // Opens the rename editor on the name.
    void onBtnEditClicked();
    void onBtnPngEditNameFinished();

signals:
    void sigListItemClicked(WhaterMarkMenuListItem* pItem);
    void sgWaterMarkNameChenged(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repolish(QWidget* widget);

    Ui::WhaterMarkMenuListItem* m_pUi;
    QVariant m_data;
    QString m_name;
    int m_type = NoWatermarkRow;
};
