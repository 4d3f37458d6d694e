#pragma once
// Drawing into a captured frame (32-bit BGRA, as the X server delivers it): blacking out
// areas, the mouse halo and click effects, and the watermark. Pure pixel work, no X calls:
// the caller passes what it learnt from the display. Any thread; a MouseEffects is used by
// one thread.

#include "ScRecorder.h"
#include "WatermarkStore.h"
#include "XDisplayProbe.h"

#include <cstdint>
#include <vector>

namespace recorder {

struct BgraFrame {
    uint8_t* data = nullptr;
    int stride = 0; // bytes per row
    int width = 0;
    int height = 0;
};

struct MouseLook {
    int clickMode = SCM_None;   // an ScClickMode
    uint32_t clickColor = 0;    // 0xAARRGGBB
    uint32_t normalColor = 0;
    bool indicate = false;
};

namespace FrameDecorator {
// Paints black every area in `rects` (frame coordinates; clipped to the frame).
void blackOut(BgraFrame& frame, const std::vector<XRectI>& rects);
// Paints black everything outside the union of `keep` (frame coordinates).
void blackOutside(BgraFrame& frame, const std::vector<XRectI>& keep);
// Blends a filled circle of `color` scaled by `alpha` (0..255) at (cx, cy).
void fillCircle(BgraFrame& frame, int cx, int cy, int radius, uint32_t color, int alpha);
// Blends the picture at its rectangle with its alpha; in a frame larger than 3840 x 2160
// the rectangle is scaled by watermarkScale().
void drawWatermark(BgraFrame& frame, const WatermarkPicture& picture);
// The watermark rectangle is placed in a frame capped at 3840 x 2160; for a larger frame
// returns the factor that maps it back into the real frame, else 1.
double watermarkScale(int frameWidth, int frameHeight);
} // namespace FrameDecorator

// The mouse effects over time: remembers the last button state to find click edges.
class MouseEffects {
public:
    explicit MouseEffects(const MouseLook& look) : m_look(look) {}
    // Draws the halo and click effects for a pointer at (x, y) in frame coordinates at `timeMs`.
    void draw(BgraFrame& frame, int x, int y, bool buttonDown, int64_t timeMs);

private:
    MouseLook m_look;
    bool m_wasDown = false;
    int64_t m_lastClickMs = -1000000;
};

} // namespace recorder
