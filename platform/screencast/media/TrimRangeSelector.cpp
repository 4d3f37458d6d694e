#include "TrimRangeSelector.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace media {

namespace {
const int kHandle = 8;
const double kMinRangeSeconds = 0.1; // the handles never come closer than this
}

TrimRange TrimRange::moved(bool beginHandle, double value, double length, double minimum) const
{
    TrimRange result = *this;
    minimum = std::min(minimum, length);
    if (beginHandle)
        result.begin = std::clamp(value, 0.0, std::max(0.0, end - minimum));
    else
        result.end = std::clamp(value, std::min(length, begin + minimum), length);
    return result;
}

TrimRangeSelector::TrimRangeSelector(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("scTrimRange"));
    setMinimumHeight(24);
    setCursor(Qt::SizeHorCursor);
}

void TrimRangeSelector::setLength(double seconds)
{
    m_length = std::max(0.0, seconds);
    update();
}

void TrimRangeSelector::setRange(double begin, double end)
{
    m_range.begin = begin;
    m_range.end = end;
    update();
}

int TrimRangeSelector::xOf(double seconds) const
{
    const int usable = width() - 2 * kHandle;
    return kHandle + (m_length > 0 ? int(std::lround(seconds / m_length * usable)) : 0);
}

double TrimRangeSelector::valueAt(int x) const
{
    const int usable = std::max(1, width() - 2 * kHandle);
    return double(x - kHandle) / usable * m_length;
}

void TrimRangeSelector::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int mid = height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRect(kHandle, mid - 4, width() - 2 * kHandle, 8), 3, 3);
    const int x0 = xOf(m_range.begin);
    const int x1 = xOf(m_range.end);
    p.setBrush(QColor(255, 196, 0));
    p.drawRect(QRect(x0, mid - 4, x1 - x0, 8));
    for (int x : {x0, x1}) {
        p.setBrush(QColor(255, 196, 0));
        p.drawRoundedRect(QRect(x - kHandle / 2 - 1, 2, kHandle + 2, height() - 4), 2, 2);
    }
}

void TrimRangeSelector::mousePressEvent(QMouseEvent* event)
{
    const int x = event->pos().x();
    m_dragging = std::abs(x - xOf(m_range.begin)) <= std::abs(x - xOf(m_range.end)) ? DragBegin : DragEnd;
    mouseMoveEvent(event);
}

void TrimRangeSelector::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging == DragNone)
        return;
    const bool beginHandle = m_dragging == DragBegin;
    m_range = m_range.moved(beginHandle, valueAt(event->pos().x()), m_length, kMinRangeSeconds);
    update();
    emit sigRangeChanged(m_range.begin, m_range.end, beginHandle);
}

void TrimRangeSelector::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = DragNone;
}

} // namespace media
