#pragma once
// How each codec and quality is encoded, and which container carries a recording while it
// runs and at its end. Shared by the recorder, its finishing and the recovery of a recording
// left behind, so that all of them write alike. Any thread.

#include "ScreencastTypes.h"

#include <string>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace recorder {

struct EncoderSettings {
    std::string encoder;                                  // FFmpeg encoder name
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    std::vector<std::pair<std::string, std::string>> options; // private encoder options
    bool evenSize = true;                                 // width and height must be even
};

namespace EncoderSettingsFor {
// The encoder of the file in progress. GIF recordings run as H.264 and are turned into
// a paletted GIF at stop. Quality 1 (lowest) to 6 (lossless).
EncoderSettings video(VideoCodec codec, CodecQuality quality);
// The muxer of the file in progress ("mp4" or "mov"), written fragmented.
const char* progressMuxer(VideoCodec codec);
// The muxer of the final file ("mp4", "mov", "gif"); M4V is MP4 with its own brand.
const char* finalMuxer(OutputVideoFileType container);
// The major brand of the final file, or null for the muxer's own.
const char* finalBrand(OutputVideoFileType container);
// The colours of the GIF palette for a quality.
int gifColours(CodecQuality quality);
} // namespace EncoderSettingsFor

} // namespace recorder
