#pragma once
// The list of watermark rows, used by the drop-down (a "No Watermark" row, then every
// stored watermark) and by the manager (one kind of watermark, with rename). Exactly one
// row is checked: the current row. GUI thread.

#include <QListWidget>
#include <QSize>
#include <QVariant>

class WhaterMarkMenuListItem;

class WMCustomListWidget : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QSize listViewSize READ listViewSize WRITE setListViewSize)
    Q_PROPERTY(QSize listViewItemSize READ listViewItemSize WRITE setListViewItemSize)
public:
    explicit WMCustomListWidget(QWidget* parent = nullptr);

    QSize listViewSize() const { return m_listViewSize; }
    void setListViewSize(const QSize& size) { m_listViewSize = size; }
    // One row's size before the interface zoom.
    QSize listViewItemSize() const { return m_listViewItemSize; }
    void setListViewItemSize(const QSize& size) { m_listViewItemSize = size; }

    // Appends a row (no signal); a checked row becomes the current row.
    void addCheckBoxItem(const QVariant& data, const QString& name, bool checked, int type);
    // Drop-down rows: "No Watermark" (data -1) and every record of the store; the row of
    // `index` is checked (none for an unknown index).
    void onLoadData(int index);
    // Manager rows (appended): the records whose kind is `bPic`, data = record index; the
    // store's selection is checked when it is of this kind, else the first row.
    void onEditUILoadData(bool bPic);
    // The current row's data index, -1 without one.
    int getCurDataIndex() const;
    WhaterMarkMenuListItem* curItem() const { return m_pCurItem; }
    // Removes the current row and clicks the row that becomes current (oldIndex -1).
    void onRemoveItem(int unused = 0);
    void setCurItemText(const QString& text);
    void setCurItemNameEditing();
    void retranslateItem();

public slots:
    void onPopViewCheckboxListItemClicked(WhaterMarkMenuListItem* pItem);

signals:
    void sigPopViewListItemClicked(int index, const QString& qsName, int oldIndex);
    void sgWaterMarkNameChenged(const QString& name);

private:
    WhaterMarkMenuListItem* rowOf(QListWidgetItem* item) const;

    QSize m_listViewSize = QSize(230, 220);
    QSize m_listViewItemSize = QSize(230, 30);
    WhaterMarkMenuListItem* m_pCurItem = nullptr;
};
