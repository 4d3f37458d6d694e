// The recorder's entry points.

#include "AudioRecorder.h"
#include "ScEngine.h"
#include "ScRecorder.h"
#include "VideoRecorder.h"
#include "XDisplayProbe.h"

#include <algorithm>
#include <unistd.h>

CBasePtr<CScreenRecorderObject> scVideoRecord(CRecoderCallback* callback, const ScVideoOptions& video,
                                              const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                              const char* outputPath)
{
    if (!outputPath || !*outputPath)
        return {};
    // Never write over a file that is already there, finished or in progress.
    const VideoCodec progressCodec = video.container == OVFT_GIF ? VC_GIF : video.codec;
    if (access(outputPath, F_OK) == 0 || access(VideoRecorder::progressPath(outputPath, progressCodec).c_str(), F_OK) == 0)
        return {};
    if ((video.windowMode == SWM_Single || video.windowMode == SWM_Multiple) && video.windowCount <= 0)
        return {};
    const bool byRect = video.windowMode != SWM_Single && video.windowMode != SWM_Multiple;
    if (byRect && (video.rect.width() < 2 || video.rect.height() < 2))
        return {};
    int codecs[8];
    const int count = std::min(scGetSupportCodecs(video.container, codecs, 8), 8);
    if (std::find(codecs, codecs + count, int(video.codec)) == codecs + count)
        return {};
    return CBasePtr<CScreenRecorderObject>(new VideoRecorder(callback, video, mouse, audio, outputPath));
}

CBasePtr<CScreenRecorderObject> scAudioRecord(CRecoderCallback* callback, const ScAudioOptions& audio, const char* folder)
{
    if (!folder || !*folder || (!audio.systemSound && !audio.microphone))
        return {};
    return CBasePtr<CScreenRecorderObject>(new AudioRecorder(callback, audio, folder));
}

bool scGetRecordWindowRect(uint64_t window, CRect* rect)
{
    XDisplayProbe probe;
    XRectI area;
    if (!probe.windowRect(window, &area))
        return false;
    if (rect)
        *rect = CRect(0, 0, area.w, area.h);
    return true;
}
