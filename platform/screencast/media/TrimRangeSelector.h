#pragma once
// A bar with two handles that choose a range [begin, end] of a media of known length.
// GUI thread only.

#include <QWidget>

namespace media {

// The range after moving one handle to `value`: kept inside [0, length] and at least
// `minimum` wide; the other handle does not move.
struct TrimRange {
    double begin = 0;
    double end = 0;
    TrimRange moved(bool beginHandle, double value, double length, double minimum) const;
};

class TrimRangeSelector : public QWidget {
    Q_OBJECT
public:
    explicit TrimRangeSelector(QWidget* parent = nullptr);
    void setLength(double seconds);
    void setRange(double begin, double end);
    double begin() const { return m_range.begin; }
    double end() const { return m_range.end; }
    QSize sizeHint() const override { return QSize(200, 28); }

signals:
    // A handle was dragged; `beginHandle` says which.
    void sigRangeChanged(double begin, double end, bool beginHandle);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double valueAt(int x) const;
    int xOf(double seconds) const;

    enum Drag { DragNone, DragBegin, DragEnd };

    TrimRange m_range;
    double m_length = 0;
    Drag m_dragging = DragNone;
};

} // namespace media
