#include "watermark/WaterMarkHandOver.h"

#include "ScRecorder.h"

namespace {
WaterMarkHandOver::Function& replacement()
{
    static WaterMarkHandOver::Function s_function;
    return s_function;
}
} // namespace

void WaterMarkHandOver::setWatermark(const char* path, int x, int y, int width, int height)
{
    if (replacement())
        replacement()(path, x, y, width, height);
    else
        SetWatermark(path, x, y, width, height);
}

void WaterMarkHandOver::setFunction(Function function) { replacement() = std::move(function); }
