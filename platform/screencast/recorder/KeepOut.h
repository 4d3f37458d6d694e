#pragma once
// Where a moving grabbed area may be without taking in the recording program's frame around
// it (windows drawn just outside the area at rest): the places of those windows that show,
// and for a grace time the places they were seen to leave, since the screen's picture (a
// compositor's, or that of the windows beneath once they repaint) still holds a window a
// little while after the server hid or moved it. Pure arithmetic on the capture thread's
// observations.

#include "XDisplayProbe.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace recorder {

class KeepOut {
public:
    explicit KeepOut(int64_t graceMicros)
        : m_graceMicros(graceMicros)
    {
    }

    // The windows' places at `nowMicros`, one per window, always in the same order (an empty
    // place: not shown).
    void see(const std::vector<XRectI>& places, int64_t nowMicros)
    {
        if (m_shown.size() != places.size())
            m_shown.assign(places.size(), XRectI{});
        for (size_t i = 0; i < places.size(); ++i) {
            if (!m_shown[i].empty() && !same(m_shown[i], places[i]))
                m_left.push_back(Left{m_shown[i], nowMicros});
            m_shown[i] = places[i];
        }
        m_left.erase(std::remove_if(m_left.begin(), m_left.end(),
                                    [&](const Left& left) { return nowMicros - left.atMicros >= m_graceMicros; }),
                     m_left.end());
    }

    // True when `area` meets no window that shows, nor a place one left less than the grace
    // time before `nowMicros`.
    bool clear(const XRectI& area, int64_t nowMicros) const
    {
        for (const XRectI& shown : m_shown)
            if (meets(area, shown))
                return false;
        for (const Left& left : m_left)
            if (meets(area, left.rect) && nowMicros - left.atMicros < m_graceMicros)
                return false;
        return true;
    }

private:
    struct Left {
        XRectI rect;
        int64_t atMicros = 0; // when it was first seen gone
    };

    static bool same(const XRectI& a, const XRectI& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }
    static bool meets(const XRectI& a, const XRectI& b)
    {
        return !a.empty() && !b.empty() && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
    }

    int64_t m_graceMicros;
    std::vector<XRectI> m_shown;
    std::vector<Left> m_left;
};

} // namespace recorder
