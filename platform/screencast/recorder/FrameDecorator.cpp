#include "FrameDecorator.h"

#include <algorithm>
#include <cstring>

namespace recorder {

namespace {
const int kHaloRadius = 22;
const int kClickRadius = 18;
const int kHaloAlpha = 90;
const int kClickAlpha = 150;
const int kBlinkMs = 600;   // a click blinks three times within this time
const int kBlinkPhaseMs = 100;
// The largest frame the application places a watermark in; larger frames scale it up.
const int kPlacedWidthCap = 3840;
const int kPlacedHeightCap = 2160;

inline uint8_t blendChannel(uint8_t dst, uint32_t src, int alpha)
{
    return uint8_t((int(dst) * (255 - alpha) + int(src) * alpha + 127) / 255);
}

inline void blendPixel(uint8_t* px, uint32_t argb, int alpha)
{
    if (alpha <= 0)
        return;
    px[0] = blendChannel(px[0], argb & 0xff, alpha);
    px[1] = blendChannel(px[1], (argb >> 8) & 0xff, alpha);
    px[2] = blendChannel(px[2], (argb >> 16) & 0xff, alpha);
}

void fillRow(BgraFrame& frame, int y, int x0, int x1)
{
    x0 = std::max(x0, 0);
    x1 = std::min(x1, frame.width);
    if (y < 0 || y >= frame.height || x0 >= x1)
        return;
    uint8_t* row = frame.data + ptrdiff_t(y) * frame.stride;
    memset(row + x0 * 4, 0, size_t(x1 - x0) * 4);
}
} // namespace

namespace FrameDecorator {
void blackOut(BgraFrame& frame, const std::vector<XRectI>& rects)
{
    for (const XRectI& r : rects) {
        if (r.empty())
            continue;
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, frame.height); ++y)
            fillRow(frame, y, r.x, r.x + r.w);
    }
}

void blackOutside(BgraFrame& frame, const std::vector<XRectI>& keep)
{
    std::vector<std::pair<int, int>> spans;
    for (int y = 0; y < frame.height; ++y) {
        spans.clear();
        for (const XRectI& r : keep)
            if (!r.empty() && y >= r.y && y < r.y + r.h)
                spans.emplace_back(std::max(r.x, 0), std::min(r.x + r.w, frame.width));
        std::sort(spans.begin(), spans.end());
        int x = 0;
        for (const auto& span : spans) {
            if (span.first > x)
                fillRow(frame, y, x, span.first);
            x = std::max(x, span.second);
        }
        fillRow(frame, y, x, frame.width);
    }
}

void fillCircle(BgraFrame& frame, int cx, int cy, int radius, uint32_t color, int alpha)
{
    alpha = alpha * int(color >> 24) / 255;
    if (alpha <= 0)
        return;
    const int r2 = radius * radius;
    for (int dy = -radius; dy <= radius; ++dy) {
        const int y = cy + dy;
        if (y < 0 || y >= frame.height)
            continue;
        uint8_t* row = frame.data + ptrdiff_t(y) * frame.stride;
        for (int dx = -radius; dx <= radius; ++dx) {
            const int x = cx + dx;
            if (x < 0 || x >= frame.width || dx * dx + dy * dy > r2)
                continue;
            blendPixel(row + x * 4, color, alpha);
        }
    }
}

double watermarkScale(int frameWidth, int frameHeight)
{
    if (int64_t(frameWidth) * frameHeight <= int64_t(kPlacedWidthCap) * kPlacedHeightCap)
        return 1.0;
    const double s1 = double(kPlacedWidthCap) / frameWidth;
    const double s2 = double(kPlacedHeightCap) / frameHeight;
    const int placedWidth = s2 > s1 ? kPlacedWidthCap : int(int64_t(frameWidth) * kPlacedHeightCap / frameHeight);
    return double(frameWidth) / placedWidth;
}

void drawWatermark(BgraFrame& frame, const WatermarkPicture& picture)
{
    const double scale = watermarkScale(frame.width, frame.height);
    const int left = int(picture.x * scale);
    const int top = int(picture.y * scale);
    const int width = int(picture.w * scale);
    const int height = int(picture.h * scale);
    for (int ty = std::max(0, -top); ty < height && top + ty < frame.height; ++ty) {
        const int sy = std::min(picture.h - 1, int(ty / scale));
        const uint32_t* src = picture.pixels.data() + ptrdiff_t(sy) * picture.w;
        uint8_t* row = frame.data + ptrdiff_t(top + ty) * frame.stride;
        for (int tx = std::max(0, -left); tx < width && left + tx < frame.width; ++tx) {
            const uint32_t argb = src[std::min(picture.w - 1, int(tx / scale))];
            blendPixel(row + (left + tx) * 4, argb, int(argb >> 24));
        }
    }
}
} // namespace FrameDecorator

void MouseEffects::draw(BgraFrame& frame, int x, int y, bool buttonDown, int64_t timeMs)
{
    if (buttonDown && !m_wasDown)
        m_lastClickMs = timeMs;
    m_wasDown = buttonDown;

    if (m_look.indicate)
        FrameDecorator::fillCircle(frame, x, y, kHaloRadius, m_look.normalColor, kHaloAlpha);
    if (m_look.clickMode == SCM_Highlight && buttonDown) {
        FrameDecorator::fillCircle(frame, x, y, kClickRadius, m_look.clickColor, kClickAlpha);
    } else if (m_look.clickMode == SCM_Blink) {
        const int64_t since = timeMs - m_lastClickMs;
        if (since >= 0 && since < kBlinkMs && (since / kBlinkPhaseMs) % 2 == 0)
            FrameDecorator::fillCircle(frame, x, y, kClickRadius, m_look.clickColor, kClickAlpha);
    }
}

} // namespace recorder
