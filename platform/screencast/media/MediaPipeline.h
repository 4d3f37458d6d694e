#pragma once
// Reads media files through decoders into one libavfilter graph and hands out the
// graph's output frames. The players, the export and the audio converter all run on it.
//
// A file i feeds the graph input "[v<i>]" with its best video stream and "[a<i>]" with
// its best audio stream (each when asked for and present). Timestamps are seconds from
// the file's start. Outputs are named by the caller ("[vout]", "[aout]", ...).
// One thread uses a pipeline at a time; abort() may be called from any thread.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

namespace media {

struct InputFile {
    std::string path;
    bool video = true;
    bool audio = true;
};

class MediaPipeline {
public:
    MediaPipeline();
    ~MediaPipeline();
    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Opens the files and their decoders. False (with `error`) when a file cannot be read
    // or holds none of the streams asked for.
    bool open(const std::vector<InputFile>& files, std::string& error);

    bool hasVideo(int file) const;
    bool hasAudio(int file) const;
    // Longest duration of the opened files in seconds (0 when unknown).
    double duration() const;
    // Codec parameters of a file's video stream (null without one).
    const AVCodecParameters* videoParameters(int file) const;
    AVRational videoFrameRate(int file) const;

    // Builds the graph; `outputs` names its open outputs in order (e.g. {"vout", "aout"}).
    // Frame sizes given with setAudioFrameSize() stay with their outputs when it rebuilds.
    bool buildGraph(const std::string& description, const std::vector<std::string>& outputs, std::string& error);
    // Gives the sink of output `index` a fixed audio frame size (encoders without variable
    // frame sizes).
    void setAudioFrameSize(int index, int samples);
    AVFilterContext* sink(int index) const;

    // A time later than any media's: setStopAt(kEndless) stops nothing, and
    // seek(t, -kEndless) drops nothing.
    static constexpr double kEndless = 1e300;

    // Positions every file at `seconds` (the key frame before it) and rebuilds the graph.
    // Decoded frames before `dropBefore` (seconds) do not enter the graph.
    bool seek(double seconds, double dropBefore, std::string& error);
    // Streams stop entering the graph at `seconds` (frames at or after it are not decoded on).
    void setStopAt(double seconds) { m_stopAt = seconds; }

    enum { End = -1, Failed = -2, Aborted = -3 };
    // The next output frame: returns the output index and fills `frame`, or End, Failed
    // or Aborted.
    int next(AVFrame* frame);
    // Changes a filter's option while running (avfilter_graph_send_command).
    void sendCommand(const char* target, const char* command, const char* argument);

    // Makes next() return Aborted as soon as possible. Any thread.
    void abort() { m_aborted = true; }
    // A flag owned by the caller that aborts like abort() when it becomes true.
    void setAbortFlag(const std::atomic<bool>* flag) { m_abortFlag = flag; }
    // Hears the read position (seconds) after every packet read, on the reading thread.
    void setReadObserver(std::function<void(double)> observer) { m_readObserver = std::move(observer); }
    // Seconds of input read so far (the least advanced file). Any thread.
    double readPosition() const { return m_readPosition.load(); }

private:
    struct Stream;
    struct File;
    bool openFile(const InputFile& spec, File& file, std::string& error);
    bool readFrom(File& file);
    bool pushDecoded(File& file, Stream& stream, bool flush);
    void endStream(Stream& stream);
    File* nextFileToRead();
    void freeGraph();
    void updateReadPosition();

    std::vector<std::unique_ptr<File>> m_files;
    AVFilterGraph* m_graph = nullptr;
    std::vector<AVFilterContext*> m_sinks;
    std::vector<bool> m_sinkDone;
    std::vector<int> m_frameSizes;
    std::string m_description;
    std::vector<std::string> m_outputs;
    AVPacket* m_packet = nullptr;
    AVFrame* m_decoded = nullptr;
    double m_stopAt = kEndless;
    double m_dropBefore = -kEndless;
    int m_nextSink = 0;
    std::atomic<bool> m_aborted{false};
    const std::atomic<bool>* m_abortFlag = nullptr;
    std::function<void(double)> m_readObserver;
    std::atomic<double> m_readPosition{0};
};

// FFmpeg's error text for `code`.
std::string errorText(int code);

} // namespace media
