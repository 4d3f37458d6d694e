#include "CameraView.h"

#include <QEvent>

namespace camera {

namespace {
// Until the first picture: black at the usual camera aspect.
const QSize kPlaceholder(16, 9);
} // namespace

CameraView::CameraView(QWidget* host) : media::PictureSurface(host)
{
    setObjectName(QStringLiteral("scCameraView"));
    QImage black(kPlaceholder, QImage::Format_RGB32);
    black.fill(Qt::black);
    setPicture(black);
    host->installEventFilter(this);
    setGeometry(host->rect());
    m_width = width();
    m_height = height();
    QWidget::show();
}

CameraView::~CameraView()
{
    if (m_onDestroyed)
        m_onDestroyed();
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
}

bool CameraView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        m_width = width();
        m_height = height();
    }
    return media::PictureSurface::eventFilter(watched, event);
}

QSize CameraView::targetSize(const QSize& source) const
{
    const QSize room(std::max(1, m_width.load()), std::max(1, m_height.load()));
    if (source.width() <= room.width() && source.height() <= room.height())
        return source;
    return source.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

void CameraView::present(const QImage& picture)
{
    m_pending = true;
    // Posted to the surface: dropped when it is gone before the GUI thread gets to it.
    QMetaObject::invokeMethod(
        this,
        [this, picture] {
            setPicture(picture);
            m_pending = false;
        },
        Qt::QueuedConnection);
}

} // namespace camera
