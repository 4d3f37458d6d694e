#pragma once
// Slider whose handle jumps to the point pressed on the groove (instead of stepping a page
// towards it); the press then goes on as a drag of the handle. GUI thread.

#include <QSlider>

class OvSlider : public QSlider {
    Q_OBJECT
public:
    explicit OvSlider(QWidget* parent = nullptr);
    explicit OvSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int valueAt(const QPoint& pos) const;
};
