#pragma once
// One screenshot: the frozen display on a selection overlay with its canvas, and the saving
// and copying of the selection. It reports the overlay's events to its CImageCaptureCallback
// on the GUI thread; the callback may release the object from inside any report. GUI thread.

#include "ScImageCapture.h"

#include <QImage>
#include <QPointer>
#include <memory>

class QScreen;

namespace capture {

class SelectionOverlay;

class ImageCapture : public CImageCaptureObject {
public:
    // Shows the overlay over `screen` frozen as `picture`.
    ImageCapture(CImageCaptureCallback* callback, QScreen* screen, const QImage& picture, const QString& tipFormat);

    void Release() override;
    int SaveImage(int format, const char* path) override;
    int CopyToClipboard() override;
    void SetBlur(int level) override;
    void SelectArea(CRect rect) override;
    CScreenCanvas* GetCanvas(CScreenCanvasEvent* event) override;
    unsigned long long OverlayWindow() override;

private:
    ~ImageCapture() override;
    // The selection with its annotations; null before the first selection.
    QImage selectedImage();

    CImageCaptureCallback* m_callback;
    QPointer<SelectionOverlay> m_overlay;
    // Expires with the object: a report whose receiver released the object stops there.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace capture
