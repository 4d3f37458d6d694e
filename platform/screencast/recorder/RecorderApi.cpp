// The recorder's entry points.

#include "AudioRecorder.h"
#include "EncoderSettings.h"
#include "Finisher.h"
#include "Log.h"
#include "ScEngine.h"
#include "ScRecorder.h"
#include "VideoRecorder.h"
#include "XDisplayProbe.h"
#include "media/AudioConvert.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

CBasePtr<CScreenRecorderObject> scVideoRecord(CRecoderCallback* callback, const ScVideoOptions& video,
                                              const ScMouseOptions& mouse, const ScAudioOptions& audio,
                                              const char* outputPath)
{
    if (!outputPath || !*outputPath)
        return {};
    // Never write over a file that is already there, finished or in progress.
    const VideoCodec progressCodec = video.container == OVFT_GIF ? VC_GIF : video.codec;
    const std::string progressPath = recorder::VideoRecorder::progressPath(outputPath, progressCodec);
    if (access(outputPath, F_OK) == 0 || access(progressPath.c_str(), F_OK) == 0)
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
    return CBasePtr<CScreenRecorderObject>(new recorder::VideoRecorder(callback, video, mouse, audio, outputPath));
}

CBasePtr<CScreenRecorderObject> scAudioRecord(CRecoderCallback* callback, const ScAudioOptions& audio, const char* folder)
{
    if (!folder || !*folder || (!audio.systemSound && !audio.microphone))
        return {};
    return CBasePtr<CScreenRecorderObject>(new recorder::AudioRecorder(callback, audio, folder));
}

int64_t scEstimateAudioFileSize(OutputAudioFileType type, CodecQuality quality, double seconds)
{
    // What the sound server delivers.
    const double kUncompressedBytesPerSecond
        = double(recorder::AudioSource::kSampleRate) * recorder::AudioSource::kBytesPerFrame;
    if (!(seconds > 0))
        return 0;
    const media::AudioEncoding encoding = media::audioEncodingFor(type, quality);
    const double bytesPerSecond = encoding.bitRate > 0 ? encoding.bitRate / 8.0 : kUncompressedBytesPerSecond;
    return int64_t(bytesPerSecond * seconds);
}

bool scGetRecordWindowRect(uint64_t window, CRect* rect)
{
    recorder::XDisplayProbe probe;
    recorder::XRectI area;
    if (!probe.windowRect(window, &area))
        return false;
    if (rect)
        *rect = CRect(0, 0, area.w, area.h);
    return true;
}

bool scRecoverRecording(const char* leftover, const char* outputPath)
{
    if (!leftover || !*leftover || !outputPath || !*outputPath || access(leftover, R_OK) != 0)
        return false;
    const std::string out(outputPath);
    const std::string::size_type dot = out.find_last_of("./");
    const std::string suffix = dot != std::string::npos && out[dot] == '.' ? out.substr(dot + 1) : std::string();
    const char* muxer = nullptr;
    const char* brand = nullptr;
    if (suffix == "mka") {
        muxer = "matroska";
    } else if (suffix == "mov" || suffix == "mp4" || suffix == "m4v") {
        const OutputVideoFileType container = suffix == "mov" ? OVFT_MOV : suffix == "m4v" ? OVFT_M4V : OVFT_MP4;
        muxer = recorder::EncoderSettingsFor::finalMuxer(container);
        brand = recorder::EncoderSettingsFor::finalBrand(container);
    } else if (suffix != "gif") {
        return false;
    }
    // Taking the name first: a file that is there already, or appears meanwhile, is never replaced.
    const int reserved = open(outputPath, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (reserved < 0)
        return false;
    close(reserved);
    // The quality a GIF was recorded at is not known any more: the full palette.
    const int colours = recorder::EncoderSettingsFor::gifColours(CQ_Highest);
    const bool written = muxer ? recorder::Finisher::remux(leftover, out, muxer, brand)
                               : recorder::Finisher::toGif(leftover, out, colours);
    double seconds = 0;
    if (written && scGetMediaInfo(outputPath, &seconds, nullptr, nullptr) && seconds > 0) {
        Log("Screencast", 1, "recovered %.2f s of %s into %s", seconds, leftover, outputPath);
        return true;
    }
    Log("Screencast", 2, "nothing could be recovered from %s", leftover);
    std::remove(outputPath);
    return false;
}
