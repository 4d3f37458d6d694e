#pragma once
// The screen grabber: libavdevice's x11grab on the display named by DISPLAY, delivering
// 32-bit BGRA frames of a fixed size at the frame rate, stamped with the wall clock in
// microseconds. The grabbed area can be moved while grabbing (window following, the mouse). Used by the capture thread only (after open()).

#include <cstdint>

struct AVFormatContext;
struct AVPacket;

namespace recorder {

class ScreenCapture {
public:
    struct Settings {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int frameRate = 30;
        bool drawCursor = true;
    };

    ~ScreenCapture();
    // Opens the grabber. Returns false when the display cannot be grabbed.
    bool open(const Settings& settings);
    // Reads the next frame (blocks until it is due). Fills the area's origin on the screen.
    // Returns false when grabbing broke off.
    bool read(AVPacket* packet, int* originX, int* originY);
    // Moves the grabbed area, kept on the screen of `screenWidth` x `screenHeight`.
    void moveTo(int x, int y, int screenWidth, int screenHeight);

private:
    AVFormatContext* m_format = nullptr;
    Settings m_settings;
};

} // namespace recorder
