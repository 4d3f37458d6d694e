#include "watermark/WatermarkPlacementMath.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>

namespace {
// The frame a recording's watermark placement is measured in (see WaterMarkRenderer).
const double kCapWidth = 3840.0;
const double kCapHeight = 2160.0;
} // namespace

double WatermarkPlacementMath::backgroundScale(const QSize& unscaled, int previewWidth)
{
    if (unscaled.width() <= 0 || unscaled.height() <= 0 || previewWidth <= 0)
        return 1.0;
    const double a = unscaled.width() == previewWidth ? 1.0 : double(unscaled.width()) / previewWidth;
    const qint64 pixels = qint64(unscaled.width()) * unscaled.height();
    const double c
        = pixels < kCappedPixels ? 1.0 : std::min(kCapWidth / unscaled.width(), kCapHeight / unscaled.height());
    return a * c;
}

int WatermarkPlacementMath::convert(int value, double scale, bool toRecording)
{
    if (value == -1 || scale <= 0)
        return value;
    return toRecording ? int(value * scale) : int(value / scale);
}

bool WatermarkPlacementMath::isNear(const QRect& item, const QPoint& pos)
{
    return item.adjusted(-kHitTolerance, -kHitTolerance, kHitTolerance, kHitTolerance).contains(pos);
}

WatermarkPlacementMath::MouseDragMode WatermarkPlacementMath::dragMode(const QRect& item, const QPoint& pos)
{
    const int x = pos.x(), y = pos.y();
    const int x1 = item.left(), y1 = item.top(), x2 = item.right(), y2 = item.bottom();
    const auto near = [](int a, int b) { return std::abs(a - b) <= kHitTolerance; };
    if (near(x, x1) && near(y, y1))
        return DragTopLeft;
    if (near(x, x1) && near(y, y2))
        return DragBottomLeft;
    if (near(x, x2) && near(y, y1))
        return DragTopRight;
    if (near(x, x2) && near(y, y2))
        return DragBottomRight;
    if (near(x, x1) && y1 < y && y < y2)
        return DragLeft;
    if (x1 < x && x < x2) {
        if (near(y, y1))
            return DragTop;
        if (near(y, y2))
            return DragBottom;
    }
    if (near(x, x2) && y1 < y && y < y2)
        return DragRight;
    return DragMove;
}

QRect WatermarkPlacementMath::dragged(int mode, const QRect& start, const QPoint& press, const QPoint& pos,
                                      const QRect& background)
{
    const QRect& s = start;
    const int px = qBound(background.left(), pos.x(), background.right());
    const int py = qBound(background.top(), pos.y(), background.bottom());
    QRect r = s;
    switch (mode) {
    case DragLeft:
        r.setLeft(std::min(s.right(), px));
        break;
    case DragTop:
        r.setTop(std::min(s.bottom(), py));
        break;
    case DragRight:
        r.setRight(std::max(s.left(), px));
        break;
    case DragBottom:
        r.setBottom(std::max(s.top(), py));
        break;
    case DragTopLeft:
    case DragTopRight:
    case DragBottomLeft:
    case DragBottomRight: {
        const bool movesLeft = mode == DragTopLeft || mode == DragBottomLeft;
        const bool movesTop = mode == DragTopLeft || mode == DragTopRight;
        const QPoint corner(movesLeft ? s.left() : s.right(), movesTop ? s.top() : s.bottom());
        if (corner == QPoint(px, py))
            return s;
        if (movesLeft)
            r.setLeft(std::min(s.right(), px));
        else
            r.setRight(std::max(s.left(), px));
        if (movesTop)
            r.setTop(std::min(s.bottom(), py));
        else
            r.setBottom(std::max(s.top(), py));
        // The opposite corner stays; the shorter stretch sets both sides.
        const double rw = double(r.width()) / s.width();
        const double rh = double(r.height()) / s.height();
        if (rh > rw) {
            if (movesTop)
                r.setTop(int((s.bottom() + 1) - rw * s.height()));
            else
                r.setBottom(s.top() + int(rw * s.height()) - 1);
        } else if (rw > rh) {
            if (movesLeft)
                r.setLeft(int((s.right() + 1) - rh * s.width()));
            else
                r.setRight(s.left() + int(rh * s.width()) - 1);
        }
        break;
    }
    case DragMove: {
        if (QPoint(px, py) == press)
            return s;
        const int dx = px - press.x();
        const int dy = py - press.y();
        int left = s.left();
        if (dx != 0) {
            left = s.left() + dx;
            if (s.right() + dx + 1 > background.right())
                left = background.right() - (s.right() - s.left()) - 1;
            left = std::max(left, background.left());
        }
        int top = s.top();
        if (dy != 0) {
            top = s.top() + dy;
            if (s.bottom() + dy + 1 > background.bottom())
                top = background.bottom() - (s.bottom() - s.top()) - 1;
            top = std::max(top, background.top());
        }
        r.moveTopLeft(QPoint(left, top));
        break;
    }
    default:
        break;
    }
    return r;
}

QList<int> WatermarkPlacementMath::margins(const QRect& item, const QRect& background)
{
    const int cx = (item.left() + item.right()) / 2;
    const int cy = (item.top() + item.bottom()) / 2;
    const int bx = (background.left() + background.right()) / 2;
    const int by = (background.top() + background.bottom()) / 2;
    // Distances to the background's edges, never to the frame around it.
    const int t = std::max(0, item.top() - background.top());
    const int l = std::max(0, item.left() - background.left());
    const int r = std::max(0, background.right() - item.right());
    const int b = std::max(0, background.bottom() - item.bottom());
    return {cy < by ? t : -1, cx > bx ? r : -1, cy > by ? b : -1, cx < bx ? l : -1};
}
