#pragma once
// The live picture of a camera in its host widget: a picture surface that fills the host and
// follows its size. The capture thread offers pictures scaled to the surface; a picture is
// only made when the last one was shown, so a busy GUI thread never piles them up.
// Created and destroyed on the GUI thread; wantsPicture, targetSize and present on any thread.

#include "media/PlayerView.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <functional>

namespace camera {

class CameraView : public media::PictureSurface {
    Q_OBJECT
public:
    explicit CameraView(QWidget* host);
    ~CameraView() override;

    // True when the last picture was shown and a new one may be made.
    bool wantsPicture() const { return !m_pending; }
    // The size a picture of `source` size is best made at: scaled into the surface with its
    // aspect kept, never larger than the source.
    QSize targetSize(const QSize& source) const;
    // Shows `picture` on the GUI thread.
    void present(const QImage& picture);
    // Called on the GUI thread when the surface goes (with its host) before its camera.
    void setOnDestroyed(std::function<void()> onDestroyed) { m_onDestroyed = std::move(onDestroyed); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onDestroyed;
    std::atomic<bool> m_pending{false};
    std::atomic<int> m_width{0};
    std::atomic<int> m_height{0};
};

} // namespace camera
