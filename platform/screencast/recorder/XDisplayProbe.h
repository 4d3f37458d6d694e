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

    // The pointer on the root window, whether a button is down and (when `ctrlDown` is
    // given) whether a Ctrl key is held; false when it cannot be read.
    bool pointer(int* x, int* y, bool* buttonDown, bool* ctrlDown = nullptr);
    // A window's area in root coordinates; false when the window does not exist.
    bool windowRect(uint64_t window, XRectI* rect);
    // Areas of several windows, asked in one round trip; a missing window gives an empty area.
    std::vector<XRectI> windowRects(const std::vector<uint64_t>& windows);
    // Areas of several windows as they show on the screen: a window the window manager
    // manages with its frame (title bar and borders included), any other window by itself.
    // A missing window gives an empty area.
    std::vector<XRectI> frameRects(const std::vector<uint64_t>& windows);
    // As frameRects, but a window that is not viewable (unmapped, or under an unmapped
    // parent) gives an empty area.
    std::vector<XRectI> shownFrameRects(const std::vector<uint64_t>& windows);

private:
    // The window manager's frame around a managed window (the window's ancestor that is a
    // child of the root); the window itself when it is not managed or has no frame.
    uint64_t frameOf(uint64_t window);
    std::vector<XRectI> rectsOf(const std::vector<uint64_t>& windows, bool withBorder);

    std::unique_ptr<XcbConnection> m_conn;
    uint32_t m_wmStateAtom = 0; // null when the display could not be opened
    int m_screenW = 0;
    int m_screenH = 0;
};

} // namespace recorder
