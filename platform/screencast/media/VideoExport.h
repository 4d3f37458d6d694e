#pragma once
// Writes a range of a video file into MP4, MOV, M4V or GIF with frame-accurate cuts.
// Runs on the calling thread (a WorkerJob's); reports progress and bytes to the job.

#include "ScreencastTypes.h"
#include "WorkerJob.h"

#include <string>

namespace media {

struct VideoExportRequest {
    std::string source;
    std::string target;
    OutputVideoFileType type = OVFT_MP4;
    double begin = 0;   // seconds
    double end = -1;    // seconds; negative: to the end of the source
};

// The encoder that keeps the source's codec family in `type` ("libx264", "libx265",
// "prores_ks" or "gif"), given the source's codec.
const char* exportEncoderFor(int sourceCodecId, OutputVideoFileType type);

// Runs the export; false with `error` on failure or cancel. The target appears only on
// success.
bool runVideoExport(const VideoExportRequest& request, WorkerJob& job, std::string& error);

} // namespace media
