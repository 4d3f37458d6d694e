#pragma once
// Questions to the X server that the recorder asks while it runs: where the pointer is and
// which buttons are down, where windows are. One connection per probe; a probe is used by
// one thread at a time.

#include <cstdint>
#include <memory>
#include <vector>

class XcbConnection;

namespace recorder {

struct XRectI {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
};

class XDisplayProbe {
public:
    XDisplayProbe();
    ~XDisplayProbe();
    XDisplayProbe(const XDisplayProbe&) = delete;
    XDisplayProbe& operator=(const XDisplayProbe&) = delete;

    bool isOpen() const { return m_conn != nullptr; }
    int screenWidth() const { return m_screenW; }
    int screenHeight() const { return m_screenH; }

    // The pointer on the root window; false when it cannot be read.
    bool pointer(int* x, int* y, bool* buttonDown);
    // A window's area in root coordinates; false when the window does not exist.
    bool windowRect(uint64_t window, XRectI* rect);
    // Areas of several windows, asked in one round trip; a missing window gives an empty area.
    std::vector<XRectI> windowRects(const std::vector<uint64_t>& windows);

private:
    std::unique_ptr<XcbConnection> m_conn; // null when the display could not be opened
    int m_screenW = 0;
    int m_screenH = 0;
};

} // namespace recorder
