#pragma once
// Value types shared by the capture engine's interfaces.

#include <cstdint>

class QWidget;
// The native view a player draws into: on this platform, a Qt widget.
typedef QWidget NSView;

struct CRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    CRect() = default;
    CRect(double l, double t, double r, double b) : left(l), top(t), right(r), bottom(b) {}
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

// 32-bit ARGB, alpha in the top byte.
typedef uint32_t ColorRef;

struct LineColors {
    ColorRef line = 0;
    ColorRef anchor = 0;
};
typedef LineColors AnchorColors;

enum OutputVideoFileType { OVFT_MP4 = 0, OVFT_MOV = 1, OVFT_M4V = 2, OVFT_GIF = 3 };

enum OutputAudioFileType {
    OAFT_M4A = 0,
    OAFT_CAF = 1,
    OAFT_MP3 = 2,
    OAFT_OGG = 3,
    OAFT_OPUS = 4,
    OAFT_FLAC = 5,
    OAFT_WMA = 6,
};

// Encoder quality, 1 (lowest) to 6 (lossless).
enum CodecQuality { CQ_Lowest = 1, CQ_Low = 2, CQ_Medium = 3, CQ_High = 4, CQ_Highest = 5, CQ_Lossless = 6 };

// Video codecs, numbered as the settings model numbers them.
enum VideoCodec { VC_H264 = 1, VC_HEVC = 2, VC_ProRes422 = 3, VC_ProRes4444 = 4, VC_GIF = 5 };

enum AVPlayerItemStatus { AVPlayerItemStatusUnknown = 0, AVPlayerItemStatusReadyToPlay = 1, AVPlayerItemStatusFailed = 2 };

// Look of a player's control bar.
enum contralsStyle { ControlsStyleNone = 0, ControlsStyleInline = 1, ControlsStyleFloating = 2, ControlsStyleMinimal = 3 };

// Drawing tools of the drawing canvas. The box modes act on a dragged rectangle.
enum CanvasShapes {
    CS_None = 0,
    CS_Rectangle = 1,
    CS_Ellipse = 2,
    CS_Arrow = 3,
    CS_Brush = 4,
    CS_Line = 5,
    CS_AirBrush = 6,
    CS_Callout = 7, // numbered marker
    CS_Text = 8,
    CS_Eraser = 9,
    CS_EraserBox = 10,
    CS_Blur = 11,
    CS_BlurBox = 12,
};
