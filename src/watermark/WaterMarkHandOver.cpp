#include "watermark/WaterMarkHandOver.h"

#include "Log.h"

namespace {
WaterMarkHandOver::Function& replacement()
{
    static WaterMarkHandOver::Function s_function;
    return s_function;
}

void engineSetWatermark(const char* path, int x, int y, int width, int height)
{
    // ENGINE-HOOKUP: switch to the engine's SetWatermark (platform/screencast/ScRecorder.h)
    // once it is in place; until then the hand-over is only logged.
    Log("makeWaterMark", 1, "SetWatermark %s (%d,%d)-(%d x %d)", path ? path : "(null)", x, y, width, height);
}
} // namespace

void WaterMarkHandOver::setWatermark(const char* path, int x, int y, int width, int height)
{
    if (replacement())
        replacement()(path, x, y, width, height);
    else
        engineSetWatermark(path, x, y, width, height);
}

void WaterMarkHandOver::setFunction(Function function) { replacement() = std::move(function); }
