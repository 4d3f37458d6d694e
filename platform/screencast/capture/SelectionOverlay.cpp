#include "capture/SelectionOverlay.h"

#include "capture/Canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace capture {

namespace {
const QColor kDim(0, 0, 0, 110);
const QColor kOutline(0x1e, 0x90, 0xff);
const QColor kTipBackground(0, 0, 0, 170);
const int kTipPadding = 4;
const int kTipGap = 4;

Qt::CursorShape cursorFor(SelectionHandle handle)
{
    switch (handle) {
    case SelectionHandle::Move: return Qt::SizeAllCursor;
    case SelectionHandle::TopLeft:
    case SelectionHandle::BottomRight: return Qt::SizeFDiagCursor;
    case SelectionHandle::TopRight:
    case SelectionHandle::BottomLeft: return Qt::SizeBDiagCursor;
    case SelectionHandle::Top:
    case SelectionHandle::Bottom: return Qt::SizeVerCursor;
    case SelectionHandle::Left:
    case SelectionHandle::Right: return Qt::SizeHorCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

SelectionOverlay::SelectionOverlay(QScreen* screen, const QImage& picture, const QString& tipFormat)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      m_display(screen->geometry()),
      m_picture(picture),
      m_tipFormat(tipFormat)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setGeometry(m_display);
    m_canvas = new Canvas(this, m_display.size(), picture.devicePixelRatio());
    m_canvas->setPicture(picture);
    m_canvas->hide();
}

void SelectionOverlay::setSelection(const QRect& rect)
{
    m_selected = true;
    changeSelection(rect);
}

void SelectionOverlay::changeSelection(const QRect& rect)
{
    m_selection = rect.intersected(bounds());
    if (m_selected) {
        m_canvas->setViewport(m_selection);
        m_canvas->show();
    }
    update();
}

void SelectionOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), m_picture);
    QRegion dimmed(rect());
    dimmed -= m_selection;
    for (const QRect& part : dimmed)
        painter.fillRect(part, kDim);
    if (m_selection.isEmpty())
        return;
    painter.setPen(kOutline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_selection.adjusted(-1, -1, 0, 0));
    if (m_selected && m_drag == Drag::None) {
        painter.setBrush(Qt::white);
        for (int h = int(SelectionHandle::TopLeft); h <= int(SelectionHandle::Left); ++h)
            painter.drawRect(SelectionGeometry::handleRect(m_selection, SelectionHandle(h)).adjusted(0, 0, -1, -1));
    }
    paintTip(painter);
}

void SelectionOverlay::paintTip(QPainter& painter)
{
    const QString text = SelectionGeometry::fillTip(m_tipFormat, m_selection.width(), m_selection.height(),
                                                    m_display.left() + m_selection.left(),
                                                    m_display.top() + m_selection.top());
    const QRect textRect = painter.fontMetrics().boundingRect(QRect(0, 0, width(), height()), Qt::AlignLeft, text);
    QRect tip = textRect.adjusted(-kTipPadding, -kTipPadding, kTipPadding, kTipPadding);
    // Above the selection; inside its top-left corner when there is no room above.
    tip.moveBottomLeft(m_selection.topLeft() - QPoint(0, kTipGap));
    if (tip.top() < 0)
        tip.moveTopLeft(m_selection.topLeft() + QPoint(kTipGap, kTipGap));
    tip.moveLeft(qBound(0, tip.left(), qMax(0, width() - tip.width())));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTipBackground);
    painter.drawRect(tip);
    painter.setPen(Qt::white);
    painter.drawText(tip.adjusted(kTipPadding, kTipPadding, -kTipPadding, -kTipPadding), Qt::AlignLeft, text);
}

void SelectionOverlay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        emit closeRequested();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = event->pos();
    if (!m_selected) {
        m_drag = Drag::Creating;
        changeSelection(QRect(m_pressPoint, QSize()));
        return;
    }
    m_handle = SelectionGeometry::hitTest(m_selection, m_pressPoint);
    if (m_handle == SelectionHandle::None)
        return;
    m_drag = Drag::Adjusting;
    m_startRect = m_selection;
    emit resizeBegan();
}

void SelectionOverlay::mouseMoveEvent(QMouseEvent* event)
{
    switch (m_drag) {
    case Drag::Creating:
        changeSelection(SelectionGeometry::spanned(m_pressPoint, event->pos(), bounds()));
        break;
    case Drag::Adjusting: {
        const QRect next = SelectionGeometry::dragged(m_startRect, m_handle, event->pos() - m_pressPoint, bounds());
        if (next != m_selection && !next.isEmpty()) {
            changeSelection(next);
            emit resizeChanged(m_selection);
        }
        break;
    }
    case Drag::None:
        updateCursor(event->pos());
        break;
    }
}

void SelectionOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Drag drag = m_drag;
    m_drag = Drag::None;
    if (drag == Drag::Creating) {
        if (m_selection.isEmpty()) {
            // A click without a drag selects nothing: start again.
            changeSelection(QRect());
            return;
        }
        setSelection(m_selection);
        updateCursor(event->pos());
        emit selectionCompleted(m_selection);
    } else if (drag == Drag::Adjusting) {
        update();
        emit resizeEnded();
    }
}

void SelectionOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        emit closeRequested();
    else
        QWidget::keyPressEvent(event);
}

void SelectionOverlay::updateCursor(const QPoint& point)
{
    setCursor(m_selected ? cursorFor(SelectionGeometry::hitTest(m_selection, point)) : Qt::CrossCursor);
}

} // namespace capture
