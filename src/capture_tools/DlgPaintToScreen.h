#pragma once
// The pinned-image window: a small frameless window that stays on top of the others and
// shows one picture scaled to its frame, over a background picture (a shadow), with a close
// button while the mouse is over it. The screenshot pin, and picture fly-outs without the
// close button, use it. It can be dragged; a picture larger than the screen is shown
// scaled down to fit. GUI thread; owns its form; its owner deletes it on finished().

#include "OvDialogBase.h"

#include <QImage>
#include <memory>

namespace Ui {
class DlgPaintToScreen;
}

class DlgPaintToScreen : public OvDialogBase {
    Q_OBJECT
    // The default background picture; the skin's style sheet sets it.
    Q_PROPERTY(QImage shadow READ shadow WRITE setShadow)
public:
    // The space the background picture takes around the picture, in width and in height.
    static constexpr int kMargin = 18;

    explicit DlgPaintToScreen(QWidget* parent = nullptr);
    ~DlgPaintToScreen() override;

    // Shows `img` and sizes the window to it plus the margin.
    void setImg(const QImage& img);
    QImage img() const { return m_img; }
    // Paints `img` as the background from now on, instead of the skin's.
    void setShadowImg(const QImage& img);
    // Moves the window so that the picture's top-left corner is at `topLeft` (desktop
    // pixels), kept on the screen there.
    void placePictureAt(const QPoint& topLeft);
    // Whether the close button shows while the mouse is over the window (default true).
    void setShowClose(bool show) { m_bShowClose = show; }

    QImage shadow() const { return m_styleShadow; }
    void setShadow(const QImage& shadow) { m_styleShadow = shadow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::DlgPaintToScreen> ui;
    QImage m_img;
    QImage m_styleShadow;
    QImage m_givenShadow;
    bool m_bUseStyleShadow = true;
    bool m_bShowClose = true;
};
