#include "OvComboboxViewItemDelegate.h"

#include "ZoomPx.h"

#include <QComboBox>
#include <QPainter>

using SrWidgets::zoomPx;

OvComboboxViewItemDelegate::OvComboboxViewItemDelegate(QComboBox* parent)
    : QStyledItemDelegate(parent)
{
}

void OvComboboxViewItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);

    // In a pop-up the current row follows the cursor, so a selected row is the hovered one.
    const bool hovered = opt.state & (QStyle::State_MouseOver | QStyle::State_Selected);
    const QColor background = m_colors.background(hovered, opt.palette);
    QColor text = m_colors.text(hovered, opt.palette);
    if (!(opt.state & QStyle::State_Enabled))
        text.setAlphaF(text.alphaF() * 0.5);

    painter->save();
    painter->fillRect(opt.rect, background);

    QRect area = opt.rect.adjusted(zoomPx(8), 0, -zoomPx(8), 0);
    if (!opt.icon.isNull()) {
        const QSize iconSize = opt.decorationSize;
        const QRect iconRect(area.left(), area.top() + (area.height() - iconSize.height()) / 2, iconSize.width(),
                             iconSize.height());
        opt.icon.paint(painter, iconRect, Qt::AlignCenter, hovered ? QIcon::Selected : QIcon::Normal);
        area.setLeft(iconRect.right() + 1 + zoomPx(6));
    }
    painter->setFont(opt.font);
    painter->setPen(text);
    const QString elided = opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, area.width());
    painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft, elided);
    painter->restore();
}

QSize OvComboboxViewItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += zoomPx(16);
    size.setHeight(qMax(size.height(), zoomPx(26)));
    return size;
}
