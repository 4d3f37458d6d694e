#pragma once
// The region box: a frame drawn just outside the capture rectangle, so that it is never
// recorded. The frame is four windows, one a side, none of which covers the rectangle: clicks
// there reach the windows below, and a compositor's treatment of a window (a shadow, a blend)
// can never darken it. Dragging the frame moves the rectangle, dragging one of the eight
// handles resizes it. The frame lies above other programs' windows but below this program's
// own main window, dialogs and tool windows, so it never runs across them. This widget is the
// top side and owns the others. GUI thread.

#include <QRect>
#include <QWidget>
#include <array>

class OwnWindowStacking;

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
    // Shows the frame's four windows, stacked under this program's own windows
    // (OwnWindowStacking); ones shown later go above it too.
    void showFrame();
    // The four windows of the frame: top (this widget), bottom, left, right.
    std::array<QWidget*, 4> frameWindows() const;

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
    void hideEvent(QHideEvent* event) override;

private:
    class Side;

    void applyGeometry();
    int frame() const;
    // The frame's windows take their mouse events here: `side` is the window that got `event`.
    void framePress(QWidget* side, QMouseEvent* event);
    void frameMove(QWidget* side, QMouseEvent* event);
    void frameRelease(QMouseEvent* event);
    // Paints the whole frame, in coordinates of its outer rectangle, as seen by `side`.
    void paintFrame(QWidget* side);
    // Where `side` lies within the frame's outer rectangle.
    QPoint offsetOf(const QWidget* side) const;

    QRect m_rect;
    QRect m_bounds;
    QRect m_dragStart;
    QPoint m_pressPos;
    Handle m_dragHandle = None;
    bool m_bFixedSize = false;
    std::array<QWidget*, 3> m_sides{}; // bottom, left, right: windows of their own
    OwnWindowStacking* m_pStacking = nullptr;
};
