#include "capture/ImageCapture.h"

#include "Log.h"
#include "capture/Canvas.h"
#include "capture/ImageWriter.h"
#include "capture/SelectionOverlay.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

namespace capture {

ImageCapture::ImageCapture(CImageCaptureCallback* callback, QScreen* screen, const QImage& picture,
                           const QString& tipFormat)
    : m_callback(callback), m_overlay(new SelectionOverlay(screen, picture, tipFormat))
{
    SelectionOverlay* overlay = m_overlay;
    // The overlay is the context: once Release() disconnected and dropped it, nothing arrives.
    QObject::connect(overlay, &SelectionOverlay::closeRequested, overlay, [this] { m_callback->OnClose(); });
    QObject::connect(overlay, &SelectionOverlay::selectionCompleted, overlay, [this](const QRect& selection) {
        m_callback->OnScreenSelCompleted(SelectionGeometry::toCRect(selection));
    });
    QObject::connect(overlay, &SelectionOverlay::resizeBegan, overlay, [this] { m_callback->OnBeginResize(); });
    QObject::connect(overlay, &SelectionOverlay::resizeChanged, overlay, [this](const QRect& selection) {
        m_callback->OnSizeChanged(SelectionGeometry::toCRect(selection));
    });
    QObject::connect(overlay, &SelectionOverlay::resizeEnded, overlay, [this] { m_callback->OnEndResize(); });
    overlay->showFullScreen();
    overlay->activateWindow();
}

ImageCapture::~ImageCapture() = default;

void ImageCapture::Release()
{
    if (m_overlay) {
        // Only our own connections (made with the overlay as context): a plain disconnect()
        // would also cut Qt's own, e.g. the style sheet's clean-up when the overlay goes.
        QObject::disconnect(m_overlay, nullptr, m_overlay, nullptr);
        m_overlay->canvas()->setEvent(nullptr);
        m_overlay->hide();
        // Later: the release may come from inside one of the overlay's own events.
        m_overlay->deleteLater();
    }
    delete this;
}

QImage ImageCapture::selectedImage()
{
    if (!m_overlay || !m_overlay->hasSelection())
        return QImage();
    m_overlay->canvas()->finishText();
    return m_overlay->canvas()->compose(m_overlay->selection());
}

int ImageCapture::SaveImage(int format, const char* path)
{
    const QImage image = selectedImage();
    if (image.isNull() || !path || !*path) {
        Log("Screencast", 2, "screenshot not saved: nothing selected");
        return -1;
    }
    const QString file = QFile::decodeName(path);
    if (!ImageWriter::write(image, format, file))
        return -1;
    Log("Screencast", 1, "screenshot %dx%d saved as format %d", image.width(), image.height(), format);
    return 0;
}

int ImageCapture::CopyToClipboard()
{
    const QImage image = selectedImage();
    if (image.isNull())
        return -1;
    QGuiApplication::clipboard()->setImage(image);
    return 0;
}

void ImageCapture::SetBlur(int level)
{
    if (m_overlay)
        m_overlay->canvas()->setBlurLevel(level);
}

void ImageCapture::SelectArea(CRect rect)
{
    if (!m_overlay)
        return;
    const QRect display = m_overlay->displayRect();
    const QRect selection = SelectionGeometry::fromInclusive(rect, display.topLeft())
                                .intersected(QRect(QPoint(0, 0), display.size()));
    if (selection.isEmpty())
        return;
    const std::weak_ptr<int> alive = m_alive;
    if (!m_overlay->hasSelection()) {
        m_overlay->setSelection(selection);
        m_callback->OnScreenSelCompleted(SelectionGeometry::toCRect(selection));
        return;
    }
    m_callback->OnBeginResize();
    if (alive.expired() || !m_overlay)
        return;
    m_overlay->setSelection(selection);
    m_callback->OnSizeChanged(SelectionGeometry::toCRect(selection));
    if (alive.expired())
        return;
    m_callback->OnEndResize();
}

CScreenCanvas* ImageCapture::GetCanvas(CScreenCanvasEvent* event)
{
    Canvas* canvas = m_overlay->canvas();
    canvas->setEvent(event);
    return canvas;
}

unsigned long long ImageCapture::OverlayWindow()
{
    if (!m_overlay || !m_overlay->testAttribute(Qt::WA_WState_Created))
        return 0;
    return m_overlay->winId();
}

} // namespace capture
