#include "RegionBox.h"

#include "XcbNoShadow.h"
#include "core/RecordBoundary.h"
#include "widgets/OwnWindowStacking.h"
#include "widgets/ZoomPx.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// No focus, no window manager: the frame is placed and stacked by this class alone.
constexpr Qt::WindowFlags kFrameFlags = Qt::FramelessWindowHint | Qt::Tool | Qt::X11BypassWindowManagerHint
                                        | Qt::WindowDoesNotAcceptFocus;

void setUpFrameWindow(QWidget* window)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    // No shadow of the window may darken what lies beside it, the area inside included.
    markUnshadowed(window);
    window->setMouseTracking(true);
}

Qt::CursorShape cursorFor(RegionBox::Handle handle)
{
    switch (handle) {
    case RegionBox::Left: case RegionBox::Right: return Qt::SizeHorCursor;
    case RegionBox::Top: case RegionBox::Bottom: return Qt::SizeVerCursor;
    case RegionBox::TopLeft: case RegionBox::BottomRight: return Qt::SizeFDiagCursor;
    case RegionBox::TopRight: case RegionBox::BottomLeft: return Qt::SizeBDiagCursor;
    default: return Qt::SizeAllCursor;
    }
}
} // namespace

// A side of the frame other than the top: paints its part of the frame and hands the mouse
// to the box.
class RegionBox::Side : public QWidget {
public:
    explicit Side(RegionBox* box)
        : QWidget(box, kFrameFlags)
        , m_pBox(box)
    {
        setUpFrameWindow(this);
    }

protected:
    void paintEvent(QPaintEvent*) override { m_pBox->paintFrame(this); }
    void mousePressEvent(QMouseEvent* event) override { m_pBox->framePress(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override { m_pBox->frameMove(this, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_pBox->frameRelease(event); }

private:
    RegionBox* m_pBox;
};

RegionBox::RegionBox(QWidget* parent)
    : QWidget(parent, kFrameFlags)
{
    setObjectName(QStringLiteral("regionBox"));
    setUpFrameWindow(this);
    setWindowTitle(QStringLiteral("Region"));
    for (QWidget*& side : m_sides)
        side = new Side(this);
    const std::array<QWidget*, 4> windows = frameWindows();
    m_pStacking = new OwnWindowStacking(QList<QWidget*>(windows.begin(), windows.end()), this);
}

int RegionBox::frame() const { return SrWidgets::zoomPx(kFrame); }

std::array<QWidget*, 4> RegionBox::frameWindows() const
{
    return {const_cast<RegionBox*>(this), m_sides[0], m_sides[1], m_sides[2]};
}

void RegionBox::setRegion(const QRect& rect, const QRect& bounds)
{
    m_bounds = bounds;
    m_rect = rect;
    applyGeometry();
}

void RegionBox::setFixedRegionSize(bool fixed)
{
    m_bFixedSize = fixed;
    for (QWidget* window : frameWindows())
        window->update();
}

void RegionBox::applyGeometry()
{
    // The sides meet the rectangle without a gap: only the rectangle itself is recorded.
    const std::array<QRect, 4> sides = RecordBoundary::sides(m_rect, frame(), 0);
    const std::array<QWidget*, 4> windows = frameWindows();
    for (size_t i = 0; i < windows.size(); ++i) {
        windows[i]->setGeometry(sides[i]);
        windows[i]->update();
    }
}

void RegionBox::showFrame()
{
    for (QWidget* window : frameWindows())
        window->show();
    m_pStacking->keep();
}

void RegionBox::hideEvent(QHideEvent* event)
{
    m_pStacking->stop();
    for (QWidget* side : m_sides)
        side->hide();
    QWidget::hideEvent(event);
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

QPoint RegionBox::offsetOf(const QWidget* side) const
{
    const int f = frame();
    return side->geometry().topLeft() - m_rect.topLeft() + QPoint(f, f);
}

void RegionBox::paintEvent(QPaintEvent*) { paintFrame(this); }

void RegionBox::paintFrame(QWidget* side)
{
    QPainter p(side);
    p.translate(-offsetOf(side));
    const int f = frame();
    const QRect outer(0, 0, m_rect.width() + 2 * f, m_rect.height() + 2 * f);
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

void RegionBox::mousePressEvent(QMouseEvent* event) { framePress(this, event); }

void RegionBox::mouseMoveEvent(QMouseEvent* event) { frameMove(this, event); }

void RegionBox::mouseReleaseEvent(QMouseEvent* event) { frameRelease(event); }

void RegionBox::framePress(QWidget* side, QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragHandle = handleAt(event->pos() + offsetOf(side), m_rect.size(), frame(), m_bFixedSize);
    m_dragStart = m_rect;
    m_pressPos = event->globalPos();
}

void RegionBox::frameMove(QWidget* side, QMouseEvent* event)
{
    if (m_dragHandle == None) {
        side->setCursor(cursorFor(handleAt(event->pos() + offsetOf(side), m_rect.size(), frame(), m_bFixedSize)));
        return;
    }
    m_rect = dragged(m_dragStart, m_dragHandle, event->globalPos() - m_pressPos, m_bounds, SrWidgets::zoomPx(kMinSide));
    applyGeometry();
    emit sigRegionChanging(m_rect);
}

void RegionBox::frameRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_dragHandle == None)
        return;
    m_dragHandle = None;
    if (m_rect != m_dragStart)
        emit sigDragEnd(m_rect);
}
