#pragma once
// The selection overlay: covers one display with a dimmed picture of it; the user drags out
// the rectangle to record. Escape or a right click cancels. GUI thread.

#include <QPixmap>
#include <QRect>
#include <QWidget>

class RegionSelector : public QWidget {
    Q_OBJECT
public:
    explicit RegionSelector(QWidget* parent = nullptr);

    // Covers `display` (desktop coordinates) and waits for a drag.
    void start(const QRect& display);
    // The rectangle between two points, inside `display`; each side at least `minSide`
    // (a plain click gives no rectangle).
    static QRect selection(const QPoint& a, const QPoint& b, const QRect& display, int minSide);

signals:
    void sigSelected(const QRect& rect);
    void sigCanceled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish(const QRect& rect);

    QRect m_display;
    QPixmap m_background;
    QPoint m_anchor;
    QPoint m_current;
    bool m_bDragging = false;
};
