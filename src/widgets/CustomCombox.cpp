#include "CustomCombox.h"

#include "CustomComboxRow.h"

#include <QListWidget>
#include <QToolButton>

CustomCombox::CustomCombox(QWidget* parent)
    : QComboBox(parent)
    , m_pList(new QListWidget(this))
{
    setModel(m_pList->model());
    setView(m_pList);
    setVisible(false);
}

void CustomCombox::addText(const QString& text, const QVariant& data)
{
    ensurePolished();
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    auto* row = new CustomComboxRow(text);
    row->setColors(m_colors);
    item->setSizeHint(QSize(row->sizeHint().width(), row->minimumHeight()));
    m_pList->addItem(item);
    m_pList->setItemWidget(item, row);
    connect(row, &CustomComboxRow::sigChosen, this, &CustomCombox::onRowChosen);
    connect(row, &CustomComboxRow::sigDelete, this, &CustomCombox::onRowDelete);
    setVisible(true);
}

QVariantList CustomCombox::getAllTextData() const
{
    QVariantList data;
    for (int i = 0; i < count(); ++i)
        data.append(itemData(i, Qt::UserRole));
    return data;
}

QWidget* CustomCombox::rowDeleteButton(int row) const
{
    CustomComboxRow* widget = rowWidget(row);
    return widget ? widget->deleteButton() : nullptr;
}

CustomComboxRow* CustomCombox::rowWidget(int row) const
{
    QListWidgetItem* item = m_pList->item(row);
    return item ? qobject_cast<CustomComboxRow*>(m_pList->itemWidget(item)) : nullptr;
}

int CustomCombox::rowOf(const CustomComboxRow* row) const
{
    for (int i = 0; i < m_pList->count(); ++i) {
        if (m_pList->itemWidget(m_pList->item(i)) == row)
            return i;
    }
    return -1;
}

void CustomCombox::onRowChosen(CustomComboxRow* row)
{
    const int index = rowOf(row);
    if (index >= 0)
        setCurrentIndex(index);
    hidePopup();
}

void CustomCombox::onRowDelete(CustomComboxRow* row)
{
    const int index = rowOf(row);
    if (index < 0)
        return;
    // The view releases the row widget (the sender) with deleteLater, so it finishes its click.
    delete m_pList->takeItem(index);
    if (count() == 0) {
        hidePopup();
        setVisible(false);
    } else if (view()->isVisible()) {
        // Re-open the pop-up so it fits the remaining rows.
        hidePopup();
        showPopup();
    }
}

void CustomCombox::setRowColor(QColor HoverColors::*member, const QColor& color)
{
    m_colors.*member = color;
    for (int i = 0; i < m_pList->count(); ++i) {
        if (CustomComboxRow* row = rowWidget(i))
            row->setColors(m_colors);
    }
}
