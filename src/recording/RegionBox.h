#pragma once
// The region box: a frameless window drawn as a frame just outside the capture rectangle,
// so that it is never recorded. Only the frame takes the mouse (the inside is cut away by
// a mask and clicks reach the windows below): dragging the frame moves the rectangle,
// dragging one of the eight handles resizes it. It casts no shadow under a compositor, which
// would darken the area inside. GUI thread.

#include <QRect>
#include <QWidget>

class RegionBox : public QWidget {
    Q_OBJECT
public:
    // The part of the frame under the mouse.
    enum Handle { None, Move, Left, Top, Right, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

    // Width of the frame around the rectangle, in pixels at zoom 1.
    static constexpr int kFrame = 8;
    static constexpr int kMinSide = 64;

    explicit RegionBox(QWidget* parent = nullptr);

    // Places the frame around `rect` (desktop coordinates) and limits moves to `bounds`.
    void setRegion(const QRect& rect, const QRect& bounds);
    QRect region() const { return m_rect; }
    // With a fixed size (a preset) the handles are hidden and only moving is possible.
    void setFixedRegionSize(bool fixed);
    bool isFixedRegionSize() const { return m_bFixedSize; }

    // The rectangle after dragging `handle` by `delta` from `start`: moves stay whole inside
    // `bounds`, resizes are cut at `bounds` and never get smaller than `minSide`.
    static QRect dragged(const QRect& start, Handle handle, const QPoint& delta, const QRect& bounds, int minSide);
    // The part of the frame at `pos` (window coordinates of a frame around a `rectSize` rectangle).
    static Handle handleAt(const QPoint& pos, const QSize& rectSize, int frame, bool fixedSize);

signals:
    // The rectangle while it is dragged.
    void sigRegionChanging(const QRect& rect);
    // A drag ended with the rectangle at `rect`.
    void sigDragEnd(const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyGeometry();
    int frame() const;

    QRect m_rect;
    QRect m_bounds;
    QRect m_dragStart;
    QPoint m_pressPos;
    Handle m_dragHandle = None;
    bool m_bFixedSize = false;
};
