#pragma once
// The watermark picture that screen recordings draw into their frames, kept by SetWatermark.

#include <cstdint>
#include <memory>
#include <vector>

namespace recorder {

struct WatermarkPicture {
    // Straight-alpha pixels, 0xAARRGGBB, `w` x `h`, already scaled to the rectangle.
    std::vector<uint32_t> pixels;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

namespace WatermarkStore {
// Loads the picture and keeps it with its rectangle in frame pixels; a null or unreadable
// path clears it. Returns false when a path was given but could not be read. Any thread.
bool set(const char* path, int x, int y, int width, int height);
// The current picture, or null. Any thread; the picture never changes once handed out.
std::shared_ptr<const WatermarkPicture> current();
} // namespace WatermarkStore

} // namespace recorder
