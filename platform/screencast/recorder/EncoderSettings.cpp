#include "EncoderSettings.h"

#include <algorithm>

namespace recorder {

namespace {
// The quality kept within the scale; tables below hold one entry per quality, lowest first.
int clampQuality(CodecQuality quality) { return std::clamp(int(quality), int(CQ_Lowest), int(CQ_Lossless)); }
} // namespace

namespace EncoderSettingsFor {
EncoderSettings video(VideoCodec codec, CodecQuality quality)
{
    const int q = clampQuality(quality);
    EncoderSettings s;
    switch (codec) {
    case VC_HEVC: {
        static const char* crf[] = {"34", "30", "27", "24", "20", "0"};
        s.encoder = "libx265";
        s.options = {{"preset", "ultrafast"},
                     {"tune", "zerolatency"},
                     {"x265-params", q == CQ_Lossless ? "log-level=error:lossless=1" : "log-level=error"}};
        if (q != CQ_Lossless)
            s.options.emplace_back("crf", crf[q - CQ_Lowest]);
        break;
    }
    case VC_ProRes422:
    case VC_ProRes4444: {
        // ProRes profiles: 0 proxy, 1 LT, 2 standard, 3 HQ, 4 4444, 5 4444 XQ.
        static const char* profile422[] = {"0", "1", "2", "3", "3", "3"};
        s.encoder = "prores_ks";
        s.pixelFormat = codec == VC_ProRes4444 ? AV_PIX_FMT_YUV444P10LE : AV_PIX_FMT_YUV422P10LE;
        s.options = {{"profile", codec == VC_ProRes4444 ? (q >= CQ_Highest ? "5" : "4") : profile422[q - CQ_Lowest]},
                     {"vendor", "apl0"}};
        break;
    }
    case VC_GIF:
        // The intermediate of a GIF: near-lossless, so the palette sees the real colours.
        s.encoder = "libx264";
        s.options = {{"preset", "veryfast"}, {"tune", "zerolatency"}, {"crf", "16"}};
        break;
    case VC_H264:
    default: {
        static const char* crf[] = {"32", "28", "23", "20", "17", "0"};
        s.encoder = "libx264";
        s.options = {{"preset", q == CQ_Lossless ? "ultrafast" : "veryfast"},
                     {"tune", "zerolatency"},
                     {"crf", crf[q - CQ_Lowest]}};
        break;
    }
    }
    return s;
}

// H.264 and HEVC run without look-ahead ("zerolatency"): what was captured reaches the
// file in progress within a fragment, which is what a killed recording keeps.
const char* progressMuxer(VideoCodec codec)
{
    return codec == VC_ProRes422 || codec == VC_ProRes4444 ? "mov" : "mp4";
}

const char* finalMuxer(OutputVideoFileType container)
{
    switch (container) {
    case OVFT_MOV: return "mov";
    case OVFT_M4V: return "mp4"; // with the M4V brand: the ipod muxer takes no HEVC
    case OVFT_GIF: return "gif";
    case OVFT_MP4:
    default: return "mp4";
    }
}

const char* finalBrand(OutputVideoFileType container) { return container == OVFT_M4V ? "M4V " : nullptr; }

int gifColours(CodecQuality quality)
{
    static const int colours[] = {32, 64, 128, 256, 256, 256};
    return colours[clampQuality(quality) - CQ_Lowest];
}
} // namespace EncoderSettingsFor

} // namespace recorder
