#include "OvSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

OvSlider::OvSlider(QWidget* parent)
    : QSlider(parent)
{
}

OvSlider::OvSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent)
{
}

// The value whose handle centre lies under `pos`.
int OvSlider::valueAt(const QPoint& pos) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    if (orientation() == Qt::Horizontal) {
        const int span = groove.width() - handle.width();
        const int offset = pos.x() - handle.width() / 2 - groove.left();
        return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span, opt.upsideDown);
    }
    const int span = groove.height() - handle.height();
    const int offset = pos.y() - handle.height() / 2 - groove.top();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span, opt.upsideDown);
}

void OvSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QStyle::SubControl hit = style()->hitTestComplexControl(QStyle::CC_Slider, &opt, event->pos(), this);
        // A press on the handle drags it from where it is; anywhere else it first jumps there.
        if (hit != QStyle::SC_SliderHandle)
            setValue(valueAt(event->pos()));
    }
    QSlider::mousePressEvent(event);
}
