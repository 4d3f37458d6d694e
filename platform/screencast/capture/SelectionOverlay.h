#pragma once
// The full-screen selection overlay of an image capture: the frozen display, dimmed outside
// the selection, the selection's outline, its size tip and (once the first selection is
// done) its eight resize handles. It holds the drawing canvas over the selection. GUI thread
// only; it reports through its signals from inside its mouse and key events.

#include "capture/SelectionGeometry.h"

#include <QImage>
#include <QWidget>

class QScreen;

namespace capture {

class Canvas;

class SelectionOverlay : public QWidget {
    Q_OBJECT
public:
    // Covers `screen` and shows `picture` (the screen frozen, of its logical size times its
    // pixel ratio). The size tip is `tipFormat` filled by SelectionGeometry::fillTip with the
    // width, height, left and top in desktop pixels.
    SelectionOverlay(QScreen* screen, const QImage& picture, const QString& tipFormat);

    // True once the first selection is done.
    bool hasSelection() const { return m_selected; }
    // The selection in display-local pixels.
    QRect selection() const { return m_selection; }
    // Makes `rect` the (finished) selection, without a signal.
    void setSelection(const QRect& rect);
    Canvas* canvas() const { return m_canvas; }
    // The overlay's display in desktop pixels.
    QRect displayRect() const { return m_display; }

signals:
    // Esc, or a right click.
    void closeRequested();
    // The first selection is done.
    void selectionCompleted(const QRect& selection);
    // The user begins to move or resize the finished selection, changes it, and lets go.
    void resizeBegan();
    void resizeChanged(const QRect& selection);
    void resizeEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Creating, Adjusting };

    QRect bounds() const { return QRect(QPoint(0, 0), m_display.size()); }
    void changeSelection(const QRect& rect);
    void updateCursor(const QPoint& point);
    void paintTip(QPainter& painter);

    QRect m_display;
    QImage m_picture;
    QString m_tipFormat;
    Canvas* m_canvas;
    QRect m_selection;
    bool m_selected = false;
    Drag m_drag = Drag::None;
    SelectionHandle m_handle = SelectionHandle::None;
    QPoint m_pressPoint;
    QRect m_startRect;
};

} // namespace capture
