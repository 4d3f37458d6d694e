#include "WMCustomListWidget.h"

#include "OvResourceMgr.h"
#include "watermark/WaterMarkDataManage.h"
#include "watermark/WhaterMarkMenuListItem.h"

WMCustomListWidget::WMCustomListWidget(QWidget* parent)
    : QListWidget(parent)
{
}

void WMCustomListWidget::addCheckBoxItem(const QVariant& data, const QString& name, bool checked, int type)
{
    auto* row = new WhaterMarkMenuListItem();
    row->setCusData(data);
    const double zoom = OvResourceMgr::instance()->getZoomDPI();
    row->setFixedSize(int(m_listViewItemSize.width() * zoom), int(m_listViewItemSize.height() * zoom));
    row->setParam(name, checked, type);
    auto* item = new QListWidgetItem(this);
    item->setSizeHint(row->size());
    setItemWidget(item, row);
    if (checked) {
        if (m_pCurItem)
            m_pCurItem->setListItemCheck(false);
        m_pCurItem = row;
        setCurrentItem(item);
        row->setListItemCheck(true);
    }
    connect(row, &WhaterMarkMenuListItem::sigListItemClicked, this,
            &WMCustomListWidget::onPopViewCheckboxListItemClicked);
    connect(row, &WhaterMarkMenuListItem::sgWaterMarkNameChenged, this, &WMCustomListWidget::sgWaterMarkNameChenged);
}

void WMCustomListWidget::onLoadData(int index)
{
    m_pCurItem = nullptr;
    clear();
    addCheckBoxItem(-1, tr("No Watermark"), index == -1, WhaterMarkMenuListItem::NoWatermarkRow);
    const QList<WaterMarkData>& records = WaterMarkDataManage::instance()->m_lstWaterMarkData;
    for (int i = 0; i < records.size(); ++i) {
        addCheckBoxItem(i, records[i].m_strWaterMarkName, i == index,
                        records[i].m_bPic ? WhaterMarkMenuListItem::PictureRow : WhaterMarkMenuListItem::TextRow);
    }
}

void WMCustomListWidget::onEditUILoadData(bool bPic)
{
    const WaterMarkDataManage* store = WaterMarkDataManage::instance();
    const QList<WaterMarkData>& records = store->m_lstWaterMarkData;
    const int selected = store->m_nCurIndex;
    const bool selectedHere = selected >= 0 && selected < records.size() && records[selected].m_bPic == bPic;
    bool first = true;
    for (int i = 0; i < records.size(); ++i) {
        if (records[i].m_bPic != bPic)
            continue;
        const bool checked = selectedHere ? i == selected : first;
        addCheckBoxItem(i, records[i].m_strWaterMarkName, checked, WhaterMarkMenuListItem::ManagerRow);
        first = false;
    }
}

int WMCustomListWidget::getCurDataIndex() const { return m_pCurItem ? m_pCurItem->cusData().toInt() : -1; }

void WMCustomListWidget::onRemoveItem(int)
{
    m_pCurItem = nullptr;
    QListWidgetItem* item = currentItem();
    if (item) {
        removeItemWidget(item); // the row widget goes with a deferred delete
        delete item;
    }
    if (QListWidgetItem* next = currentItem())
        onPopViewCheckboxListItemClicked(rowOf(next));
}

void WMCustomListWidget::setCurItemText(const QString& text)
{
    if (WhaterMarkMenuListItem* row = rowOf(currentItem()))
        row->onSetText(text);
}

void WMCustomListWidget::setCurItemNameEditing()
{
    if (WhaterMarkMenuListItem* row = rowOf(currentItem()))
        row->onBtnEditClicked();
}

void WMCustomListWidget::retranslateItem()
{
    if (WhaterMarkMenuListItem* row = rowOf(item(0)))
        row->onSetText(tr("No Watermark"));
}

void WMCustomListWidget::onPopViewCheckboxListItemClicked(WhaterMarkMenuListItem* pItem)
{
    if (!pItem)
        return;
    const int oldIndex = getCurDataIndex();
    if (m_pCurItem)
        m_pCurItem->setListItemCheck(false);
    pItem->setListItemCheck(true);
    m_pCurItem = pItem;
    // The checked row is the one Delete, Reset and rename act on.
    for (int i = 0; i < count(); ++i) {
        if (itemWidget(item(i)) == pItem)
            setCurrentRow(i);
    }
    emit sigPopViewListItemClicked(pItem->cusData().toInt(), pItem->name(), oldIndex);
}

WhaterMarkMenuListItem* WMCustomListWidget::rowOf(QListWidgetItem* item) const
{
    return item ? qobject_cast<WhaterMarkMenuListItem*>(itemWidget(item)) : nullptr;
}
