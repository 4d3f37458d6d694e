#pragma once
// The recording boundary: a thin frame drawn just outside the recorded area while a screen
// recording runs, so that the user sees what is recorded and the frame never is. It takes
// no clicks and no focus. While the area moves it is hidden (the area would take it in), and
// shows again around the area once it has rested. GUI thread.

#include <QRect>
#include <QWidget>

class QTimer;

class RecordBoundary : public QWidget {
    Q_OBJECT
public:
    // Width of the frame and its gap to the area, in pixels at zoom 1.
    static constexpr int kLine = 3;
    static constexpr int kGap = 1;
    // How long a moved area rests before the frame shows around it again.
    static constexpr int kRestMs = 400;

    explicit RecordBoundary(QWidget* parent = nullptr);

    // Shows the frame around `area` (desktop coordinates), or moves it there.
    void showAround(const QRect& area);
    // The area moved to `area`: the frame hides, and shows around it after kRestMs without
    // another move (at once when it was not shown yet).
    void followArea(const QRect& area);
    QRect area() const { return m_area; }
    // Hides the frame and forgets its area.
    void reset();
    // The band the frame covers around `area` with a line `line` wide at `gap` from it:
    // everything of the grown rectangle that is not the area grown by the gap.
    static QRegion ring(const QRect& area, int line, int gap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int line() const;
    int gap() const;

    QRect m_area;
    QTimer* m_pRest = nullptr;
};
