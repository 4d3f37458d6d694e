#include "WaterMarkDataManage.h"

WaterMarkDataManage* WaterMarkDataManage::instance()
{
    static WaterMarkDataManage* s_instance = new WaterMarkDataManage();
    return s_instance;
}

bool WaterMarkDataManage::useWaterMark(const QSize&)
{
    // No watermark store yet: nothing is selected.
    return true;
}
