#pragma once
// Encodes filter-graph output frames and writes them into one container file.
// The file is written under a temporary name beside the target and renamed to the
// target only by finish(); discard() (and the destructor) remove the partial file.
// Used by one thread at a time; bytesWritten() may be read from any thread.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace media {

class OutputWriter {
public:
    OutputWriter() = default;
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Prepares a file for the muxer `muxer` ("mp4", "gif", ...) that will become `target`.
    bool create(const char* muxer, const std::string& target, std::string& error);
    // Adds a stream encoded by `encoder` from the frames of `sink` (picture size, pixel or
    // sample format, time base and rate are taken from the sink). `options` are the
    // encoder's private options; `bitRate` 0 leaves the encoder's default.
    // Returns the stream number, or -1 with `error`.
    int addStream(const char* encoder, AVFilterContext* sink, int64_t bitRate, AVDictionary* options,
                  std::string& error, uint32_t codecTag = 0);
    // The samples an audio frame must hold for this stream (0: any count).
    int frameSize(int stream) const;
    // Opens the temporary file and writes the container header.
    bool begin(std::string& error);
    // Encodes `frame` (owned by the caller; null flushes the stream) and writes its packets.
    bool write(int stream, AVFrame* frame, std::string& error);
    // Flushes every stream, writes the trailer and renames the file to the target.
    bool finish(std::string& error);
    // Closes and removes the partial file.
    void discard();
    int64_t bytesWritten() const { return m_written.load(); }
    AVCodecContext* encoder(int stream) const { return m_streams[stream].encoder; }

private:
    struct Output {
        AVCodecContext* encoder = nullptr;
        AVStream* stream = nullptr;
        int64_t frameDuration = 0; // in encoder time base; 0 for audio
        bool flushed = false;
    };
    bool drain(Output& output, std::string& error);
    void close();

    AVFormatContext* m_format = nullptr;
    std::vector<Output> m_streams;
    std::string m_target;
    std::string m_temp;
    AVPacket* m_packet = nullptr;
    bool m_opened = false;
    std::atomic<int64_t> m_written{0};
};

class MediaPipeline;

// Moves every output frame of `pipeline` into `writer` (output i into stream i) until the
// end. `onFrame` hears each frame's output index and end in seconds. Returns the number of
// frames written, or -1 with `error` on a failure or an abort.
long pumpFrames(MediaPipeline& pipeline, OutputWriter& writer, const std::function<void(int, double)>& onFrame,
                std::string& error);

// Sample format for `codec`: `preferred` when it takes it, else its first.
AVSampleFormat pickSampleFormat(const AVCodec* codec, AVSampleFormat preferred);
// Sample rate for `codec`: `preferred` when it takes it, else the nearest it takes.
int pickSampleRate(const AVCodec* codec, int preferred);

} // namespace media
