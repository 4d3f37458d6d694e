#include "ProgressWriter.h"

#include "AudioSource.h"
#include "Log.h"
#include "ScRecorder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace recorder {

namespace {
// A fragment is flushed every quarter second: what a killed recording keeps.
const int64_t kFragmentMicros = 250000;
} // namespace

ProgressWriter::~ProgressWriter() { close(); }

void ProgressWriter::close()
{
    avcodec_free_context(&m_video);
    avcodec_free_context(&m_audio);
    av_packet_free(&m_packet);
    if (m_format) {
        if (m_format->pb)
            avio_closep(&m_format->pb);
        avformat_free_context(m_format);
        m_format = nullptr;
    }
}

int ProgressWriter::open(const std::string& path, VideoCodec codec, CodecQuality quality, int width, int height,
                         int frameRate, bool withAudio)
{
    const EncoderSettings settings = EncoderSettingsFor::video(codec, quality);
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(settings.encoder.c_str());
    if (!videoCodec)
        return SRE_Encoder;
    if (avformat_alloc_output_context2(&m_format, nullptr, EncoderSettingsFor::progressMuxer(codec), path.c_str()) < 0)
        return SRE_Write;

    m_video = avcodec_alloc_context3(videoCodec);
    m_video->width = width;
    m_video->height = height;
    m_video->pix_fmt = m_pixelFormat = settings.pixelFormat;
    m_video->time_base = AVRational{1, frameRate};
    m_video->framerate = AVRational{frameRate, 1};
    m_video->gop_size = frameRate; // a key frame every second
    m_video->color_range = AVCOL_RANGE_MPEG;
    m_video->colorspace = AVCOL_SPC_BT709;
    m_video->color_primaries = AVCOL_PRI_BT709;
    m_video->color_trc = AVCOL_TRC_BT709;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    for (const auto& option : settings.options)
        av_dict_set(&options, option.first.c_str(), option.second.c_str(), 0);
    const int opened = avcodec_open2(m_video, videoCodec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        Log("Screencast", 2, "video encoder %s does not open", settings.encoder.c_str());
        return SRE_Encoder;
    }
    m_videoStream = avformat_new_stream(m_format, nullptr);
    avcodec_parameters_from_context(m_videoStream->codecpar, m_video);
    m_videoStream->time_base = m_video->time_base;
    m_videoStream->avg_frame_rate = m_video->framerate;
    if (codec == VC_HEVC)
        m_videoStream->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');

    if (withAudio) {
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        m_audio = aac ? avcodec_alloc_context3(aac) : nullptr;
        if (!m_audio)
            return SRE_Encoder;
        m_audio->sample_rate = AudioSource::kSampleRate;
        m_audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&m_audio->ch_layout, AudioSource::kChannels);
        m_audio->bit_rate = quality >= CQ_High ? 192000 : 128000;
        m_audio->time_base = AVRational{1, AudioSource::kSampleRate};
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(m_audio, aac, nullptr) < 0)
            return SRE_Encoder;
        m_audioStream = avformat_new_stream(m_format, nullptr);
        avcodec_parameters_from_context(m_audioStream->codecpar, m_audio);
        m_audioStream->time_base = m_audio->time_base;
    }

    if (avio_open(&m_format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        Log("Screencast", 2, "cannot write %s", path.c_str());
        return SRE_Write;
    }
    AVDictionary* muxOptions = nullptr;
    av_dict_set(&muxOptions, "movflags", "+frag_keyframe+empty_moov+default_base_moof", 0);
    av_dict_set_int(&muxOptions, "frag_duration", kFragmentMicros, 0);
    m_format->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    const int header = avformat_write_header(m_format, &muxOptions);
    av_dict_free(&muxOptions);
    if (header < 0)
        return SRE_Write;
    m_headerWritten = true;
    m_packet = av_packet_alloc();
    return 0;
}

int ProgressWriter::audioFrameSize() const { return m_audio ? m_audio->frame_size : 0; }

int ProgressWriter::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
{
    if (avcodec_send_frame(codec, frame) < 0)
        return SRE_Encoder;
    for (;;) {
        const int got = avcodec_receive_packet(codec, m_packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return 0;
        if (got < 0)
            return SRE_Encoder;
        av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        const bool video = codec == m_video;
        if (av_interleaved_write_frame(m_format, m_packet) < 0)
            return SRE_Write;
        if (video)
            ++m_frames;
        m_bytes = avio_tell(m_format->pb);
    }
}

int ProgressWriter::writeVideo(AVFrame* frame) { return m_video ? encode(m_video, m_videoStream, frame) : SRE_Encoder; }

int ProgressWriter::writeAudio(AVFrame* frame) { return m_audio ? encode(m_audio, m_audioStream, frame) : 0; }

int ProgressWriter::finish()
{
    if (!m_headerWritten)
        return SRE_Write;
    int result = encode(m_video, m_videoStream, nullptr);
    if (m_audio) {
        const int audio = encode(m_audio, m_audioStream, nullptr);
        if (!result)
            result = audio;
    }
    if (av_write_trailer(m_format) < 0 && !result)
        result = SRE_Write;
    m_bytes = avio_tell(m_format->pb);
    m_headerWritten = false;
    avio_closep(&m_format->pb);
    return result;
}

} // namespace recorder
