#pragma once
// The one door through which the watermark store gives the capture engine its watermark.
// By default it calls the engine's SetWatermark; tests put a recorder of the calls in its place.

#include <functional>

class WaterMarkHandOver {
public:
    using Function = std::function<void(const char* path, int x, int y, int width, int height)>;

    // Hands the picture at `path` (local 8-bit encoding) and its rectangle to the engine;
    // a null path with zeros clears the engine's watermark. GUI thread.
    static void setWatermark(const char* path, int x, int y, int width, int height);
    // Replaces the engine call; an empty function restores it. GUI thread.
    static void setFunction(Function function);
};
