#include "RegionSelector.h"

#include "widgets/ZoomPx.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

RegionSelector::RegionSelector(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::X11BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("regionSelector"));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

void RegionSelector::start(const QRect& display)
{
    m_display = display;
    m_bDragging = false;
    QScreen* screen = QGuiApplication::screenAt(display.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    m_background = screen ? screen->grabWindow(0, display.x() - screen->geometry().x(),
                                               display.y() - screen->geometry().y(), display.width(), display.height())
                          : QPixmap();
    setGeometry(display);
    show();
    raise();
    activateWindow();
    grabKeyboard();
}

QRect RegionSelector::selection(const QPoint& a, const QPoint& b, const QRect& display, int minSide)
{
    const QRect r = QRect(a, b).normalized().intersected(display);
    if (r.width() < minSide || r.height() < minSide)
        return QRect();
    return r;
}

void RegionSelector::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_background.isNull())
        p.drawPixmap(rect(), m_background);
    else
        p.fillRect(rect(), Qt::black);
    const QRect sel = m_bDragging ? QRect(m_anchor, m_current).normalized().translated(-m_display.topLeft()) : QRect();
    QRegion dim(rect());
    if (sel.isValid())
        dim = dim.subtracted(QRegion(sel));
    p.setClipRegion(dim);
    p.fillRect(rect(), QColor(0, 0, 0, 110));
    p.setClipping(false);
    if (sel.isValid()) {
        p.setPen(QPen(QColor(0x4f, 0x7c, 0xff), 2));
        p.drawRect(sel.adjusted(0, 0, -1, -1));
        const QString size = QStringLiteral("%1 x %2").arg(sel.width()).arg(sel.height());
        const QRect label(sel.left(), qMax(0, sel.top() - 24), 96, 22);
        p.fillRect(label, QColor(0x1f, 0x23, 0x29));
        p.setPen(Qt::white);
        p.drawText(label, Qt::AlignCenter, size);
    } else {
        p.setPen(Qt::white);
        QFont f = font();
        f.setPointSize(16);
        p.setFont(f);
        p.drawText(rect(), Qt::AlignCenter, tr("Drag to select the area to record. Esc cancels."));
    }
}

void RegionSelector::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        finish(QRect());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_bDragging = true;
    m_anchor = m_current = event->globalPos();
    update();
}

void RegionSelector::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bDragging)
        return;
    m_current = event->globalPos();
    update();
}

void RegionSelector::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_bDragging)
        return;
    m_bDragging = false;
    const QRect r = selection(m_anchor, event->globalPos(), m_display, SrWidgets::zoomPx(16));
    if (r.isValid())
        finish(r);
    else
        update(); // a click without a drag: keep waiting
}

void RegionSelector::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        finish(QRect());
}

void RegionSelector::finish(const QRect& rect)
{
    releaseKeyboard();
    hide();
    if (rect.isValid())
        emit sigSelected(rect);
    else
        emit sigCanceled();
}
