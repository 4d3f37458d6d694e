#pragma once
// Colour conversion of captured frames (32-bit BGRA, full-range RGB) into the encoder's
// pixel format, limited-range BT.709 (SSE2, or AVX2 where the processor has it). The frame
// is cut into bands converted at once on a few threads. Frames come from a pool of buffers
// that return to it once the encoder lets them go. Used by the converting thread only; the
// frames it made may outlive it.

#include "BandWorkers.h"

#include <cstdint>
#include <memory>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVBufferPool;
struct AVBufferRef;
struct AVFrame;
struct SwsContext;

namespace recorder {

class FrameConverter {
public:
    FrameConverter(int width, int height, AVPixelFormat target);
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // False when the target format cannot be made.
    bool isValid() const { return m_pool && (m_direct || m_sws); }
    // A new frame holding the converted picture at `bgra` (rows `stride` bytes apart;
    // `bgraBuffer` owns it), or nullptr when no frame can be had.
    AVFrame* convert(const uint8_t* bgra, int stride, AVBufferRef* bgraBuffer);
    // Bytes of one converted frame.
    int frameBytes() const { return m_frameBytes; }

private:
    AVFrame* newFrame();

    int m_width;
    int m_height;
    AVPixelFormat m_target;
    int m_frameBytes = 0;
    int m_bands = 1;
    bool m_direct = false; // 4:2:0 of an even size, converted here; others go through swscale
    AVBufferPool* m_pool = nullptr;
    SwsContext* m_sws = nullptr;
    std::unique_ptr<BandWorkers> m_workers;
};

} // namespace recorder
