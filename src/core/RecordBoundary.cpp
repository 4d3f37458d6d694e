#include "RecordBoundary.h"

#include "OvResourceMgr.h"

#include <QPainter>
#include <QTimer>

namespace {
// The frame's colour: the recording red of the status icons.
const QColor kLineColour(0xd9, 0x25, 0x2b);
} // namespace

RecordBoundary::RecordBoundary(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                          | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("RecordBoundary"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pRest = new QTimer(this);
    m_pRest->setSingleShot(true);
    m_pRest->setInterval(kRestMs);
    connect(m_pRest, &QTimer::timeout, this, [this] { showAround(m_area); });
}

void RecordBoundary::reset()
{
    m_pRest->stop();
    m_area = QRect();
    hide();
}

void RecordBoundary::followArea(const QRect& area)
{
    if (area.isEmpty() || area == m_area)
        return;
    const bool first = m_area.isEmpty();
    m_area = area;
    if (first) {
        showAround(area);
        return;
    }
    hide();
    m_pRest->start();
}

int RecordBoundary::line() const { return qMax(1, qRound(kLine * OvResourceMgr::instance()->getZoomDPI())); }

int RecordBoundary::gap() const { return qMax(1, qRound(kGap * OvResourceMgr::instance()->getZoomDPI())); }

QRegion RecordBoundary::ring(const QRect& area, int line, int gap)
{
    const int inner = gap;
    const int outer = gap + line;
    return QRegion(area.adjusted(-outer, -outer, outer, outer)) - QRegion(area.adjusted(-inner, -inner, inner, inner));
}

void RecordBoundary::showAround(const QRect& area)
{
    if (area.isEmpty())
        return;
    m_pRest->stop();
    m_area = area;
    const int outer = gap() + line();
    const QRect bounds = area.adjusted(-outer, -outer, outer, outer);
    setGeometry(bounds);
    // Only the band is a window: what lies inside shows through and stays reachable.
    setMask(ring(area, line(), gap()).translated(-bounds.topLeft()));
    if (!isVisible())
        show();
    raise();
}

void RecordBoundary::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kLineColour);
}
