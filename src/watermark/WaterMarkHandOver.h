#pragma once
// The one door through which the watermark store gives the capture engine its watermark,
// through PlatformSeam (where tests record the calls).

class WaterMarkHandOver {
public:
    // Hands the picture at `path` (local 8-bit encoding) and its rectangle to the engine;
    // a null path with zeros clears the engine's watermark. GUI thread.
    static void setWatermark(const char* path, int x, int y, int width, int height);
};
