#include "OutputWriter.h"
#include "MediaPipeline.h"

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/channel_layout.h>
}

namespace media {

OutputWriter::~OutputWriter()
{
    discard();
    av_packet_free(&m_packet);
}

bool OutputWriter::create(const char* muxer, const std::string& target, std::string& error)
{
    m_target = target;
    m_temp = target + ".part";
    m_packet = av_packet_alloc();
    int rc = avformat_alloc_output_context2(&m_format, nullptr, muxer, m_temp.c_str());
    if (rc < 0 || !m_format) {
        error = std::string("no muxer ") + muxer + ": " + errorText(rc);
        return false;
    }
    return true;
}

int OutputWriter::addStream(const char* encoderName, AVFilterContext* sink, int64_t bitRate, AVDictionary* options,
                            std::string& error, uint32_t codecTag)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
    if (!codec) {
        error = std::string("no encoder ") + encoderName;
        return -1;
    }
    Output output;
    output.encoder = avcodec_alloc_context3(codec);
    AVCodecContext* enc = output.encoder;
    const AVRational timeBase = av_buffersink_get_time_base(sink);
    if (codec->type == AVMEDIA_TYPE_VIDEO) {
        enc->width = av_buffersink_get_w(sink);
        enc->height = av_buffersink_get_h(sink);
        enc->pix_fmt = AVPixelFormat(av_buffersink_get_format(sink));
        enc->sample_aspect_ratio = av_buffersink_get_sample_aspect_ratio(sink);
        enc->time_base = timeBase;
        AVRational rate = av_buffersink_get_frame_rate(sink);
        if (rate.num > 0 && rate.den > 0) {
            enc->framerate = rate;
            output.frameDuration = av_rescale_q(1, av_inv_q(rate), timeBase);
        }
    } else {
        enc->sample_fmt = AVSampleFormat(av_buffersink_get_format(sink));
        enc->sample_rate = av_buffersink_get_sample_rate(sink);
        av_buffersink_get_ch_layout(sink, &enc->ch_layout);
        enc->time_base = AVRational{1, enc->sample_rate};
    }
    if (bitRate > 0)
        enc->bit_rate = bitRate;
    enc->thread_count = 0;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codecTag)
        enc->codec_tag = codecTag;
    AVDictionary* opts = nullptr;
    av_dict_copy(&opts, options, 0);
    int rc = avcodec_open2(enc, codec, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        error = std::string("cannot open encoder ") + encoderName + ": " + errorText(rc);
        avcodec_free_context(&output.encoder);
        return -1;
    }
    output.stream = avformat_new_stream(m_format, nullptr);
    avcodec_parameters_from_context(output.stream->codecpar, enc);
    output.stream->time_base = enc->time_base;
    if (codecTag)
        output.stream->codecpar->codec_tag = codecTag;
    m_streams.push_back(output);
    return int(m_streams.size()) - 1;
}

int OutputWriter::frameSize(int stream) const
{
    const AVCodecContext* enc = m_streams[stream].encoder;
    if (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)
        return 0;
    return enc->frame_size;
}

bool OutputWriter::begin(std::string& error)
{
    int rc = 0;
    if (!(m_format->oformat->flags & AVFMT_NOFILE)) {
        rc = avio_open(&m_format->pb, m_temp.c_str(), AVIO_FLAG_WRITE);
        if (rc < 0) {
            error = "cannot write " + m_temp + ": " + errorText(rc);
            return false;
        }
    }
    m_opened = true;
    rc = avformat_write_header(m_format, nullptr);
    if (rc < 0) {
        error = "cannot write header: " + errorText(rc);
        return false;
    }
    return true;
}

bool OutputWriter::drain(Output& output, std::string& error)
{
    for (;;) {
        int rc = avcodec_receive_packet(output.encoder, m_packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            error = "encoding failed: " + errorText(rc);
            return false;
        }
        if (m_packet->duration <= 0 && output.frameDuration > 0)
            m_packet->duration = output.frameDuration;
        av_packet_rescale_ts(m_packet, output.encoder->time_base, output.stream->time_base);
        m_packet->stream_index = output.stream->index;
        rc = av_interleaved_write_frame(m_format, m_packet);
        if (rc < 0) {
            error = "writing failed: " + errorText(rc);
            return false;
        }
        if (m_format->pb)
            m_written = avio_tell(m_format->pb);
    }
}

bool OutputWriter::write(int stream, AVFrame* frame, std::string& error)
{
    Output& output = m_streams[stream];
    if (!frame) {
        if (output.flushed)
            return true;
        output.flushed = true;
    }
    if (frame)
        frame->pict_type = AV_PICTURE_TYPE_NONE;
    int rc = avcodec_send_frame(output.encoder, frame);
    if (rc < 0 && rc != AVERROR_EOF) {
        error = "encoder refused a frame: " + errorText(rc);
        return false;
    }
    return drain(output, error);
}

bool OutputWriter::finish(std::string& error)
{
    for (size_t i = 0; i < m_streams.size(); ++i) {
        if (!write(int(i), nullptr, error))
            return false;
    }
    int rc = av_write_trailer(m_format);
    if (rc < 0) {
        error = "cannot finish the file: " + errorText(rc);
        return false;
    }
    if (m_format->pb) {
        avio_flush(m_format->pb);
        if (m_format->pb->error < 0) {
            error = "writing failed: " + errorText(m_format->pb->error);
            return false;
        }
        m_written = avio_size(m_format->pb);
        rc = avio_closep(&m_format->pb);
        if (rc < 0) {
            error = "cannot close the file: " + errorText(rc);
            return false;
        }
    }
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        error = "cannot rename " + m_temp + " to " + m_target;
        return false;
    }
    m_opened = false;
    close();
    return true;
}

void OutputWriter::close()
{
    for (Output& output : m_streams)
        avcodec_free_context(&output.encoder);
    m_streams.clear();
    if (m_format) {
        if (m_format->pb)
            avio_closep(&m_format->pb);
        avformat_free_context(m_format);
        m_format = nullptr;
    }
}

void OutputWriter::discard()
{
    close();
    if (m_opened)
        std::remove(m_temp.c_str());
    m_opened = false;
}

long pumpFrames(MediaPipeline& pipeline, OutputWriter& writer, const std::function<void(int, double)>& onFrame,
                std::string& error)
{
    AVFrame* frame = av_frame_alloc();
    long written = 0;
    for (;;) {
        const int index = pipeline.next(frame);
        if (index == MediaPipeline::End)
            break;
        if (index < 0) {
            error = index == MediaPipeline::Aborted ? "cancelled" : "reading the source failed";
            written = -1;
            break;
        }
        AVFilterContext* sink = pipeline.sink(index);
        double seconds = double(frame->pts) * av_q2d(av_buffersink_get_time_base(sink));
        if (frame->sample_rate > 0)
            seconds += double(frame->nb_samples) / frame->sample_rate;
        const bool ok = writer.write(index, frame, error);
        av_frame_unref(frame);
        if (!ok) {
            written = -1;
            break;
        }
        ++written;
        if (onFrame)
            onFrame(index, seconds);
    }
    av_frame_free(&frame);
    return written;
}

AVSampleFormat pickSampleFormat(const AVCodec* codec, AVSampleFormat preferred)
{
    if (!codec->sample_fmts)
        return preferred;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == preferred)
            return preferred;
    }
    return codec->sample_fmts[0];
}

int pickSampleRate(const AVCodec* codec, int preferred)
{
    if (!codec->supported_samplerates)
        return preferred;
    int best = codec->supported_samplerates[0];
    for (const int* r = codec->supported_samplerates; *r; ++r) {
        if (*r == preferred)
            return preferred;
        if (std::abs(*r - preferred) < std::abs(best - preferred))
            best = *r;
    }
    return best;
}

} // namespace media
