#include "watermark/WaterMarkHandOver.h"

#include "services/PlatformSeam.h"

void WaterMarkHandOver::setWatermark(const char* path, int x, int y, int width, int height)
{
    PlatformSeam::current()->setWatermark(path, x, y, width, height);
}
