#pragma once
// Mixes the tracks of an audio recording and writes the trimmed mix as an audio file. Any thread.

#include "AudioRecordingState.h"
#include "ScreencastTypes.h"
#include "WorkerJob.h"

#include <string>

namespace media {

struct AudioConvertRequest {
    AudioRecording recording;
    std::string target;
    OutputAudioFileType type = OAFT_MP3;
    CodecQuality quality = CQ_Medium;
};

// Encoder, muxer and bit rate (0: not used) of `type` at `quality`.
struct AudioEncoding {
    const char* encoder;
    const char* muxer;
    long bitRate;
    int compression; // -1: encoder default
};
AudioEncoding audioEncodingFor(OutputAudioFileType type, CodecQuality quality);

// The filter graph that mixes the recording's tracks (inputs "[a0]", "[a1]"; only those
// present) with their volumes and cuts its trim range, ending in "[aout]" in the given
// sample format, rate and stereo.
std::string audioMixGraph(const AudioRecording& recording, const char* sampleFormat, int sampleRate,
                          bool namedVolumes);

// Runs the conversion on the calling thread; false with `error` on failure or cancel.
bool runAudioConvert(const AudioConvertRequest& request, WorkerJob& job, std::string& error);

} // namespace media
