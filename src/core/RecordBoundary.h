#pragma once
// The recording boundary: a thin frame drawn just outside the recorded area while a screen
// recording runs, so that the user sees what is recorded and the frame never is. It takes
// no clicks and no focus. While the area moves it is hidden (the area would take it in), and
// shows again around the area once it has rested. The frame is four windows, one a side,
// none of which covers the area: a compositor's treatment of a window (a shadow, a blend)
// can then never reach what is recorded. The frame cannot hide before the recorder has
// learnt that the area moves, so an area that moves with the mouse is held where it is by
// the recorder until these windows are gone from the screen (windowIds()), and a frame
// taken where they came up is not kept. Like the region box, the frame lies above other
// programs' windows but below this program's own windows and dialogs (OwnWindowStacking), so
// it never runs across a screenshot taken meanwhile. This widget is the top side and owns
// the others. GUI thread.

#include <QList>
#include <QRect>
#include <QWidget>
#include <array>

class OwnWindowStacking;
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
    // The X windows of the frame's four sides.
    QList<quint64> windowIds() const;
    // The rectangle the whole frame spans while shown (the area grown by gap and line).
    QRect outerRect() const;
    // Hides the frame and forgets its area.
    void reset();
    // The four sides of the frame around `area` with a line `line` wide at `gap` from it: top,
    // bottom, left, right. Together they cover the grown rectangle less the area grown by
    // the gap.
    static std::array<QRect, 4> sides(const QRect& area, int line, int gap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int line() const;
    int gap() const;

    void hideSides();

    QRect m_area;
    QTimer* m_pRest = nullptr;
    std::array<QWidget*, 3> m_sides{}; // bottom, left, right: windows of their own
    OwnWindowStacking* m_pStacking = nullptr;
};
