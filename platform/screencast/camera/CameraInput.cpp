#include "CameraInput.h"

#include "Log.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <string>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

namespace camera {

namespace {
// What follows the synthetic source: a camera's pixel layout, then its pace.
const char* const kSyntheticTail = ",format=yuyv422,realtime";
// Pixel layouts tried on a device, best first: MJPEG reaches 1280x720 at full rate over USB 2,
// the device's own choice comes last.
const char* const kDeviceFormats[] = {"mjpeg", nullptr};
const int kMaxFrameRate = 60;
// A device with no picture ready is asked again after this long.
const int kRetryMs = 2;
} // namespace

CameraInput::~CameraInput()
{
    avcodec_free_context(&m_decoder);
    av_packet_free(&m_packet);
    avformat_close_input(&m_format);
}

bool CameraInput::openFormat(const CameraEntry& camera)
{
    avdevice_register_all();
    if (camera.synthetic) {
        const AVInputFormat* lavfi = av_find_input_format("lavfi");
        const std::string graph = camera.device + kSyntheticTail;
        return lavfi && avformat_open_input(&m_format, graph.c_str(), lavfi, nullptr) >= 0;
    }
    const AVInputFormat* v4l2 = av_find_input_format("video4linux2");
    if (!v4l2)
        return false;
    const std::string size = std::to_string(kPreferredWidth) + "x" + std::to_string(kPreferredHeight);
    for (const char* format : kDeviceFormats) {
        for (bool sized : {true, false}) {
            AVDictionary* options = nullptr;
            if (format)
                av_dict_set(&options, "input_format", format, 0);
            if (sized)
                av_dict_set(&options, "video_size", size.c_str(), 0);
            const int opened = avformat_open_input(&m_format, camera.device.c_str(), v4l2, &options);
            av_dict_free(&options);
            if (opened >= 0)
                return true;
            m_format = nullptr;
        }
    }
    return false;
}

bool CameraInput::open(const CameraEntry& camera)
{
    if (!openFormat(camera)) {
        Log("Screencast", 2, "camera %s (%s) cannot be opened", camera.name.c_str(), camera.device.c_str());
        m_format = nullptr;
        return false;
    }
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        return false;
    const AVStream* stream = m_format->streams[m_stream];
    m_decoder = avcodec_alloc_context3(codec);
    if (!m_decoder || avcodec_parameters_to_context(m_decoder, stream->codecpar) < 0
        || avcodec_open2(m_decoder, codec, nullptr) < 0) {
        Log("Screencast", 2, "camera %s: no decoder for its pictures", camera.name.c_str());
        return false;
    }
    m_packet = av_packet_alloc();
    // Recordings and photos need even sizes (4:2:0); the odd last row or column is left out.
    m_width = stream->codecpar->width & ~1;
    m_height = stream->codecpar->height & ~1;
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        m_frameRate = std::clamp(int(std::lround(av_q2d(rate))), 1, kMaxFrameRate);
    Log("Screencast", 1, "camera %s open: %dx%d at %d fps, %s", camera.name.c_str(), m_width, m_height, m_frameRate,
        avcodec_get_name(stream->codecpar->codec_id));
    return m_width >= 2 && m_height >= 2;
}

bool CameraInput::read(AVFrame* frame)
{
    av_frame_unref(frame);
    for (;;) {
        const int got = avcodec_receive_frame(m_decoder, frame);
        if (got >= 0)
            return true;
        if (got != AVERROR(EAGAIN))
            return false;
        const int read = av_read_frame(m_format, m_packet);
        if (read == AVERROR(EAGAIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
            continue;
        }
        if (read < 0)
            return false;
        const bool ours = m_packet->stream_index == m_stream;
        // A damaged picture (a USB hiccup in MJPEG) is skipped; the next one decodes.
        if (ours && avcodec_send_packet(m_decoder, m_packet) < 0)
            Log("Screencast", 2, "camera: a picture does not decode");
        av_packet_unref(m_packet);
    }
}

} // namespace camera
