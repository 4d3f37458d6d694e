#include "FfSwitchButton.h"

#include "ZoomPx.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace {
// Time of a slide across the whole track; a partial slide takes its share.
constexpr int kFullSlideMs = 150;

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}
} // namespace

FfSwitchButton::FfSwitchButton(QWidget* parent)
    : QWidget(parent)
    , m_pAnimation(new QPropertyAnimation(this, "knobPos", this))
{
    m_pAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FfSwitchButton::setBtnChecked(bool v)
{
    slideTo(v);
    emit clicked(v);
}

bool FfSwitchButton::isSliding() const { return m_pAnimation->state() == QAbstractAnimation::Running; }

void FfSwitchButton::slideTo(bool checked)
{
    // A new target replaces a running slide: the knob turns around where it is, so the
    // state and the knob always end at the last requested value.
    m_bChecked = checked;
    m_pAnimation->stop();
    const qreal target = checked ? 1.0 : 0.0;
    const qreal distance = qAbs(target - m_dKnobPos);
    if (distance <= 0.0) {
        update();
        return;
    }
    m_pAnimation->setDuration(qMax(1, int(kFullSlideMs * distance)));
    m_pAnimation->setStartValue(m_dKnobPos);
    m_pAnimation->setEndValue(target);
    m_pAnimation->start();
}

void FfSwitchButton::setKnobPos(qreal pos)
{
    m_dKnobPos = qBound<qreal>(0.0, pos, 1.0);
    update();
}

void FfSwitchButton::setColor(QColor& member, const QColor& color)
{
    member = color;
    update();
}

QSize FfSwitchButton::sizeHint() const { return QSize(SrWidgets::zoomPx(36), SrWidgets::zoomPx(20)); }

// Colours the skin did not set fall back to the palette.
QColor FfSwitchButton::trackColor() const
{
    const QColor off = m_colorBacNormal.isValid() ? m_colorBacNormal : palette().color(QPalette::Mid);
    const QColor on = m_colorBacHover.isValid() ? m_colorBacHover : palette().color(QPalette::Highlight);
    return mix(off, on, m_dKnobPos);
}

QColor FfSwitchButton::knobColor() const
{
    const QColor off = m_colorNormal.isValid() ? m_colorNormal : palette().color(QPalette::Base);
    const QColor on = m_colorHover.isValid() ? m_colorHover : palette().color(QPalette::Base);
    return mix(off, on, m_dKnobPos);
}

void FfSwitchButton::paintEvent(QPaintEvent*)
{
    ensurePolished();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);

    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColor());
    painter.drawRoundedRect(track, radius, radius);

    const qreal margin = qMax<qreal>(2.0, track.height() / 10.0);
    const qreal knob = track.height() - 2 * margin;
    const qreal travel = track.width() - 2 * margin - knob;
    const QRectF knobRect(track.left() + margin + travel * m_dKnobPos, track.top() + margin, knob, knob);
    painter.setBrush(knobColor());
    painter.drawEllipse(knobRect);
}

void FfSwitchButton::mousePressEvent(QMouseEvent* event)
{
    m_bPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void FfSwitchButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_bPressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_bPressed = false;
    event->accept();
    if (!click)
        return;
    slideTo(!m_bChecked);
    emit clicked(m_bChecked);
}
