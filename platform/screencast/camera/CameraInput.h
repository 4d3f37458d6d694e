#pragma once
// The pictures of one camera: a V4L2 device read through libavdevice, or the synthetic
// camera, a libavfilter source read through the "lavfi" device, paced to its frame rate and
// delivered packed 4:2:2 as a USB camera delivers it. From the decoder on both are the same.
// open() on the controlling thread, then read() on the capture thread only.

#include "CameraList.h"

#include <cstdint>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace camera {

class CameraInput {
public:
    // The size a camera is asked for (and the synthetic camera's standard size).
    static constexpr int kPreferredWidth = 1280;
    static constexpr int kPreferredHeight = 720;
    static constexpr int kDefaultFrameRate = 30;

    CameraInput() = default;
    ~CameraInput();
    CameraInput(const CameraInput&) = delete;
    CameraInput& operator=(const CameraInput&) = delete;

    // Opens the camera and its decoder. Returns false when either cannot be opened.
    bool open(const CameraEntry& camera);
    // Waits for the next picture and decodes it into `frame` (unreferenced first). Returns
    // false when the camera went away or its stream ended.
    bool read(AVFrame* frame);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int frameRate() const { return m_frameRate; }

private:
    bool openFormat(const CameraEntry& camera);

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVPacket* m_packet = nullptr;
    int m_stream = -1;
    int m_width = 0;
    int m_height = 0;
    int m_frameRate = kDefaultFrameRate;
};

} // namespace camera
