#pragma once
// The picture, control bar and trim bar a player puts into its host widget. It fills the
// host and follows its size. GUI thread only.

#include "ScreencastTypes.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace media {

class PlayerCore;
class TrimRangeSelector;

// Draws the current picture scaled into its rectangle with the aspect kept.
class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(QWidget* parent = nullptr);
    void setPicture(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

class PlayerView : public QWidget {
    Q_OBJECT
public:
    PlayerView(QWidget* host, PlayerCore* core);
    ~PlayerView() override;

    // Called from any thread: a new picture waits in the core.
    void notifyFrame();
    void showTrimBar(double begin, double end, double length);
    void hideTrimBar();
    void setTrimRange(double begin, double end);
    void setControlsStyle(contralsStyle style);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTick();
    void onPlayPause();
    void onSliderMoved(int value);
    void onFrame();

    PlayerCore* m_core;
    PictureSurface* m_surface;
    QWidget* m_controls;
    QToolButton* m_btnPlay;
    QSlider* m_slider;
    QLabel* m_lblTime;
    QWidget* m_trimBar;
    TrimRangeSelector* m_trimRange;
    QLabel* m_lblTrim;
};

} // namespace media
