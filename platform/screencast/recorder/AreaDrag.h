#pragma once
// Moving a grabbed area with the pointer while Ctrl is held: every step shifts the area by
// the pointer's travel since the step before, and keeps it whole on the screen. Letting go
// of Ctrl leaves the area where it is. Pure arithmetic; used by the capture thread.

#include <algorithm>

namespace recorder {

class AreaDrag {
public:
    // An area of `width` x `height` with its top-left corner at (x, y) on a screen of
    // `screenWidth` x `screenHeight`.
    AreaDrag(int x, int y, int width, int height, int screenWidth, int screenHeight)
        : m_x(x), m_y(y), m_maxX(std::max(0, screenWidth - width)), m_maxY(std::max(0, screenHeight - height))
    {
    }

    // The pointer at (px, py) with Ctrl held or not. Returns true when the area moved.
    bool step(int px, int py, bool ctrlDown)
    {
        const bool dragging = m_dragging;
        m_dragging = ctrlDown;
        const int dx = px - m_px;
        const int dy = py - m_py;
        m_px = px;
        m_py = py;
        if (!ctrlDown || !dragging)
            return false;
        const int x = std::clamp(m_x + dx, 0, m_maxX);
        const int y = std::clamp(m_y + dy, 0, m_maxY);
        if (x == m_x && y == m_y)
            return false;
        m_x = x;
        m_y = y;
        return true;
    }

    int x() const { return m_x; }
    int y() const { return m_y; }

private:
    int m_x;
    int m_y;
    int m_maxX;
    int m_maxY;
    bool m_dragging = false;
    int m_px = 0;
    int m_py = 0;
};

} // namespace recorder
