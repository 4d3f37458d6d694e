#pragma once
// The file in progress of a screen recording: the video encoder, the optional AAC sound
// encoder and a fragmented MP4/QuickTime muxer that flushes a fragment every quarter second,
// so the file stays playable if the process dies. Used by the encoding thread only.

#include "EncoderSettings.h"

#include <atomic>
#include <cstdint>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace recorder {

class ProgressWriter {
public:
    ProgressWriter() = default;
    ~ProgressWriter();
    ProgressWriter(const ProgressWriter&) = delete;
    ProgressWriter& operator=(const ProgressWriter&) = delete;

    // Opens encoders and file. `frameRate` frames a second; sound is 48 kHz stereo.
    // Returns 0 or an ScRecordError code.
    int open(const std::string& path, VideoCodec codec, CodecQuality quality, int width, int height,
             int frameRate, bool withAudio);
    // Encodes a video frame whose pts counts frames. Returns 0 or an ScRecordError code.
    int writeVideo(AVFrame* frame);
    // Encodes a planar float stereo frame of audioFrameSize() samples; pts counts samples.
    int writeAudio(AVFrame* frame);
    int audioFrameSize() const;
    // Flushes the encoders and writes the trailer. Returns 0 or an ScRecordError code.
    int finish();

    AVPixelFormat pixelFormat() const { return m_pixelFormat; }
    // Bytes in the file so far. Any thread.
    int64_t bytesWritten() const { return m_bytes.load(); }
    int64_t framesWritten() const { return m_frames.load(); }

private:
    int encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    void close();

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_video = nullptr;
    AVCodecContext* m_audio = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    AVPacket* m_packet = nullptr;
    AVPixelFormat m_pixelFormat = AV_PIX_FMT_NONE;
    bool m_headerWritten = false;
    std::atomic<int64_t> m_bytes{0};
    std::atomic<int64_t> m_frames{0};
};

} // namespace recorder
