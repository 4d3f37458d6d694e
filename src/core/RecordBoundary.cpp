#include "RecordBoundary.h"

#include "OvResourceMgr.h"
#include "XcbNoShadow.h"
#include "widgets/OwnWindowStacking.h"

#include <QPainter>
#include <QTimer>

namespace {
// The frame's colour: the recording red of the status icons.
const QColor kLineColour(0xd9, 0x25, 0x2b);
// No window manager: the frame is placed and stacked by this class alone.
constexpr Qt::WindowFlags kSideFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                                       | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;

// A side of the frame: takes no clicks, no focus, and casts no shadow.
void setUpSide(QWidget* side)
{
    side->setAttribute(Qt::WA_ShowWithoutActivating);
    side->setAttribute(Qt::WA_TransparentForMouseEvents);
    markUnshadowed(side);
}

class BoundarySide : public QWidget {
public:
    explicit BoundarySide(QWidget* owner)
        : QWidget(owner, kSideFlags)
    {
        setUpSide(this);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kLineColour); }
};
} // namespace

RecordBoundary::RecordBoundary(QWidget* parent)
    : QWidget(parent, kSideFlags)
{
    setObjectName(QStringLiteral("RecordBoundary"));
    setUpSide(this);
    QList<QWidget*> windows{this};
    for (QWidget*& side : m_sides)
        windows << (side = new BoundarySide(this));
    m_pStacking = new OwnWindowStacking(windows, this);
    m_pRest = new QTimer(this);
    m_pRest->setSingleShot(true);
    m_pRest->setInterval(kRestMs);
    connect(m_pRest, &QTimer::timeout, this, [this] { showAround(m_area); });
}

void RecordBoundary::reset()
{
    m_pRest->stop();
    m_area = QRect();
    hideSides();
}

void RecordBoundary::hideSides()
{
    m_pStacking->stop();
    hide();
    for (QWidget* side : m_sides)
        side->hide();
}

QRect RecordBoundary::outerRect() const
{
    const int outer = gap() + line();
    return m_area.isEmpty() ? QRect() : m_area.adjusted(-outer, -outer, outer, outer);
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
    hideSides();
    m_pRest->start();
}

QList<quint64> RecordBoundary::windowIds() const
{
    QList<quint64> ids{quint64(winId())};
    for (const QWidget* side : m_sides)
        ids << quint64(side->winId());
    return ids;
}

int RecordBoundary::line() const { return qMax(1, qRound(kLine * OvResourceMgr::instance()->getZoomDPI())); }

int RecordBoundary::gap() const { return qMax(1, qRound(kGap * OvResourceMgr::instance()->getZoomDPI())); }

std::array<QRect, 4> RecordBoundary::sides(const QRect& area, int line, int gap)
{
    const int outer = gap + line;
    const int across = area.width() + 2 * outer;
    const int down = area.height() + 2 * gap;
    return {QRect(area.left() - outer, area.top() - outer, across, line),
            QRect(area.left() - outer, area.bottom() + 1 + gap, across, line),
            QRect(area.left() - outer, area.top() - gap, line, down),
            QRect(area.right() + 1 + gap, area.top() - gap, line, down)};
}

void RecordBoundary::showAround(const QRect& area)
{
    if (area.isEmpty())
        return;
    m_pRest->stop();
    m_area = area;
    const std::array<QRect, 4> rects = sides(area, line(), gap());
    setGeometry(rects[0]);
    for (size_t i = 0; i < m_sides.size(); ++i)
        m_sides[i]->setGeometry(rects[i + 1]);
    show();
    for (QWidget* side : m_sides)
        side->show();
    m_pStacking->keep();
}

void RecordBoundary::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kLineColour);
}
