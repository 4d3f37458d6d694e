#include "RegionBox.h"

#include "XcbNoShadow.h"
#include "widgets/ZoomPx.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

RegionBox::RegionBox(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::X11BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("regionBox"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // No shadow of the window may darken the area inside the frame.
    markUnshadowed(this);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("Region"));
}

int RegionBox::frame() const { return SrWidgets::zoomPx(kFrame); }

void RegionBox::setRegion(const QRect& rect, const QRect& bounds)
{
    m_bounds = bounds;
    m_rect = rect;
    applyGeometry();
}

void RegionBox::setFixedRegionSize(bool fixed)
{
    m_bFixedSize = fixed;
    update();
}

void RegionBox::applyGeometry()
{
    const int f = frame();
    setGeometry(m_rect.adjusted(-f, -f, f, f));
    // Only the frame belongs to the window: the rectangle itself stays clickable and unrecorded.
    const QRect outer(0, 0, m_rect.width() + 2 * f, m_rect.height() + 2 * f);
    setMask(QRegion(outer).subtracted(QRegion(outer.adjusted(f, f, -f, -f))));
    update();
}

QRect RegionBox::dragged(const QRect& start, Handle handle, const QPoint& delta, const QRect& bounds, int minSide)
{
    if (handle == Move) {
        QRect r = start.translated(delta);
        if (bounds.isValid()) {
            r.moveLeft(qBound(bounds.left(), r.left(), qMax(bounds.left(), bounds.right() - r.width() + 1)));
            r.moveTop(qBound(bounds.top(), r.top(), qMax(bounds.top(), bounds.bottom() - r.height() + 1)));
        }
        return r;
    }
    int left = start.left(), top = start.top(), right = start.right(), bottom = start.bottom();
    const bool moveLeft = handle == Left || handle == TopLeft || handle == BottomLeft;
    const bool moveRight = handle == Right || handle == TopRight || handle == BottomRight;
    const bool moveTop = handle == Top || handle == TopLeft || handle == TopRight;
    const bool moveBottom = handle == Bottom || handle == BottomLeft || handle == BottomRight;
    const int minX = bounds.isValid() ? bounds.left() : INT_MIN / 2;
    const int maxX = bounds.isValid() ? bounds.right() : INT_MAX / 2;
    const int minY = bounds.isValid() ? bounds.top() : INT_MIN / 2;
    const int maxY = bounds.isValid() ? bounds.bottom() : INT_MAX / 2;
    if (moveLeft)
        left = qBound(minX, left + delta.x(), right - minSide + 1);
    if (moveRight)
        right = qBound(left + minSide - 1, right + delta.x(), maxX);
    if (moveTop)
        top = qBound(minY, top + delta.y(), bottom - minSide + 1);
    if (moveBottom)
        bottom = qBound(top + minSide - 1, bottom + delta.y(), maxY);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

RegionBox::Handle RegionBox::handleAt(const QPoint& pos, const QSize& rectSize, int f, bool fixedSize)
{
    const int w = rectSize.width() + 2 * f;
    const int h = rectSize.height() + 2 * f;
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= w || pos.y() >= h)
        return None;
    if (pos.x() >= f && pos.x() < w - f && pos.y() >= f && pos.y() < h - f)
        return None; // inside the rectangle
    if (fixedSize)
        return Move;
    // A handle is a frame-wide square at a corner or at the middle of a side; the corner
    // squares reach 3 frames along the sides so that they are easy to hit.
    const int grab = 3 * f;
    const bool left = pos.x() < grab, right = pos.x() >= w - grab;
    const bool top = pos.y() < grab, bottom = pos.y() >= h - grab;
    if (top && left) return TopLeft;
    if (top && right) return TopRight;
    if (bottom && left) return BottomLeft;
    if (bottom && right) return BottomRight;
    const bool midX = qAbs(pos.x() - w / 2) <= grab / 2;
    const bool midY = qAbs(pos.y() - h / 2) <= grab / 2;
    if (pos.y() < f && midX) return Top;
    if (pos.y() >= h - f && midX) return Bottom;
    if (pos.x() < f && midY) return Left;
    if (pos.x() >= w - f && midY) return Right;
    return Move;
}

void RegionBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int f = frame();
    const QRect outer = rect();
    p.fillRect(outer, QColor(0x1f, 0x23, 0x29));
    // A dashed accent line on the dark frame, then the handles.
    QPen pen(QColor(0x4f, 0x7c, 0xff), qMax(2, f / 3), Qt::DashLine);
    p.setPen(pen);
    const int mid = f / 2;
    p.drawRect(outer.adjusted(mid, mid, -mid - 1, -mid - 1));
    if (m_bFixedSize)
        return;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const int w = outer.width(), h = outer.height();
    const QList<QPoint> centres = {{mid, mid},     {w / 2, mid},     {w - mid - 1, mid},     {mid, h / 2},
                                   {w - mid - 1, h / 2}, {mid, h - mid - 1}, {w / 2, h - mid - 1}, {w - mid - 1, h - mid - 1}};
    for (const QPoint& c : centres)
        p.drawRect(QRect(c.x() - mid, c.y() - mid, f, f));
}

void RegionBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragHandle = handleAt(event->pos(), m_rect.size(), frame(), m_bFixedSize);
    m_dragStart = m_rect;
    m_pressPos = event->globalPos();
}

void RegionBox::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragHandle == None) {
        switch (handleAt(event->pos(), m_rect.size(), frame(), m_bFixedSize)) {
        case Left: case Right: setCursor(Qt::SizeHorCursor); break;
        case Top: case Bottom: setCursor(Qt::SizeVerCursor); break;
        case TopLeft: case BottomRight: setCursor(Qt::SizeFDiagCursor); break;
        case TopRight: case BottomLeft: setCursor(Qt::SizeBDiagCursor); break;
        default: setCursor(Qt::SizeAllCursor); break;
        }
        return;
    }
    m_rect = dragged(m_dragStart, m_dragHandle, event->globalPos() - m_pressPos, m_bounds, SrWidgets::zoomPx(kMinSide));
    applyGeometry();
    emit sigRegionChanging(m_rect);
}

void RegionBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_dragHandle == None)
        return;
    m_dragHandle = None;
    if (m_rect != m_dragStart)
        emit sigDragEnd(m_rect);
}
