#include "capture/RecordCanvas.h"

#include "capture/Canvas.h"
#include "capture/InputCatcher.h"
#include "XcbNoShadow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

namespace capture {

RecordCanvas::RecordCanvas(CScreenCanvasEvent* event, const QRect& area)
{
    const QScreen* screen = QGuiApplication::screenAt(area.center());
    m_pixelRatio = screen ? screen->devicePixelRatio() : 1.0;
    m_window = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool
                                        | Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setGeometry(area);
    // No shadow of it may darken the recorded area.
    markUnshadowed(m_window);
    m_canvas = new Canvas(m_window, area.size(), m_pixelRatio);
    m_canvas->setEvent(event);
    // Under a compositor the window itself covers the area while drawing (its clear pixels
    // stay clear) and no input window is made: a compositor darkens the area of one.
    const bool composited = QX11Info::isCompositingManagerRunning();
    m_input = new InputCatcher(composited ? QRect() : QRect(area.topLeft() * m_pixelRatio, area.size() * m_pixelRatio),
                               m_window);
    const auto toCanvas = [this](const QPoint& point) { return QPointF(point) / m_pixelRatio; };
    QObject::connect(m_input, &InputCatcher::pressed, m_canvas,
                     [this, toCanvas](const QPoint& point) { m_canvas->pointerPressed(toCanvas(point)); });
    QObject::connect(m_input, &InputCatcher::moved, m_canvas,
                     [this, toCanvas](const QPoint& point) { m_canvas->pointerMoved(toCanvas(point)); });
    QObject::connect(m_input, &InputCatcher::released, m_canvas,
                     [this, toCanvas](const QPoint& point) { m_canvas->pointerReleased(toCanvas(point)); });
    QObject::connect(m_canvas, &Canvas::drawingChanged, m_canvas, [this](bool drawing) { onDrawingChanged(drawing); });
    QObject::connect(m_canvas, &Canvas::painted, m_canvas, [this] { reshape(); });
}

RecordCanvas::~RecordCanvas() = default;

void RecordCanvas::Release()
{
    if (m_window) {
        // The window goes later; nothing it or the input window reports may reach this object.
        // Only our own connections (all made with the canvas as context): a plain
        // disconnect() would also cut Qt's own, e.g. the style sheet's clean-up.
        QObject::disconnect(m_canvas, nullptr, m_canvas, nullptr);
        QObject::disconnect(m_input, nullptr, m_canvas, nullptr);
        m_canvas->setEvent(nullptr);
        m_input->setActive(false);
        m_window->hide();
        m_window->deleteLater();
    }
    delete this;
}

CScreenCanvas* RecordCanvas::GetCanvas() { return m_canvas; }

void RecordCanvas::SetClearArea(CRect area)
{
    if (!m_window)
        return;
    const QRect desktop(QPoint(int(area.left), int(area.top)), QPoint(int(area.right) - 1, int(area.bottom) - 1));
    m_clear = desktop.isEmpty() ? QRect() : desktop.translated(-m_window->pos()).intersected(m_window->rect());
    m_input->setLeftOut(QRect(m_clear.topLeft() * m_pixelRatio, m_clear.size() * m_pixelRatio));
    reshape();
}

void RecordCanvas::onDrawingChanged(bool drawing)
{
    // While drawing, the window takes the clicks on what it shows (and the text editor its
    // keys, which Qt withholds from a window transparent for input); the input window the
    // rest, or where there is none, the window itself.
    m_window->winId();
    m_window->windowHandle()->setFlag(Qt::WindowTransparentForInput, !drawing);
    m_input->setActive(drawing);
    reshape();
    if (drawing && m_window->isVisible())
        m_window->raise();
}

void RecordCanvas::reshape()
{
    const bool takesInput = m_canvas->isDrawing() && !m_input->isOpen();
    const QRegion shown = (takesInput ? QRegion(m_window->rect()) : m_canvas->paintedRegion()).subtracted(m_clear);
    if (shown.isEmpty()) {
        m_window->hide();
        return;
    }
    m_window->setMask(shown);
    if (!m_window->isVisible()) {
        m_window->show();
        m_window->raise();
    }
}

} // namespace capture
