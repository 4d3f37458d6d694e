#pragma once
// The watermark store: the list of watermarks, the selected one, and the hand-over of
// the selected watermark to the capture engine before each screen recording.

#include <QSize>

class WaterMarkDataManage {
public:
    static WaterMarkDataManage* instance();

    // Hands the selected watermark, placed into a frame of `frameSize`, to the engine
    // (SetWatermark); clears the engine's watermark when none is selected.
    // Always ends in exactly one SetWatermark call. Returns false when rendering failed.
    bool useWaterMark(const QSize& frameSize);

private:
    WaterMarkDataManage() = default;
};
