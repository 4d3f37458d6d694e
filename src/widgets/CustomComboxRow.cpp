#include "CustomComboxRow.h"

#include "ZoomPx.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

using SrWidgets::zoomPx;

CustomComboxRow::CustomComboxRow(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_pLblText(new QLabel(text, this))
    , m_pBtnDelete(new QToolButton(this))
{
    m_pLblText->setObjectName(QStringLiteral("lblRowText"));
    m_pLblText->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pBtnDelete->setObjectName(QStringLiteral("btnRowDelete"));
    m_pBtnDelete->setIcon(QIcon(QStringLiteral(":/sr/icons/delete.svg")));
    m_pBtnDelete->setIconSize(QSize(zoomPx(10), zoomPx(10)));
    m_pBtnDelete->setFixedSize(zoomPx(18), zoomPx(18));
    m_pBtnDelete->setCursor(Qt::PointingHandCursor);
    m_pBtnDelete->setAutoRaise(true);
    m_pBtnDelete->setToolTip(tr("Remove"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(zoomPx(8), 0, zoomPx(4), 0);
    layout->setSpacing(zoomPx(8));
    layout->addWidget(m_pLblText, 1);
    layout->addWidget(m_pBtnDelete);
    setMinimumHeight(zoomPx(26));

    connect(m_pBtnDelete, &QToolButton::clicked, this, [this] { emit sigDelete(this); });
}

void CustomComboxRow::setColors(const HoverColors& colors)
{
    m_colors = colors;
    applyTextColor();
    update();
}

void CustomComboxRow::applyTextColor()
{
    QPalette pal = m_pLblText->palette();
    pal.setColor(QPalette::WindowText, m_colors.text(m_bHovered, palette()));
    m_pLblText->setPalette(pal);
}

void CustomComboxRow::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), m_colors.background(m_bHovered, palette()));
}

void CustomComboxRow::enterEvent(QEvent* event)
{
    m_bHovered = true;
    applyTextColor();
    update();
    QWidget::enterEvent(event);
}

void CustomComboxRow::leaveEvent(QEvent* event)
{
    m_bHovered = false;
    applyTextColor();
    update();
    QWidget::leaveEvent(event);
}

void CustomComboxRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit sigChosen(this);
    event->accept();
}
