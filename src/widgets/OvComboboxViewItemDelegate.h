#pragma once
// Item painter of combo-box pop-ups: the item under the cursor and the other items each get
// their own text and background colour. A colour that was never set (or set invalid) falls
// back to the pop-up's palette. GUI thread.

#include "HoverColors.h"

#include <QStyledItemDelegate>

class QComboBox;

class OvComboboxViewItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit OvComboboxViewItemDelegate(QComboBox* parent);

    void setTextColorH(const QColor& color) { m_colors.textH = color; }
    void setTextColorN(const QColor& color) { m_colors.textN = color; }
    void setBacColorH(const QColor& color) { m_colors.bacH = color; }
    void setBacColorN(const QColor& color) { m_colors.bacN = color; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    HoverColors m_colors;
};
